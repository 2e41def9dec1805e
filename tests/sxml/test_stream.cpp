#include <gtest/gtest.h>

#include <string>

#include "sxml/UUngetStream.h"

namespace qvl::sxml {
namespace {

std::string ReadSome(TStream& s, std::size_t count) {
  std::string out(count, '\0');
  out.resize(s.Read(out.data(), count));
  return out;
}

// A source that hands out one byte per call, as a slow device might.
class TTrickleStream final : public TStream {
 public:
  explicit TTrickleStream(std::string data) : data_(std::move(data)) {}
  std::size_t Read(void* buffer, std::size_t count) override {
    if (count == 0 || position_ == data_.size()) return 0;
    static_cast<char*>(buffer)[0] = data_[position_++];
    return 1;
  }
  std::size_t Write(const void*, std::size_t) override { return 0; }

 private:
  std::string data_;
  std::size_t position_ = 0;
};

TEST(UngetStream, ReadsTheSourceInOrder) {
  TStringStream source("abcdef");
  TUngetStream s(source);
  EXPECT_EQ(ReadSome(s, 2), "ab");
  EXPECT_EQ(ReadSome(s, 10), "cdef");
  EXPECT_EQ(ReadSome(s, 1), "");
}

TEST(UngetStream, PushedBackBytesComeFirstLastPushedFirst) {
  TStringStream source("xyz");
  TUngetStream s(source);
  EXPECT_EQ(ReadSome(s, 1), "x");
  s.Unget('1');
  s.Unget('2');
  EXPECT_EQ(s.PushedBackCount(), 2u);
  // Both pushed-back bytes, then the rest of the request from the source.
  EXPECT_EQ(ReadSome(s, 3), "21y");
  EXPECT_EQ(s.PushedBackCount(), 0u);
  s.Unget('q');
  EXPECT_EQ(ReadSome(s, 1), "q");  // satisfied without asking the source
  EXPECT_EQ(source.Position(), 2u);
  EXPECT_EQ(ReadSome(s, 5), "z");
}

TEST(UngetStream, PushBackAtTheEndOfTheSource) {
  TStringStream source("");
  TUngetStream s(source);
  EXPECT_EQ(ReadSome(s, 4), "");
  s.Unget(0xFC);
  EXPECT_EQ(ReadSome(s, 4), "\xFC");
}

TEST(UngetStream, WritingIsAnAbstractError) {
  TStringStream source("a");
  TUngetStream s(source);
  EXPECT_THROW(s.Write("b", 1), EAbstractError);
  EXPECT_EQ(ReadSome(s, 1), "a");
}

TEST(UngetStream, ReadBufferRaisesAtTheEnd) {
  TTrickleStream source("abc");
  TUngetStream s(source);
  char buffer[3];
  s.ReadBuffer(buffer, 2);  // two calls to the source
  EXPECT_EQ(std::string(buffer, 2), "ab");
  EXPECT_THROW(s.ReadBuffer(buffer, 2), EReadError);
}

TEST(StringStream, WriteOverwritesAndGrows) {
  TStringStream s("abc");
  s.SetPosition(1);
  EXPECT_EQ(s.Write("XYZ", 3), 3u);
  EXPECT_EQ(s.Data(), "aXYZ");
  s.SetPosition(100);
  EXPECT_EQ(s.Position(), 4u);
  EXPECT_EQ(ReadSome(s, 1), "");
}

}  // namespace
}  // namespace qvl::sxml
