// Every check box of the settings dialog is one option, and every table that
// speaks of check boxes knows it: the option table with the box's texts, the
// click reactions, the preset buttons, the detection, the removal passes and
// the generated lines. Its flag reaches the generated console block exactly
// when its option row says so.
#include "model/options.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "app/detection.h"
#include "app/dialog_layout.h"
#include "app/interface_texts.h"
#include "config/settings_block.h"
#include "dialog/control_rules.h"
#include "platform/posix/memory_dialog.h"
#include "tests/doubles/escaped.h"
#include "tests/doubles/test_data.h"

namespace veyra::model {
namespace {

struct CheckBox {
  int id;
  const char* name;
  const char* layout_text;  // "" when the interface language sets it
};

void PrintTo(const CheckBox& box, std::ostream* out) { *out << box.name; }

std::vector<CheckBox> CheckBoxesOfTheLayout() {
  std::vector<CheckBox> boxes;
  for (const platform::ControlLayout& control : app::SettingsDialogLayout().controls) {
    if (control.kind == platform::ControlKind::kCheckBox) {
      boxes.push_back({control.id, control.name, control.text});
    }
  }
  return boxes;
}

bool IsCheckBox(int control) {
  const std::vector<CheckBox> boxes = CheckBoxesOfTheLayout();
  return std::any_of(boxes.begin(), boxes.end(),
                     [&](const CheckBox& box) { return box.id == control; });
}

std::vector<int> ControlsOfOptionRows() {
  std::vector<int> controls;
  for (const CheckBoxOption& option : CheckBoxOptions()) controls.push_back(option.control);
  return controls;
}

const CheckBoxOption* OptionRowFor(int control) {
  for (const CheckBoxOption& option : CheckBoxOptions()) {
    if (option.control == control) return &option;
  }
  return nullptr;
}

long RowsFor(int control, const std::vector<int>& row_controls) {
  return std::count(row_controls.begin(), row_controls.end(), control);
}

// The entries of `entries` that remove a value of `setting`, in their order.
std::vector<std::string> EntriesOf(const std::string& setting,
                                   const std::vector<std::string>& entries) {
  std::vector<std::string> found;
  for (const std::string& entry : entries) {
    if (entry.starts_with(setting + ' ')) found.push_back(testing::Escaped(entry));
  }
  return found;
}

// The setting each line of the generated part writes, in order.
std::vector<std::string> GeneratedSettings() {
  ProgramState state;
  FillValueTables(state);
  const std::string part = config::GeneratedPart(state);
  std::vector<std::string> settings;
  for (std::size_t from = 0, end; (end = part.find("\r\n", from)) != std::string::npos;
       from = end + 2) {
    const std::string line = part.substr(from, end - from);
    settings.push_back(line.substr(0, line.find(' ')));
  }
  return settings;
}

// Settings drawn at random, so that a flag that matters only beside others
// (a strength beside its effect, the crosshair beside the weapons) shows.
void Randomise(SettingsState& settings, std::mt19937& random) {
  for (const CheckBoxOption& option : CheckBoxOptions()) {
    settings.*option.flag = std::uniform_int_distribution(0, 1)(random);
  }
  settings.BloomLevel = std::uniform_int_distribution(0, 8)(random);
  settings.SunraysLevel = std::uniform_int_distribution(0, 2)(random);
  settings.VrMode = std::uniform_int_distribution(0, 1)(random);
}

class CheckBoxTest : public ::testing::TestWithParam<CheckBox> {};

TEST_P(CheckBoxTest, HasExactlyOneRowInEveryTable) {
  const CheckBox& box = GetParam();
  EXPECT_EQ(1, RowsFor(box.id, ControlsOfOptionRows())) << "option rows";
  EXPECT_EQ(1, RowsFor(box.id, dialog::ControlsOfReactionRows())) << "click-reaction rows";
  EXPECT_EQ(1, RowsFor(box.id, dialog::ControlsOfPresetRows())) << "preset-button rows";
  // A text the layout fixes stays in every language.
  const long text_rows = *box.layout_text == '\0' ? 1 : 0;
  EXPECT_EQ(text_rows, RowsFor(box.id, app::ControlsOfTextRows()))
      << "text rows, with the layout's text \"" << box.layout_text << '"';
  EXPECT_EQ(1, RowsFor(box.id, app::ControlsOfToolTipRows())) << "tooltip rows";
  // A box a console setting keeps is read back from it at start; the others
  // are read from the game's files.
  const CheckBoxOption* option = OptionRowFor(box.id);
  const bool kept_in_console = option != nullptr && option->console_setting != nullptr;
  EXPECT_EQ(kept_in_console ? 1 : 0, RowsFor(box.id, app::ControlsOfDetectionRows()))
      << "detection rows, for the console setting "
      << (kept_in_console ? option->console_setting : "(none)");
}

TEST_P(CheckBoxTest, HasItsLabelAndTipInBothLanguages) {
  const CheckBox& box = GetParam();
  ProgramState state;
  FillValueTables(state);
  for (const char* language : {"english", "german"}) {
    platform::MemoryDialog dialog(app::SettingsDialogLayout());
    app::InterfaceTexts(language, dialog, state);
    EXPECT_NE("", dialog.Text(box.id)) << language;
    EXPECT_NE("", dialog.Find(box.id)->tooltip) << language;
  }
}

// The setting's lines that the removal takes out of the free part are exactly
// those of the expected list, in both passes.
TEST_P(CheckBoxTest, ItsConsoleSettingIsRemovedAsTheExpectedListSays) {
  const CheckBoxOption* option = OptionRowFor(GetParam().id);
  ASSERT_TRUE(option != nullptr) << "no option row";
  if (option->console_setting == nullptr) return;
  const std::optional<std::vector<std::string>> expected =
      testing::EscapedLines("removal_entries.txt");
  ASSERT_TRUE(expected.has_value()) << "cannot read " << testing::TestDataPath("removal_entries.txt");
  EXPECT_EQ(EntriesOf(option->console_setting, *expected),
            EntriesOf(option->console_setting, config::RemovalEntries()))
      << "removal entries of " << option->console_setting;
}

TEST_P(CheckBoxTest, ItsConsoleSettingHasOneGeneratedLine) {
  const CheckBoxOption* option = OptionRowFor(GetParam().id);
  ASSERT_TRUE(option != nullptr) << "no option row";
  if (option->console_setting == nullptr) return;
  const std::vector<std::string> settings = GeneratedSettings();
  EXPECT_EQ(1, std::count(settings.begin(), settings.end(), option->console_setting))
      << "generated lines of " << option->console_setting << " among "
      << ::testing::PrintToString(settings);
}

TEST_P(CheckBoxTest, ReachesTheGeneratedBlockExactlyWhenItsOptionRowSaysSo) {
  const CheckBoxOption* option = OptionRowFor(GetParam().id);
  ASSERT_TRUE(option != nullptr) << "no option row";
  const bool into_block = option->use != Use::kApplyPhase;

  constexpr int kSettingsTried = 64;
  std::mt19937 random(1234);  // the same settings every run
  ProgramState state;
  FillValueTables(state);
  int changed = 0;
  for (int n = 0; n < kSettingsTried; ++n) {
    Randomise(state.Settings, random);
    state.Settings.*option->flag = 0;
    const std::string unset = config::GeneratedPart(state);
    state.Settings.*option->flag = 1;
    if (config::GeneratedPart(state) != unset) ++changed;
  }
  EXPECT_EQ(into_block, changed > 0)
      << "the flag changed the generated part for " << changed << " of " << kSettingsTried
      << " settings; its row says it goes "
      << (into_block ? "into the block" : "to the apply phase only");
}

INSTANTIATE_TEST_SUITE_P(Options, CheckBoxTest, ::testing::ValuesIn(CheckBoxesOfTheLayout()),
                         [](const ::testing::TestParamInfo<CheckBox>& info) {
                           return std::string(info.param.name).substr(sizeof "IDC_" - 1);
                         });

TEST(OptionTableTest, RowsNameDistinctCheckBoxesAndDistinctFlags) {
  const auto options = CheckBoxOptions();
  for (std::size_t row = 0; row < options.size(); ++row) {
    EXPECT_TRUE(IsCheckBox(options[row].control))
        << "row " << row << " names control " << options[row].control;
    for (std::size_t other = row + 1; other < options.size(); ++other) {
      EXPECT_NE(options[row].control, options[other].control) << "rows " << row << " and " << other;
      EXPECT_FALSE(options[row].flag == options[other].flag)
          << "rows " << row << " and " << other << " share a flag";
      EXPECT_STRNE(options[row].name, options[other].name) << "rows " << row << " and " << other;
    }
  }
}

TEST(OptionTableTest, EveryClickReactionIsForACheckBox) {
  for (const int control : dialog::ControlsOfReactionRows()) {
    EXPECT_TRUE(IsCheckBox(control)) << "a reaction to control " << control;
  }
}

}  // namespace
}  // namespace veyra::model
