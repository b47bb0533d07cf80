// Leaving the dialog: OK takes every option from its control and rewrites the
// three console scripts; Cancel and a close request touch nothing; every other
// command leaves the dialog open and unchanged.
#include "dialog/confirmation.h"

#include <gtest/gtest.h>

#include <set>

#include "app/dialog_layout.h"
#include "config/settings_block.h"
#include "dialog/event_handler.h"
#include "model/control_ids.h"
#include "tests/doubles/fault_injecting_os.h"
#include "tests/doubles/recording_os.h"
#include "tests/doubles/test_os.h"

namespace veyra::dialog {
namespace {

using namespace app;
using namespace model;
using platform::MemoryDialog;
using testing::Call;

constexpr const char* kScripts[] = {"VYhl2\\cfg\\autoexec.cfg", "VYepisodic\\cfg\\autoexec.cfg",
                                    "VYep2\\cfg\\autoexec.cfg"};

std::string FolderOf(const std::string& relative) {
  return relative.substr(0, relative.rfind('\\'));
}

// ---------------------------------------------------------------- capture

struct CheckBoxValue {
  int control;
  int SettingsState::*value;
};

const CheckBoxValue kCheckBoxValues[] = {
    {IDC_FILMIC, &SettingsState::FilmicTonemapping},
    {IDC_FXAA, &SettingsState::Fxaa},
    {IDC_SHARPEN, &SettingsState::Sharpen},
    {IDC_SHARPEN_STRONGER, &SettingsState::SharpenStronger},
    {IDC_SHARPEN_STRONGEST, &SettingsState::SharpenStrongest},
    {IDC_UNCHARTED, &SettingsState::UnchartedTonemapping},
    {IDC_UNCHARTED_STRONGER, &SettingsState::UnchartedStronger},
    {IDC_UNCHARTED_STRONGEST, &SettingsState::UnchartedStrongest},
    {IDC_HPD, &SettingsState::HpdTonemapping},
    {IDC_HPD_STRONGER, &SettingsState::HpdStronger},
    {IDC_HPD_STRONGEST, &SettingsState::HpdStrongest},
    {IDC_DOF, &SettingsState::DepthOfField},
    {IDC_DOF_CHROMATIC, &SettingsState::DofChromatic},
    {IDC_DOF_STRONGER, &SettingsState::DofStronger},
    {IDC_FILMGRAIN, &SettingsState::FilmGrain},
    {IDC_PRELOAD_NPC, &SettingsState::PreloadNpcResources},
    {IDC_PRELOAD_OTHER, &SettingsState::PreloadOtherResources},
    {IDC_PARTICLES, &SettingsState::EnhancedParticles},
    {IDC_BLOOM, &SettingsState::EnhancedBloom},
    {IDC_COAST_NIGHT, &SettingsState::CoastNight},
    {IDC_VEYRA_SKILL, &SettingsState::VeyraSkill},
    {IDC_VIGNETTE, &SettingsState::Vignette},
    {IDC_SSAO, &SettingsState::Ssao},
    {IDC_GAUSS_BLUR, &SettingsState::GaussBlur},
    {IDC_GAUSS_HORIZONTAL, &SettingsState::GaussBlurHorizontal},
    {IDC_FILM_NOIR, &SettingsState::FilmNoir},
    {IDC_SUNRAYS, &SettingsState::Sunrays},
    {IDC_HEADBOB, &SettingsState::Headbob},
    {IDC_SWEETFX, &SettingsState::SweetFx},
    {IDC_RECOIL, &SettingsState::WeaponRecoil},
    {IDC_HEV_GLASS, &SettingsState::HevGlass},
    {IDC_RESHADE, &SettingsState::ReShade},
    {IDC_HIDE_CROSSHAIR, &SettingsState::HideCrosshair},
    {IDC_VEYRA_WEAPONS, &SettingsState::VeyraWeapons},
    {IDC_ANAMORPH_FLARES, &SettingsState::AnamorphFlares},
    {IDC_LARGE_VRAM, &SettingsState::LargeVramMode},
};

TEST(CaptureSettingsTest, EveryCheckBoxGivesItsOwnValueWhetherEnabledOrNot) {
  std::set<int> boxes;
  for (const platform::ControlLayout& control : SettingsDialogLayout().controls) {
    if (control.kind == platform::ControlKind::kCheckBox) boxes.insert(control.id);
  }
  std::set<int> rows;
  for (const CheckBoxValue& row : kCheckBoxValues) rows.insert(row.control);
  ASSERT_EQ(boxes, rows) << "every check box of the dialog has exactly one value";

  for (const CheckBoxValue& row : kCheckBoxValues) {
    for (const bool checked : {true, false}) {
      SCOPED_TRACE(std::to_string(row.control) + (checked ? " checked" : " unchecked"));
      MemoryDialog dialog(SettingsDialogLayout());
      for (const int box : boxes) {
        dialog.SetChecked(box, box == row.control ? checked : !checked);
        dialog.SetEnabled(box, false);
      }
      SettingsState settings;
      for (const CheckBoxValue& any : kCheckBoxValues) settings.*any.value = 7;  // not yet taken

      CaptureSettings(dialog, settings);
      for (const CheckBoxValue& any : kCheckBoxValues) {
        EXPECT_EQ((any.control == row.control) == checked ? 1 : 0, settings.*any.value)
            << "value of " << any.control;
      }
    }
  }
}

TEST(CaptureSettingsTest, ListsGiveTheirOneBasedSelectionAndThePresetItsText) {
  const struct {
    int bloom;
    int sunrays;
    std::vector<std::string> presets;
    int preset;
    std::string preset_text;
  } kCases[] = {
      {8, 2, {"Cinematic", "SMAA_Sharp"}, 2, "SMAA_Sharp"},
      {1, 1, {"(NoSMAA)Default_Desaturated"}, 1, "(NoSMAA)Default_Desaturated"},
      {0, 0, {"Cinematic"}, 0, ""},
      {3, 0, {}, 0, ""},
  };
  for (const auto& [bloom, sunrays, presets, preset, preset_text] : kCases) {
    SCOPED_TRACE(preset_text + " " + std::to_string(bloom) + " " + std::to_string(sunrays));
    MemoryDialog dialog(SettingsDialogLayout());
    for (const char* item : kProvisionalBloomItems) dialog.AddItem(IDC_BLOOM_LEVEL, item);
    for (const char* item : kProvisionalSunraysItems) dialog.AddItem(IDC_SUNRAYS_LEVEL, item);
    for (const std::string& item : presets) dialog.AddItem(IDC_SWEETFX_PRESET, item);
    dialog.Select(IDC_BLOOM_LEVEL, bloom);
    dialog.Select(IDC_SUNRAYS_LEVEL, sunrays);
    dialog.Select(IDC_SWEETFX_PRESET, preset);
    for (const int list : {IDC_BLOOM_LEVEL, IDC_SUNRAYS_LEVEL, IDC_SWEETFX_PRESET}) {
      dialog.SetEnabled(list, false);
    }
    SettingsState settings;
    settings.SelectedSweetFxPreset = "before";
    settings.VrMode = 1;

    CaptureSettings(dialog, settings);
    EXPECT_EQ(bloom, settings.BloomLevel);
    EXPECT_EQ(sunrays, settings.SunraysLevel);
    EXPECT_EQ(preset_text, settings.SelectedSweetFxPreset);
    EXPECT_EQ(0, settings.VrMode);  // the dialog has no control for it
  }
}

// ---------------------------------------------------------------- the dialog's end

class ConfirmationTest : public ::testing::Test {
 protected:
  ConfirmationTest() {
    FillValueTables(state);
    SetStartDirectory(state, folder.path());
    state.Settings.VrMode = 1;
    for (const char* item : kProvisionalBloomItems) dialog.AddItem(IDC_BLOOM_LEVEL, item);
    for (const char* item : kProvisionalSunraysItems) dialog.AddItem(IDC_SUNRAYS_LEVEL, item);
    dialog.AddItem(IDC_SWEETFX_PRESET, "Default");
    // A player's choice: the save must write what the dialog shows.
    dialog.SetChecked(IDC_FXAA, true);
    dialog.SetChecked(IDC_BLOOM, true);
    dialog.Select(IDC_BLOOM_LEVEL, 3);
    dialog.SetChecked(IDC_SHARPEN, true);
    dialog.SetChecked(IDC_SHARPEN_STRONGEST, true);
  }

  std::string Path(const std::string& relative) const { return folder.Join(relative); }
  // The three scripts with their folders, each with a quoted command and an old block.
  void InstalledScripts() {
    for (const char* script : kScripts) {
      testing::MakeFolder(Path(FolderOf(script)));
      testing::WriteFileBytes(Path(script), OldScript(script));
    }
  }
  static std::string OldScript(const std::string& script) {
    return "// " + script + "\r\nbind \"F5\" \"jpeg\"\r\n" + std::string(config::kMarkerLine) +
           "\r\nrk_ppe_fxaa 0\r\n";
  }
  std::string Regenerated(const std::string& old) const {
    return config::RegenerateSettingsBlock(old, state);
  }

  testing::ScratchFolder folder;
  std::unique_ptr<platform::Os> real = testing::MakeRealOs();
  testing::RecordingOs recorder{*real};
  testing::FaultInjectingOs os{recorder};
  ProgramState state;
  MemoryDialog dialog{SettingsDialogLayout()};
  SettingsDialogEvents events{os, state};
};

TEST_F(ConfirmationTest, OkTakesTheOptionsRewritesTheThreeScriptsAndEndsTheDialog) {
  InstalledScripts();
  EXPECT_TRUE(events.OnCommand(dialog, IDC_OK, 0));
  EXPECT_TRUE(dialog.ended());
  EXPECT_EQ(0, state.CancelRequested);
  EXPECT_EQ(1, state.Settings.Fxaa);
  EXPECT_EQ(3, state.Settings.BloomLevel);
  EXPECT_EQ(0, state.Settings.VrMode);
  // Regenerated from the options just taken: a block from the old values would differ.
  for (const char* script : kScripts) {
    const std::string now = testing::ReadFileBytes(Path(script));
    EXPECT_EQ(Regenerated(OldScript(script)), now) << script;
    EXPECT_NE(std::string::npos, now.find("\r\nbind \"F5\" \"jpeg\"\r\n")) << script;
  }
  EXPECT_TRUE(recorder.messages.empty()) << recorder.messages.front().text;
}

TEST_F(ConfirmationTest, MissingScriptInAnExistingFolderIsCreated) {
  InstalledScripts();
  ASSERT_EQ(0u, real->Delete(Path(kScripts[1])));
  ASSERT_FALSE(testing::PathExists(Path(kScripts[1])));

  events.OnCommand(dialog, IDC_OK, 0);
  EXPECT_EQ(Regenerated(""), testing::ReadFileBytes(Path(kScripts[1])));
  EXPECT_TRUE(recorder.messages.empty()) << recorder.messages.front().text;
}

class MissingFolderTest : public ConfirmationTest, public ::testing::WithParamInterface<int> {};

TEST_P(MissingFolderTest, IsReportedForThatGameAloneAndTheOthersAreSaved) {
  const std::string missing = kScripts[GetParam()];
  for (const char* script : kScripts) {
    if (script == missing) continue;
    testing::MakeFolder(Path(FolderOf(script)));
    testing::WriteFileBytes(Path(script), OldScript(script));
  }

  EXPECT_TRUE(events.OnCommand(dialog, IDC_OK, 0));
  EXPECT_TRUE(dialog.ended());
  EXPECT_EQ(0, state.CancelRequested);
  ASSERT_EQ(1u, recorder.messages.size());
  EXPECT_EQ("Following error occured while trying to save the file:\r\n" + Path(missing) +
                "\r\nError: 76, Path not found\r\n\r\nThe file could not be saved.",
            recorder.messages[0].text);
  EXPECT_EQ("Save file error!", recorder.messages[0].caption);
  EXPECT_EQ(0x2030u, recorder.messages[0].flags);  // exclamation, task-modal, OK
  EXPECT_FALSE(testing::PathExists(Path(FolderOf(missing))));
  for (const char* script : kScripts) {
    if (script == missing) continue;
    EXPECT_EQ(Regenerated(OldScript(script)), testing::ReadFileBytes(Path(script))) << script;
  }
}

INSTANTIATE_TEST_SUITE_P(Confirmation, MissingFolderTest, ::testing::Values(0, 1, 2));

// A read-only script (the player marked it so) stays as it is, and the
// player learns that the choices did not reach it.
TEST_F(ConfirmationTest, ScriptOpenedOnlyForReadingStaysAsItIsAndIsReported) {
  InstalledScripts();
  os.Inject({Call::kOpenReadWrite, platform::error::kAccessDenied, kScripts[0]});

  EXPECT_TRUE(events.OnCommand(dialog, IDC_OK, 0));
  EXPECT_EQ(OldScript(kScripts[0]), testing::ReadFileBytes(Path(kScripts[0])));
  EXPECT_EQ(Regenerated(OldScript(kScripts[1])), testing::ReadFileBytes(Path(kScripts[1])));
  EXPECT_EQ(Regenerated(OldScript(kScripts[2])), testing::ReadFileBytes(Path(kScripts[2])));
  ASSERT_EQ(1u, recorder.messages.size());
  EXPECT_EQ("Following error occured while trying to save the file:\r\n" + Path(kScripts[0]) +
                "\r\nError: 70, Permission denied\r\n\r\nThe file could not be saved.",
            recorder.messages[0].text);
}

enum class Leave { kCancel, kCancelCodeOne, kCloseRequest };

class CancelTest : public ConfirmationTest, public ::testing::WithParamInterface<Leave> {};

TEST_P(CancelTest, EndsTheDialogTouchingNothing) {
  InstalledScripts();
  const SettingsState before = state.Settings;
  bool ended_by_handler = true;
  switch (GetParam()) {
    case Leave::kCancel: ended_by_handler = events.OnCommand(dialog, IDC_CANCEL, 0); break;
    case Leave::kCancelCodeOne: ended_by_handler = events.OnCommand(dialog, IDC_CANCEL, 1); break;
    case Leave::kCloseRequest: events.OnCloseRequest(dialog); break;
  }

  EXPECT_TRUE(ended_by_handler);
  EXPECT_TRUE(dialog.ended());
  EXPECT_EQ(1, state.CancelRequested);
  EXPECT_EQ(before.Fxaa, state.Settings.Fxaa);
  EXPECT_EQ(before.VrMode, state.Settings.VrMode);
  EXPECT_TRUE(os.calls.empty()) << os.calls.size() << " file operations, first on "
                                << os.calls.front().path;
  for (const char* script : kScripts) {
    EXPECT_EQ(OldScript(script), testing::ReadFileBytes(Path(script))) << script;
  }
  EXPECT_TRUE(recorder.messages.empty());
}

std::string LeaveName(const ::testing::TestParamInfo<Leave>& info) {
  const char* const kNames[] = {"Cancel", "CancelCodeOne", "CloseRequest"};
  return kNames[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Confirmation, CancelTest,
                         ::testing::Values(Leave::kCancel, Leave::kCancelCodeOne,
                                           Leave::kCloseRequest),
                         LeaveName);

TEST_F(ConfirmationTest, OtherCommandsLeaveTheDialogOpenAndUnchanged) {
  const struct {
    const char* name;
    int id;
    int code;
  } kCommands[] = {
      {"Escape", 2, 0},
      {"OK double-clicked", IDC_OK, 5},
      {"OK focus", IDC_OK, 6},
      {"Cancel focus lost", IDC_CANCEL, 7},
      {"edit double-clicked", IDC_PRESET_EDIT, 5},
      {"recommendation double-clicked", IDC_RECOMMENDED, 5},
      {"box double-clicked", IDC_HPD, 5},
      {"bloom level changed", IDC_BLOOM_LEVEL, 1},
      {"sun-rays level changed", IDC_SUNRAYS_LEVEL, 1},
      {"preset changed", IDC_SWEETFX_PRESET, 1},
      {"preset chosen", IDC_SWEETFX_PRESET, 9},
      {"preset list opened", IDC_SWEETFX_PRESET, 7},
  };
  InstalledScripts();
  // Any reaction would show: boxes that exclude each other are both checked.
  for (const platform::ControlLayout& control : SettingsDialogLayout().controls) {
    dialog.SetChecked(control.id, true);
  }
  const testing::DialogState before = testing::StateOf(dialog, SettingsDialogLayout());
  for (const auto& [name, id, code] : kCommands) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(events.OnCommand(dialog, id, code));
    EXPECT_EQ("", testing::Differences(before, testing::StateOf(dialog, SettingsDialogLayout())));
    EXPECT_FALSE(dialog.ended());
  }
  EXPECT_EQ(0, state.CancelRequested);
  EXPECT_EQ(0, state.Settings.Fxaa);
  EXPECT_TRUE(os.calls.empty()) << os.calls.size() << " file operations";
  EXPECT_TRUE(recorder.messages.empty());
  EXPECT_TRUE(recorder.started.empty()) << recorder.started.front().command_line;
}

}  // namespace
}  // namespace veyra::dialog
