// Byte streams for the SXML reader: the abstract source, an in-memory source and
// the push-back stream that lets a reader give bytes back after looking at them.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace qvl::sxml {

// What the SXML reader still needed when its input ended.
enum class read_expected_t {
  Anything,    // a stream read beyond its end
  StringEnd,   // the double quote that ends a string
  ListEnd,     // the ")" of an attribute list, an attribute or a skipped list
  Name,        // the end of the name after a "("
  ElementEnd,  // the ")" of an element still open
};

// Reading past the end of the input. The SXML reader raises it where its
// grammar does not accept the end of the input, with the byte offset of the
// first byte it could not read (the input's length) and where the construct
// it was reading began.
class EReadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
  EReadError(const std::string& what, std::size_t offset, read_expected_t expected,
             std::size_t opened_at)
      : std::runtime_error(what), offset_(offset), expected_(expected), opened_at_(opened_at) {}

  [[nodiscard]] std::size_t Offset() const { return offset_; }
  [[nodiscard]] read_expected_t Expected() const { return expected_; }
  // The offset of the quote or "(" that opened what was left unfinished.
  [[nodiscard]] std::size_t OpenedAt() const { return opened_at_; }

 private:
  std::size_t offset_ = 0;
  read_expected_t expected_ = read_expected_t::Anything;
  std::size_t opened_at_ = 0;
};

// An operation that this kind of stream does not support.
class EAbstractError : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

// A source of bytes read front to back.
class TStream {
 public:
  TStream() = default;
  TStream(const TStream&) = delete;
  TStream& operator=(const TStream&) = delete;
  virtual ~TStream() = default;

  // Delivers up to count bytes and returns how many it delivered; 0 means the
  // end of the input.
  [[nodiscard]] virtual std::size_t Read(void* buffer, std::size_t count) = 0;
  virtual std::size_t Write(const void* buffer, std::size_t count) = 0;

  // Reads exactly count bytes or raises EReadError.
  void ReadBuffer(void* buffer, std::size_t count);
};

// Reads from and writes to a byte string that it owns, at one position.
class TStringStream final : public TStream {
 public:
  explicit TStringStream(std::string data = {}) : data_(std::move(data)) {}

  [[nodiscard]] std::size_t Read(void* buffer, std::size_t count) override;
  // Overwrites from the position on, growing the string where needed.
  std::size_t Write(const void* buffer, std::size_t count) override;

  [[nodiscard]] const std::string& Data() const { return data_; }
  [[nodiscard]] std::size_t Position() const { return position_; }
  void SetPosition(std::size_t position) {
    position_ = position < data_.size() ? position : data_.size();
  }

 private:
  std::string data_;
  std::size_t position_ = 0;
};

// Reads from another stream, with bytes given back by Unget delivered first,
// the byte given back last first. The source is not owned; it must outlive
// this stream. Writing is not supported.
class TUngetStream final : public TStream {
 public:
  explicit TUngetStream(TStream& source) : source_(source) {}

  [[nodiscard]] std::size_t Read(void* buffer, std::size_t count) override;
  // Raises EAbstractError.
  std::size_t Write(const void* buffer, std::size_t count) override;

  void Unget(unsigned char byte) { pushed_back_.push_back(static_cast<char>(byte)); }
  [[nodiscard]] std::size_t PushedBackCount() const { return pushed_back_.size(); }

 private:
  TStream& source_;
  std::string pushed_back_;  // a stack: the last byte is delivered first
};

}  // namespace qvl::sxml
