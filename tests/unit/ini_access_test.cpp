#include "platform/ini_access.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
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

// The longest text each argument's buffer keeps, in the order of the arguments.
constexpr std::size_t kLongest[] = {254, 124, 124, 149};

std::optional<IniArguments> Read(const std::string (&texts)[4], IniText kind) {
  const ByteString file(texts[0]), section(texts[1]), key(texts[2]), text(texts[3]);
  return ReadIniArguments(file.ref(), section.ref(), key.ref(), text.ref(), kind);
}

TEST(IniAccessTest, EachNameAndValueFitsItsBufferOrTheCallIsRefused) {
  const std::string fitting[4] = {std::string(kLongest[0], 'f'), std::string(kLongest[1], 's'),
                                  std::string(kLongest[2], 'k'), std::string(kLongest[3], 'v')};
  for (IniText kind : {IniText::kValue, IniText::kDefault}) {
    const std::optional<IniArguments> args = Read(fitting, kind);
    ASSERT_TRUE(args.has_value());
    EXPECT_EQ(fitting[0], args->file);
    EXPECT_EQ(fitting[1], args->section);
    EXPECT_EQ(fitting[2], args->key);
    EXPECT_EQ(fitting[3], args->text);
  }
  for (int longer = 0; longer < 4; ++longer) {
    std::string texts[4] = {fitting[0], fitting[1], fitting[2], fitting[3]};
    texts[longer] += 'x';
    EXPECT_FALSE(Read(texts, IniText::kValue).has_value()) << "argument " << longer;
    // A default longer than the result buffer is cut the way the result is.
    const std::optional<IniArguments> with_default = Read(texts, IniText::kDefault);
    EXPECT_EQ(longer == 3, with_default.has_value()) << "argument " << longer;
    if (with_default) EXPECT_EQ(fitting[3], with_default->text);
  }
}

TEST(IniAccessTest, LengthPrefixDecidesTheTextAndZeroBytesEndIt) {
  const ByteString with_zero(std::string("ab\0cd", 5));
  EXPECT_EQ(5u, ReadLengthPrefixed(with_zero.ref()).size());
  // A fixed-length string padded with zeros counts by what it holds.
  const ByteString padded("settings.ini" + std::string(300, '\0'));
  const std::optional<IniArguments> args =
      ReadIniArguments(padded.ref(), with_zero.ref(), nullptr, nullptr, IniText::kValue);
  ASSERT_TRUE(args.has_value());
  EXPECT_EQ("settings.ini", args->file);
  EXPECT_EQ("ab", args->section);
  EXPECT_EQ("", args->key);
  EXPECT_EQ("", args->text);

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
