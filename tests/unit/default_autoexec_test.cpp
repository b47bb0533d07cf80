#include "config/default_autoexec.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "config/settings_block.h"
#include "tests/doubles/recording_os.h"
#include "tests/doubles/test_os.h"

namespace veyra::config {
namespace {

using namespace model;

const std::string kLongRule = "// " + std::string(109, '-');

std::vector<std::string> SplitCrLf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", from)) {
    lines.push_back(text.substr(from, at - from));
    from = at + 2;
  }
  lines.push_back(text.substr(from));
  return lines;
}

TEST(DefaultAutoexecTest, TextHas204CrLfLines) {
  const std::string& text = DefaultAutoexecText();
  std::vector<std::string> lines = SplitCrLf(text);
  ASSERT_EQ(205u, lines.size());  // 204 ended lines and the nothing after the last
  EXPECT_EQ("", lines.back());
  lines.pop_back();
  EXPECT_EQ("\r\n\r\n", text.substr(text.size() - 4));
  for (const std::string& line : lines) {
    EXPECT_EQ(std::string::npos, line.find_first_of("\r\n\t\"")) << line;
  }
  EXPECT_EQ(35, std::count(lines.begin(), lines.end(), kLongRule));
  EXPECT_EQ(112u, kLongRule.size());

  const std::vector<std::pair<int, std::string>> samples = {
      {1, "// Optimal Settings for VEYRA MOD"},
      {3, kLongRule},
      {43, "bind \\ toggleconsole"},
      {45, "// Automatically add newfound citizens to the squad? "},
      {181, "  "},
      {193, std::string(kMarkerLine)},
      {194, std::string(kBlockRuleLine)},
      {195, "mat_monitorgamma_tv_enabled 1"},
      {203, "cl_new_impact_effects 1"},
      {204, ""},
  };
  for (const auto& [number, line] : samples) EXPECT_EQ(line, lines[number - 1]) << "line " << number;
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
  EXPECT_EQ(expected, RegenerateSettingsBlock(StripQuotes(text), state));
}

}  // namespace
}  // namespace veyra::config
