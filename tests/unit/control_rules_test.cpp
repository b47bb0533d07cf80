// How the options hang together while the dialog is open: the reactions to a
// click on a check box and the three preset buttons, delivered through the
// event handler as the dialog delivers them. Each case starts from two
// opposite dialogs, so that a control changed where it should not be shows.
#include "dialog/control_rules.h"

#include <gtest/gtest.h>

#include <sstream>
#include <tuple>

#include "app/dialog_layout.h"
#include "dialog/event_handler.h"
#include "model/control_ids.h"
#include "tests/doubles/fault_injecting_os.h"
#include "tests/doubles/recording_os.h"
#include "tests/doubles/test_os.h"

namespace veyra::dialog {
namespace {

using namespace app;
using namespace model;
using platform::Check;
using platform::ControlChange;
using platform::Disable;
using platform::Enable;
using platform::Select;
using platform::Uncheck;
using testing::DialogState;
using testing::Differences;

const char* const kPresets[] = {"Cinematic", "(NoSMAA)Default_Desaturated", "Default"};
constexpr int kRecommendedPreset = 2;

// The two dialogs every case starts from.
enum class Start {
  kAllOn,   // every box checked, every control disabled, every list at its last item
  kAllOff,  // every box unchecked, every control enabled, every list at its first item
};

std::string StartName(Start start) { return start == Start::kAllOn ? "AllOn" : "AllOff"; }
void PrintTo(Start start, std::ostream* out) { *out << StartName(start); }

class DialogRulesTest : public ::testing::Test {
 protected:
  DialogRulesTest() {
    for (const char* item : kProvisionalBloomItems) dialog.AddItem(IDC_BLOOM_LEVEL, item);
    for (const char* item : kProvisionalSunraysItems) dialog.AddItem(IDC_SUNRAYS_LEVEL, item);
    for (const char* item : kPresets) dialog.AddItem(IDC_SWEETFX_PRESET, item);
  }

  void StartFrom(Start start) {
    const bool on = start == Start::kAllOn;
    for (const platform::ControlLayout& control : SettingsDialogLayout().controls) {
      dialog.SetChecked(control.id, on);
      dialog.SetEnabled(control.id, !on);
      dialog.Select(control.id, on ? dialog.ItemCount(control.id) : 1);
    }
  }
  // A click as the dialog reports it: an automatic check box has toggled already.
  bool Click(int id) {
    if (dialog.Find(id)->kind == platform::ControlKind::kCheckBox) {
      dialog.SetChecked(id, !dialog.IsChecked(id));
    }
    return events.OnCommand(dialog, id, 0);
  }
  DialogState Now() { return testing::StateOf(dialog, SettingsDialogLayout()); }

  // The rules change controls only: no file, message or program.
  void ExpectNothingOutsideTheDialog() {
    EXPECT_TRUE(os.calls.empty()) << os.calls.size() << " file operations, first on "
                                  << os.calls.front().path;
    EXPECT_TRUE(recorder.messages.empty());
    EXPECT_TRUE(recorder.started.empty());
    EXPECT_FALSE(dialog.ended());
  }

  std::unique_ptr<platform::Os> real = testing::MakeRealOs();
  testing::RecordingOs recorder{*real};
  testing::FaultInjectingOs os{recorder};
  ProgramState state;
  platform::MemoryDialog dialog{SettingsDialogLayout()};
  SettingsDialogEvents events{os, state};
};

// ---------------------------------------------------------------- click reactions

struct Reaction {
  const char* name;
  int clicked;
  std::vector<ControlChange> when_checked;
  std::vector<ControlChange> when_unchecked;
};

void PrintTo(const Reaction& reaction, std::ostream* out) { *out << reaction.name; }

const Reaction kReactions[] = {
    {"VeyraWeapons",
     IDC_VEYRA_WEAPONS,
     {Enable(IDC_RECOIL), Enable(IDC_HIDE_CROSSHAIR)},
     {Disable(IDC_RECOIL), Disable(IDC_HIDE_CROSSHAIR)}},
    {"Bloom", IDC_BLOOM, {Enable(IDC_BLOOM_LEVEL)}, {Disable(IDC_BLOOM_LEVEL)}},
    {"Sunrays", IDC_SUNRAYS, {Enable(IDC_SUNRAYS_LEVEL)}, {Disable(IDC_SUNRAYS_LEVEL)}},
    {"GaussBlur", IDC_GAUSS_BLUR, {Enable(IDC_GAUSS_HORIZONTAL)}, {Disable(IDC_GAUSS_HORIZONTAL)}},
    {"Dof",
     IDC_DOF,
     {Enable(IDC_DOF_CHROMATIC), Enable(IDC_DOF_STRONGER)},
     {Disable(IDC_DOF_CHROMATIC), Disable(IDC_DOF_STRONGER)}},
    {"DofChromatic", IDC_DOF_CHROMATIC, {Enable(IDC_DOF_STRONGER)}, {Disable(IDC_DOF_STRONGER)}},
    {"DofStronger", IDC_DOF_STRONGER, {Check(IDC_DOF_CHROMATIC)}, {}},
    {"Hpd",
     IDC_HPD,
     {Uncheck(IDC_UNCHARTED), Disable(IDC_UNCHARTED_STRONGER), Disable(IDC_UNCHARTED_STRONGEST),
      Enable(IDC_HPD_STRONGER), Enable(IDC_HPD_STRONGEST)},
     {Disable(IDC_HPD_STRONGER), Disable(IDC_HPD_STRONGEST)}},
    {"Uncharted",
     IDC_UNCHARTED,
     {Enable(IDC_UNCHARTED_STRONGER), Enable(IDC_UNCHARTED_STRONGEST), Uncheck(IDC_HPD),
      Disable(IDC_HPD_STRONGER), Disable(IDC_HPD_STRONGEST)},
     {Disable(IDC_UNCHARTED_STRONGER), Disable(IDC_UNCHARTED_STRONGEST)}},
    {"Sharpen",
     IDC_SHARPEN,
     {Enable(IDC_SHARPEN_STRONGER), Enable(IDC_SHARPEN_STRONGEST)},
     {Disable(IDC_SHARPEN_STRONGER), Disable(IDC_SHARPEN_STRONGEST)}},
    {"HpdStronger", IDC_HPD_STRONGER, {Uncheck(IDC_HPD_STRONGEST)}, {}},
    {"HpdStrongest", IDC_HPD_STRONGEST, {Uncheck(IDC_HPD_STRONGER)}, {}},
    {"UnchartedStronger", IDC_UNCHARTED_STRONGER, {Uncheck(IDC_UNCHARTED_STRONGEST)}, {}},
    {"UnchartedStrongest", IDC_UNCHARTED_STRONGEST, {Uncheck(IDC_UNCHARTED_STRONGER)}, {}},
    {"SharpenStronger", IDC_SHARPEN_STRONGER, {Uncheck(IDC_SHARPEN_STRONGEST)}, {}},
    {"SharpenStrongest", IDC_SHARPEN_STRONGEST, {Uncheck(IDC_SHARPEN_STRONGER)}, {}},
    {"SweetFx",
     IDC_SWEETFX,
     {Enable(IDC_SWEETFX_PRESET), Enable(IDC_PRESET_EDIT), Uncheck(IDC_RESHADE)},
     {Disable(IDC_SWEETFX_PRESET), Disable(IDC_PRESET_EDIT)}},
    {"ReShade",
     IDC_RESHADE,
     {Uncheck(IDC_SWEETFX), Disable(IDC_PRESET_EDIT), Disable(IDC_SWEETFX_PRESET),
      Select(IDC_BLOOM_LEVEL, 6)},
     {Enable(IDC_SWEETFX), Enable(IDC_SWEETFX_PRESET), Enable(IDC_PRESET_EDIT)}},
    // Boxes without a reaction.
    {"Fxaa", IDC_FXAA, {}, {}},
    {"Headbob", IDC_HEADBOB, {}, {}},
    {"Filmic", IDC_FILMIC, {}, {}},
    {"Ssao", IDC_SSAO, {}, {}},
    {"FilmGrain", IDC_FILMGRAIN, {}, {}},
    {"LargeVram", IDC_LARGE_VRAM, {}, {}},
    {"GaussHorizontal", IDC_GAUSS_HORIZONTAL, {}, {}},
    {"HideCrosshair", IDC_HIDE_CROSSHAIR, {}, {}},
    {"Recoil", IDC_RECOIL, {}, {}},
    {"FilmNoir", IDC_FILM_NOIR, {}, {}},
    {"Vignette", IDC_VIGNETTE, {}, {}},
    {"VeyraSkill", IDC_VEYRA_SKILL, {}, {}},
    {"CoastNight", IDC_COAST_NIGHT, {}, {}},
    {"PreloadNpc", IDC_PRELOAD_NPC, {}, {}},
    {"PreloadOther", IDC_PRELOAD_OTHER, {}, {}},
    {"Particles", IDC_PARTICLES, {}, {}},
    {"AnamorphFlares", IDC_ANAMORPH_FLARES, {}, {}},
    {"HevGlass", IDC_HEV_GLASS, {}, {}},
};

// The change that shows when `change` is made: the other check or enabled state, another item.
ControlChange Opposite(const ControlChange& change) {
  using Action = ControlChange::Action;
  switch (change.action) {
    case Action::kCheck: return Uncheck(change.control);
    case Action::kUncheck: return Check(change.control);
    case Action::kEnable: return Disable(change.control);
    case Action::kDisable: return Enable(change.control);
    case Action::kSelect: return Select(change.control, change.item == 1 ? 2 : 1);
  }
  return change;
}

class ClickReactionTest
    : public DialogRulesTest,
      public ::testing::WithParamInterface<std::tuple<Reaction, bool, Start>> {};

TEST_P(ClickReactionTest, ChangesExactlyWhatTheRowSays) {
  const auto& [reaction, now_checked, start] = GetParam();
  const std::vector<ControlChange>& changes =
      now_checked ? reaction.when_checked : reaction.when_unchecked;
  StartFrom(start);
  // Each control the row names starts opposite to what the row sets, so the change shows.
  for (const ControlChange& change : changes) platform::Apply(dialog, Opposite(change));
  dialog.SetEnabled(reaction.clicked, true);
  dialog.SetChecked(reaction.clicked, !now_checked);
  DialogState expected = Now();
  testing::Apply(expected, {now_checked ? Check(reaction.clicked) : Uncheck(reaction.clicked)});
  testing::Apply(expected, changes);

  EXPECT_FALSE(Click(reaction.clicked));
  EXPECT_EQ("", Differences(expected, Now()));
  ExpectNothingOutsideTheDialog();
}

std::string ClickName(const ::testing::TestParamInfo<ClickReactionTest::ParamType>& info) {
  return std::string(std::get<0>(info.param).name) +
         (std::get<1>(info.param) ? "Checked" : "Unchecked") + "From" +
         StartName(std::get<2>(info.param));
}

INSTANTIATE_TEST_SUITE_P(Rules, ClickReactionTest,
                         ::testing::Combine(::testing::ValuesIn(kReactions), ::testing::Bool(),
                                            ::testing::Values(Start::kAllOn, Start::kAllOff)),
                         ClickName);

TEST_F(DialogRulesTest, CheckingSunraysSelectsTheFirstLevelOnlyWhenNoneIsSelected) {
  for (const auto& [before, after] : {std::pair{0, 1}, std::pair{2, 2}, std::pair{1, 1}}) {
    SCOPED_TRACE(before);
    dialog.SetChecked(IDC_SUNRAYS, false);
    dialog.Select(IDC_SUNRAYS_LEVEL, before);
    Click(IDC_SUNRAYS);
    EXPECT_EQ(after, dialog.Selection(IDC_SUNRAYS_LEVEL));
    Click(IDC_SUNRAYS);  // unchecking leaves the level alone
    EXPECT_EQ(after, dialog.Selection(IDC_SUNRAYS_LEVEL));
  }
}

TEST_F(DialogRulesTest, ClickOnSweetFxChoosesDefaultPresetOnlyWhenNoneIsSelected) {
  const struct {
    std::vector<std::string> items;
    int before;
    int after;
  } kCases[] = {
      {{"Cinematic", "Default"}, 0, 2},
      {{"Cinematic", "Default"}, 1, 1},
      {{"Default_Desaturated", "Default", "Default"}, 0, 2},
      {{"default", "Cinematic"}, 0, 1},
      {{"Cinematic"}, 0, 1},
      {{}, 0, 0},
  };
  for (const bool now_checked : {true, false}) {
    for (const auto& [items, before, after] : kCases) {
      SCOPED_TRACE(::testing::PrintToString(items) + " from " + std::to_string(before) +
                   (now_checked ? ", checking" : ", unchecking"));
      while (dialog.ItemCount(IDC_SWEETFX_PRESET) > 0) dialog.RemoveItem(IDC_SWEETFX_PRESET, 1);
      for (const std::string& item : items) dialog.AddItem(IDC_SWEETFX_PRESET, item);
      dialog.Select(IDC_SWEETFX_PRESET, before);
      dialog.SetChecked(IDC_SWEETFX, !now_checked);
      Click(IDC_SWEETFX);
      EXPECT_EQ(after, dialog.Selection(IDC_SWEETFX_PRESET));
    }
  }
}

TEST_F(DialogRulesTest, NotificationCodeOneCountsAsAClick) {
  StartFrom(Start::kAllOff);  // the box was checked and the click unchecked it
  events.OnCommand(dialog, IDC_DOF, 1);
  EXPECT_FALSE(dialog.IsEnabled(IDC_DOF_CHROMATIC));
  events.OnCommand(dialog, IDC_MAXIMUM_VALVE, 1);
  EXPECT_FALSE(dialog.IsChecked(IDC_VEYRA_WEAPONS));
}

// ---------------------------------------------------------------- preset buttons

// The state each button sets, in words: "checked"/"unchecked", "enabled"/"disabled",
// "item N", "preset choice"; "-" or a property followed by "-" is left alone.
struct PresetRow {
  int control;
  const char* recommended;
  const char* recommended2;
  const char* maximum_valve;
};

const PresetRow kPresetTable[] = {
    {IDC_VEYRA_WEAPONS, "checked", "checked", "unchecked"},
    {IDC_RECOIL, "checked, enabled", "checked, enabled", "unchecked, disabled"},
    {IDC_HIDE_CROSSHAIR, "unchecked, enabled", "unchecked, enabled", "unchecked, disabled"},
    {IDC_COAST_NIGHT, "checked", "checked", "unchecked"},
    {IDC_VEYRA_SKILL, "checked", "checked", "unchecked"},
    {IDC_HEADBOB, "checked", "checked", "checked"},
    {IDC_LARGE_VRAM, "-", "-", "-"},
    {IDC_PRELOAD_NPC, "unchecked", "unchecked", "unchecked"},
    {IDC_PRELOAD_OTHER, "unchecked", "unchecked", "unchecked"},
    {IDC_BLOOM, "checked", "checked", "unchecked"},
    {IDC_BLOOM_LEVEL, "enabled, item 7", "enabled, item 7", "disabled, item 2"},
    {IDC_ANAMORPH_FLARES, "checked", "checked", "unchecked"},
    {IDC_VIGNETTE, "unchecked", "unchecked", "unchecked"},
    {IDC_SUNRAYS, "unchecked", "unchecked", "unchecked"},
    {IDC_SUNRAYS_LEVEL, "disabled, item 2", "disabled, item 2", "disabled, selection -"},
    {IDC_HEV_GLASS, "unchecked", "unchecked", "unchecked"},
    {IDC_FILMGRAIN, "unchecked", "unchecked", "unchecked"},
    {IDC_SSAO, "unchecked", "unchecked", "unchecked"},
    {IDC_HPD, "checked", "unchecked", "unchecked"},
    {IDC_HPD_STRONGER, "checked, enabled", "unchecked, disabled", "unchecked, disabled"},
    {IDC_HPD_STRONGEST, "unchecked, enabled", "unchecked, disabled", "unchecked, disabled"},
    {IDC_UNCHARTED, "unchecked", "unchecked", "unchecked"},
    {IDC_UNCHARTED_STRONGER, "unchecked, disabled", "unchecked, disabled", "unchecked, disabled"},
    {IDC_UNCHARTED_STRONGEST, "unchecked, disabled", "unchecked, disabled", "unchecked, disabled"},
    {IDC_SHARPEN, "checked", "checked", "unchecked"},
    {IDC_SHARPEN_STRONGER, "unchecked, enabled", "unchecked, enabled", "unchecked, disabled"},
    {IDC_SHARPEN_STRONGEST, "unchecked", "unchecked", "unchecked"},
    {IDC_FILMIC, "unchecked", "checked", "unchecked"},
    {IDC_FILM_NOIR, "unchecked", "unchecked", "unchecked"},
    {IDC_GAUSS_BLUR, "unchecked", "unchecked", "unchecked"},
    {IDC_GAUSS_HORIZONTAL, "disabled, check -", "disabled, check -", "disabled, check -"},
    {IDC_DOF, "checked", "checked", "unchecked"},
    {IDC_DOF_CHROMATIC, "checked, enabled", "checked, enabled", "unchecked, disabled"},
    {IDC_DOF_STRONGER, "unchecked, enabled", "unchecked, enabled", "unchecked, disabled"},
    {IDC_PARTICLES, "checked", "checked", "unchecked"},
    {IDC_FXAA, "-", "-", "-"},
    {IDC_SWEETFX, "unchecked", "unchecked", "unchecked, enabled"},
    {IDC_SWEETFX_PRESET, "disabled, preset choice", "disabled, preset choice",
     "disabled, selection -"},
    {IDC_PRESET_EDIT, "disabled", "disabled", "disabled"},
    {IDC_RESHADE, "unchecked", "unchecked", "unchecked"},
};

std::vector<ControlChange> ChangesOf(int control, const std::string& words) {
  std::vector<ControlChange> changes;
  std::istringstream parts(words);
  for (std::string part; std::getline(parts >> std::ws, part, ',');) {
    if (part == "checked") changes.push_back(Check(control));
    if (part == "unchecked") changes.push_back(Uncheck(control));
    if (part == "enabled") changes.push_back(Enable(control));
    if (part == "disabled") changes.push_back(Disable(control));
    if (part == "preset choice") changes.push_back(Select(control, kRecommendedPreset));
    if (part.starts_with("item ")) changes.push_back(Select(control, std::stoi(part.substr(5))));
  }
  return changes;
}

struct PresetButton {
  const char* name;
  int id;
  const char* PresetRow::*column;
};

void PrintTo(const PresetButton& button, std::ostream* out) { *out << button.name; }

const PresetButton kPresetButtons[] = {
    {"Recommended", IDC_RECOMMENDED, &PresetRow::recommended},
    {"Recommended2", IDC_RECOMMENDED2, &PresetRow::recommended2},
    {"MaximumValve", IDC_MAXIMUM_VALVE, &PresetRow::maximum_valve},
};

class PresetButtonTest : public DialogRulesTest,
                         public ::testing::WithParamInterface<std::tuple<PresetButton, Start>> {};

TEST_P(PresetButtonTest, SetsItsWholeStateAndNothingElseOnEveryClick) {
  const auto& [button, start] = GetParam();
  StartFrom(start);
  DialogState expected = Now();
  for (const PresetRow& row : kPresetTable) {
    testing::Apply(expected, ChangesOf(row.control, row.*button.column));
  }

  EXPECT_FALSE(Click(button.id));
  EXPECT_EQ("", Differences(expected, Now()));
  EXPECT_FALSE(Click(button.id));
  EXPECT_EQ("", Differences(expected, Now())) << "second click";
  ExpectNothingOutsideTheDialog();
}

std::string ButtonName(const ::testing::TestParamInfo<PresetButtonTest::ParamType>& info) {
  return std::string(std::get<0>(info.param).name) + "From" + StartName(std::get<1>(info.param));
}

INSTANTIATE_TEST_SUITE_P(Rules, PresetButtonTest,
                         ::testing::Combine(::testing::ValuesIn(kPresetButtons),
                                            ::testing::Values(Start::kAllOn, Start::kAllOff)),
                         ButtonName);

TEST_F(DialogRulesTest, RecommendationButtonsAlwaysReplaceThePresetSelection) {
  const struct {
    std::vector<std::string> items;
    int before;
    int after;
  } kCases[] = {
      {{"Default", "(NoSMAA)Default_Desaturated"}, 1, 2},
      {{"(NoSMAA)Default_Desaturated", "(NoSMAA)Default_Desaturated"}, 2, 1},
      {{"Cinematic", "Default"}, 2, 1},
      {{"Cinematic", "(nosmaa)default_desaturated"}, 0, 1},
      {{}, 0, 0},
  };
  for (const int button : {IDC_RECOMMENDED, IDC_RECOMMENDED2}) {
    for (const auto& [items, before, after] : kCases) {
      SCOPED_TRACE(::testing::PrintToString(items) + " from " + std::to_string(before) +
                   ", button " + std::to_string(button));
      while (dialog.ItemCount(IDC_SWEETFX_PRESET) > 0) dialog.RemoveItem(IDC_SWEETFX_PRESET, 1);
      for (const std::string& item : items) dialog.AddItem(IDC_SWEETFX_PRESET, item);
      dialog.Select(IDC_SWEETFX_PRESET, before);
      Click(button);
      EXPECT_EQ(after, dialog.Selection(IDC_SWEETFX_PRESET));
    }
  }
}

}  // namespace
}  // namespace veyra::dialog
