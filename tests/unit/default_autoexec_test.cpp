#include "config/default_autoexec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "config/settings_block.h"
#include "tests/doubles/recording_os.h"
#include "tests/doubles/test_data.h"
#include "tests/doubles/test_os.h"

namespace veyra::config {
namespace {


// The text against the expected file, byte for byte; a difference is shown
// as the first line (ended by LF) that differs.
TEST(DefaultAutoexecTest, TextMatchesTheExpectedFile) {
  const std::optional<std::string> expected = testing::ReadTestData("default_autoexec.cfg");
  ASSERT_TRUE(expected.has_value())
      << "cannot read " << testing::TestDataPath("default_autoexec.cfg");
  ASSERT_FALSE(expected->empty());
  const std::string& actual = DefaultAutoexecText();
  if (*expected == actual) return;

  const std::size_t common = std::min(expected->size(), actual.size());
  std::size_t at = 0;
  while (at < common && (*expected)[at] == actual[at]) ++at;
  // The prefix before `at` is common, so the line starts at the same place in both.
  const std::size_t line_start = at == 0 ? 0 : actual.rfind('\n', at - 1) + 1;
  const auto line_of = [&](const std::string& text) -> std::string {
    if (line_start >= text.size()) return "(end of text)";
    const std::size_t end = std::min(text.find('\n', line_start), text.size() - 1);
    return '"' + testing::Escaped(std::string_view(text).substr(line_start, end + 1 - line_start)) +
           '"';
  };
  const auto line_number = std::count(actual.data(), actual.data() + line_start, '\n') + 1;
  ADD_FAILURE() << expected->size() << " bytes expected, " << actual.size()
                << " found; first difference at byte " << at << ", line " << line_number
                << "\n  expected: " << line_of(*expected) << "\n  actual:   " << line_of(actual);
}

class WriteDefaultAutoexecTest : public ::testing::Test {
 protected:
  testing::ScratchFolder folder;
  std::unique_ptr<platform::Os> real = testing::MakeRealOs();
  testing::RecordingOs os{*real};
};

TEST_F(WriteDefaultAutoexecTest, WritesTheTextOverAnything) {
  const std::string path = folder.Join("autoexec.cfg");
  EXPECT_TRUE(WriteDefaultAutoexec(os, path));
  EXPECT_EQ(DefaultAutoexecText(), testing::ReadFileBytes(path));
  testing::WriteFileBytes(path, std::string(20000, 'x'));
  EXPECT_TRUE(WriteDefaultAutoexec(os, path));
  EXPECT_EQ(DefaultAutoexecText(), testing::ReadFileBytes(path));
  EXPECT_TRUE(os.messages.empty());
}

TEST_F(WriteDefaultAutoexecTest, MissingFolderMessageNamesNoPath) {
  const std::string path = folder.Join("VYep2\\cfg\\autoexec.cfg");
  EXPECT_FALSE(WriteDefaultAutoexec(os, path));
  ASSERT_EQ(1u, os.messages.size());
  EXPECT_EQ("Following error occured while trying to save the file:\r\n"
            "Error: 76, Path not found\r\n\r\nThe file could not be saved.",
            os.messages[0].text);
  EXPECT_EQ("Save file error!", os.messages[0].caption);
  EXPECT_EQ(0x2030u, os.messages[0].flags);
  EXPECT_FALSE(testing::PathExists(path));
}

// The first save keeps the free part except two removals and replaces the first block.
TEST(DefaultAutoexecSavedOnce, KeepsTheFreePartButTwoLines) {
  model::ProgramState state;
  model::FillValueTables(state);
  const std::string& text = DefaultAutoexecText();
  std::string expected = text.substr(0, text.find(kMarkerLine));
  const auto replace = [&](const std::string& from, const std::string& to) {
    const std::size_t at = expected.find(from);
    ASSERT_NE(std::string::npos, at) << from;
    expected.replace(at, from.size(), to);
  };
  // Lines 15 and 16 become "// ", line 105 keeps only an LF.
  replace("// mat_forcemanagedtextureintohardware 0\r\n\r\n", "// \r\n");
  replace("\r\nmat_hdr_level 2\r\n\r\n", "\r\n\n\r\n");
  expected += GeneratedPart(state);
  EXPECT_EQ(expected, RegenerateSettingsBlock(text, state));
}

}  // namespace
}  // namespace veyra::config
