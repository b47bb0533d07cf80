#include "platform/ini_access.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/bounded_text.h"

namespace veyra::platform {
namespace {

// An 8-bit string laid out as an OLE BSTR: four length bytes, then the text.
class ByteString {
 public:
  explicit ByteString(const std::string& text) : storage_(4 + text.size() + 2, '\0') {
    const std::uint32_t length = static_cast<std::uint32_t>(text.size());
    std::memcpy(storage_.data(), &length, 4);
    std::memcpy(storage_.data() + 4, text.data(), text.size());
    first_ = storage_.data() + 4;
  }
  const char* const* ref() const { return &first_; }

 private:
  std::vector<char> storage_;
  const char* first_;
};

TEST(IniAccessTest, ArgumentsAreCutToTheirBuffers) {
  const ByteString file(std::string(400, 'f'));
  const ByteString section(std::string(200, 's'));
  const ByteString key(std::string(200, 'k'));
  const ByteString text(std::string(300, 't'));
  const IniArguments args = ReadIniArguments(file.ref(), section.ref(), key.ref(), text.ref());
  EXPECT_EQ(std::string(254, 'f'), args.file);
  EXPECT_EQ(std::string(124, 's'), args.section);
  EXPECT_EQ(std::string(124, 'k'), args.key);
  EXPECT_EQ(std::string(149, 't'), args.text);
}

TEST(IniAccessTest, LengthPrefixDecidesTheTextAndZeroBytesEndIt) {
  const ByteString with_zero(std::string("ab\0cd", 5));
  EXPECT_EQ(5u, ReadLengthPrefixed(with_zero.ref()).size());
  const IniArguments args = ReadIniArguments(with_zero.ref(), with_zero.ref(), nullptr, nullptr);
  EXPECT_EQ("ab", args.file);
  EXPECT_EQ("", args.key);
  EXPECT_EQ("", args.text);

  const char* null_string = nullptr;
  EXPECT_TRUE(ReadLengthPrefixed(&null_string).empty());
}

TEST(BoundedTextTest, CutToBuffer) {
  EXPECT_EQ("", CutToBuffer("abc", 0));
  EXPECT_EQ("", CutToBuffer("abc", 1));
  EXPECT_EQ("ab", CutToBuffer("abc", 3));
  EXPECT_EQ("abc", CutToBuffer("abc", 4));
}

}  // namespace
}  // namespace veyra::platform
