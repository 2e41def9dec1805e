#include "sxml/UUngetStream.h"

#include <algorithm>
#include <cstring>

namespace qvl::sxml {

void TStream::ReadBuffer(void* buffer, std::size_t count) {
  auto* out = static_cast<unsigned char*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    const std::size_t n = Read(out + done, count - done);
    if (n == 0) throw EReadError("stream read error: unexpected end of the input");
    done += n;
  }
}

std::size_t TStringStream::Read(void* buffer, std::size_t count) {
  const std::size_t n = std::min(count, data_.size() - position_);
  if (n > 0) std::memcpy(buffer, data_.data() + position_, n);
  position_ += n;
  return n;
}

std::size_t TStringStream::Write(const void* buffer, std::size_t count) {
  if (count == 0) return 0;
  if (data_.size() - position_ < count) data_.resize(position_ + count);
  std::memcpy(data_.data() + position_, buffer, count);
  position_ += count;
  return count;
}

std::size_t TUngetStream::Read(void* buffer, std::size_t count) {
  auto* out = static_cast<unsigned char*>(buffer);
  std::size_t done = 0;
  while (done < count && !pushed_back_.empty()) {
    out[done++] = static_cast<unsigned char>(pushed_back_.back());
    pushed_back_.pop_back();
  }
  if (done == count) return done;
  return done + source_.Read(out + done, count - done);
}

std::size_t TUngetStream::Write(const void*, std::size_t) {
  throw EAbstractError("abstract error: a push-back stream cannot be written");
}

}  // namespace qvl::sxml
