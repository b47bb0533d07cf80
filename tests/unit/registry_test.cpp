#include "platform/registry.h"

#include <gtest/gtest.h>

#include "tests/doubles/test_os.h"

namespace veyra::platform {
namespace {

using testing::DeleteRegistryKey;
using testing::SetRegistryString;

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { DeleteRegistryKey(*os, kBase); }
  void TearDown() override { DeleteRegistryKey(*os, kBase); }

  static constexpr const char* kBase = "Software\\VeyraConfigTests";
  std::unique_ptr<Os> os = testing::MakeRealOs();
};

TEST_F(RegistryTest, ReadStringStripsEveryOuterBackslashButKeepsInnerOnes) {
  SetRegistryString(*os, "Software\\VeyraConfigTests\\Steam", "Language", "german");
  EXPECT_EQ("german", RegReadString(*os, 0, "\\\\\\Software\\VeyraConfigTests\\Steam\\\\", "Language",
                                    "english"));
  EXPECT_EQ("german",
            RegReadString(*os, 0, "Software\\VeyraConfigTests\\Steam", "Language", "english"));
}

TEST_F(RegistryTest, ReadStringGivesTheDefaultForMissingKeyOrValue) {
  EXPECT_EQ("english",
            RegReadString(*os, 0, "Software\\VeyraConfigTests\\Nowhere", "Language", "english"));
  SetRegistryString(*os, "Software\\VeyraConfigTests\\Steam", "Other", "x");
  EXPECT_EQ("english",
            RegReadString(*os, 0, "Software\\VeyraConfigTests\\Steam", "Language", "english"));
  EXPECT_EQ("", RegReadString(*os, 0, "Software\\VeyraConfigTests\\Steam", "Language", ""));
}

TEST_F(RegistryTest, ReadStringKeepsAnEmptyValueAndCutsLongTextsTo1023Bytes) {
  SetRegistryString(*os, "Software\\VeyraConfigTests\\Steam", "Empty", "");
  EXPECT_EQ("", RegReadString(*os, 0, "Software\\VeyraConfigTests\\Steam", "Empty", "english"));

  const std::string long_value(3000, 'v');
  SetRegistryString(*os, "Software\\VeyraConfigTests\\Steam", "Long", long_value);
  const std::string read = RegReadString(*os, 0, "Software\\VeyraConfigTests\\Steam", "Long", "");
  EXPECT_EQ(1023u, read.size());
  EXPECT_EQ(long_value.substr(0, 1023), read);

  const std::string long_default(2000, 'd');
  EXPECT_EQ(long_default.substr(0, 1023),
            RegReadString(*os, 0, "Software\\VeyraConfigTests\\Nowhere", "x", long_default));
}

TEST_F(RegistryTest, WriteDwordCreatesTheWholeMissingPath) {
  EXPECT_EQ(1, RegWriteDword(*os, 0, "\\Software\\VeyraConfigTests\\a\\b\\c\\Settings\\",
                             "mat_antialias", 0x01020304));
  const std::optional<RegistryValue> value = os->RegistryReadValue(
      hkey::kCurrentUser, "Software\\VeyraConfigTests\\a\\b\\c\\Settings", "mat_antialias");
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ(kRegistryDword, value->type);
  EXPECT_EQ(std::string("\x04\x03\x02\x01", 4), value->data);  // in the machine's byte order
}

// What a restore puts back: any type with its exact bytes, and a value that
// was not there is removed again.
TEST_F(RegistryTest, ValuesComeBackWithTheirTypeAndBytesAndGoAgain) {
  const std::string key = "Software\\VeyraConfigTests\\Typed";
  const RegistryValue values[] = {
      {kRegistryString, std::string("Holodeck\0", 9)},
      {kRegistryDword, std::string("\x00\x01\xff\x7f", 4)},
      {3, std::string("\x00\x01\x02\x00\xfe", 5)},  // REG_BINARY with zero bytes inside
  };
  for (const RegistryValue& value : values) {
    const std::string name = "value" + std::to_string(value.type);
    ASSERT_EQ(0u, os->RegistryWriteValue(hkey::kCurrentUser, key, name, value)) << name;
    const std::optional<RegistryValue> read = os->RegistryReadValue(hkey::kCurrentUser, key, name);
    ASSERT_TRUE(read.has_value()) << name;
    EXPECT_EQ(value.type, read->type) << name;
    EXPECT_EQ(value.data, read->data) << name;
    EXPECT_EQ(0u, os->RegistryDeleteValue(hkey::kCurrentUser, key, name)) << name;
    EXPECT_FALSE(os->RegistryReadValue(hkey::kCurrentUser, key, name).has_value()) << name;
    EXPECT_EQ(error::kFileNotFound, os->RegistryDeleteValue(hkey::kCurrentUser, key, name)) << name;
  }
  EXPECT_EQ(error::kFileNotFound,
            os->RegistryDeleteValue(hkey::kCurrentUser, key + "\\Missing", "value"));
}

TEST_F(RegistryTest, WriteDwordCutsTheValueNameTo1023Bytes) {
  const std::string long_name(1500, 'n');
  EXPECT_EQ(1, RegWriteDword(*os, 0, "Software\\VeyraConfigTests\\Names", long_name, 7));
  EXPECT_TRUE(os->RegistryReadValue(hkey::kCurrentUser, "Software\\VeyraConfigTests\\Names",
                                    long_name.substr(0, 1023))
                  .has_value());
}

TEST(RegistryPathTest, StripOuterBackslashes) {
  EXPECT_EQ("", StripOuterBackslashes(""));
  EXPECT_EQ("", StripOuterBackslashes("\\\\\\"));
  EXPECT_EQ("a\\b", StripOuterBackslashes("\\a\\b\\\\"));
  EXPECT_EQ(hkey::kCurrentUser, ResolveRoot(0));
  EXPECT_EQ(0x80000002u, ResolveRoot(0x80000002u));
}

}  // namespace
}  // namespace veyra::platform
