// The detection of the installed state, run as the program runs it: in a game
// folder built for each case, up to the moment the dialog is shown.
#include "app/detection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "app/configurator.h"
#include "app/dialog_layout.h"
#include "config/default_autoexec.h"
#include "dialog/confirmation.h"
#include "model/control_ids.h"
#include "tests/doubles/fault_injecting_os.h"
#include "tests/doubles/recording_os.h"
#include "tests/doubles/test_os.h"

namespace veyra::app {
namespace {

using namespace model;

using platform::Check;
using platform::ControlChange;
using platform::DirEntry;
using platform::Disable;
using platform::Enable;
using platform::Select;
using platform::Uncheck;
using testing::DialogState;
using testing::Differences;
using testing::Call;
using platform::Operation;
namespace attribute = platform::attribute;

constexpr const char* kConfigCfg = "VYhl2\\cfg\\config.cfg";
constexpr const char* kAutoexec = "VYhl2\\cfg\\autoexec.cfg";
constexpr const char* kAutoexecFiles[] = {kAutoexec, "VYepisodic\\cfg\\autoexec.cfg",
                                          "VYep2\\cfg\\autoexec.cfg"};
constexpr const char* kSpritesTag = "hl2\\custom\\1_VY_looseFiles\\materials\\sprites\\tag";
constexpr const char* kSkillTag = "VYhl2\\cfg\\tag";
constexpr const char* kWeaponsTag = "hl2\\custom\\1_VY_looseFiles\\models\\weapons\\tag";
constexpr const char* kMapsTag = "hl2\\custom\\1_VY_looseFiles\\maps\\tag";
constexpr const char* kPrecache = "VYhl2\\shadereditorui\\postprocessing_precache.txt";
constexpr const char* kPresetFile = "bin\\SweetFX_preset.txt";

std::string FolderOf(const std::string& relative) {
  return relative.substr(0, relative.rfind('\\'));
}

std::string OpenFailureText(const std::string& lead, const std::string& path,
                            const std::string& error_line) {
  return lead + "\r\n" + path + "\r\n" + error_line + "\r\n\r\nThe file could not be opened.";
}
const std::string kOpenLead = "Following error occured while trying to open the file:";

// A precache entry as the game's lists hold it: the effect file, then its switch.
std::string PrecacheEntry(const std::string& effect, char digit, const std::string& line_end) {
  return "\t\t\"file\"\t\t\"shadereditorui/effects/" + effect + ".txt\"" + line_end +
         "\t\t\"effect_start_enabled\"\t\t\"" + digit + "\"" + line_end;
}
std::string Precache(char sunrays, char strong, const std::string& line_end = "\n") {
  return "\"postprocessing_precache\"" + line_end + "{" + line_end +
         PrecacheEntry("ppe_sunrays", sunrays, line_end) +
         PrecacheEntry("ppe_sunrays_strong", strong, line_end) + "}" + line_end;
}

// The presets folder as a file system might list it, when a test chooses its entries.
class PresetListingOs : public platform::ForwardingOs {
 public:
  using ForwardingOs::ForwardingOs;

  std::optional<std::vector<DirEntry>> presets;
  std::vector<std::string> patterns;

  platform::SystemError ListDirectory(const std::string& pattern,
                                      std::vector<DirEntry>& entries) override {
    patterns.push_back(pattern);
    if (presets && pattern.ends_with("\\SweetFX\\Presets\\*.*")) {
      entries = *presets;
      return platform::error::kSuccess;
    }
    return inner_.ListDirectory(pattern, entries);
  }
};

class DetectionTest : public ::testing::Test {
 protected:
  // Every case runs in the game's installation folder, however little of the
  // modification it holds.
  DetectionTest() {
    testing::MakeFolder(folder.Join("hl2"));
    recorder.current_directory = folder.path();
    recorder.registry_overlay[{"Software\\Valve\\Steam", "Language"}] = std::nullopt;
  }

  void Put(const std::string& relative, const std::string& content) {
    testing::MakeFolder(folder.Join(FolderOf(relative)));
    testing::WriteFileBytes(folder.Join(relative), content);
  }
  // An installed game whose console settings are `autoexec`.
  void InstalledGame(const std::string& autoexec) {
    Put(kConfigCfg, "unbindall\n");
    for (const char* file : kAutoexecFiles) Put(file, autoexec);
  }
  // Starts the program in the game folder and returns the dialog as it is shown;
  // the player then cancels, so nothing is applied.
  DialogState Detect() {
    DialogState shown;
    recorder.dialog_script = [this, &shown](platform::MemoryDialog& dialog,
                                            platform::DialogEvents& events) {
      shown = testing::StateOf(dialog, SettingsDialogLayout());
      dialog::CaptureSettings(dialog, shown_as_confirmed);
      events.OnCommand(dialog, IDC_CANCEL, 0);
    };
    state = ProgramState{};
    recorder.messages.clear();
    RunConfigurator(os, state);
    return shown;
  }
  // The dialog of an installed game with empty console settings and nothing else.
  DialogState Baseline() {
    InstalledGame("");
    return Detect();
  }

  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> texts;
    for (const testing::ShownMessage& message : recorder.messages) texts.push_back(message.text);
    return texts;
  }

  testing::ScratchFolder folder;
  std::unique_ptr<platform::Os> real = testing::MakeRealOs();
  PresetListingOs listing{*real};
  testing::RecordingOs recorder{listing};
  testing::FaultInjectingOs os{recorder};
  ProgramState state;
  // What a confirmation would take from the dialog as it was shown.
  SettingsState shown_as_confirmed;
};

// ---------------------------------------------------------------- configuration files

TEST_F(DetectionTest, FreshInstallCreatesTheConsoleScriptsBeforeReadingOne) {
  for (const char* file : kAutoexecFiles) {
    testing::MakeFolder(folder.Join(FolderOf(file)));
  }
  const DialogState fresh = Detect();
  EXPECT_TRUE(recorder.messages.empty()) << recorder.messages.front().text;
  EXPECT_TRUE(testing::PathExists(folder.Join(kConfigCfg)));
  for (const char* file : kAutoexecFiles) {
    EXPECT_TRUE(config::DefaultAutoexecText() == testing::ReadFileBytes(folder.Join(file)))
        << file << " holds\n" << testing::ReadFileBytes(folder.Join(file));
  }

  DialogState expected = Baseline();
  testing::Apply(expected, {Uncheck(IDC_PRELOAD_NPC), Check(IDC_PRELOAD_OTHER),
                            Check(IDC_PARTICLES)});  // what the default text holds
  EXPECT_EQ("", Differences(expected, fresh));
}

TEST_F(DetectionTest, WithoutTheModFoldersEveryMissingFolderIsReportedAndTheDialogStillOpens) {
  const std::string error = "Error: 76, Path not found";
  const std::string save_without_path =
      "Following error occured while trying to save the file:\r\n" + error +
      "\r\n\r\nThe file could not be saved.";
  const std::vector<std::string> expected = {
      "Following error occured while trying to save the file:\r\n" + folder.Join(kConfigCfg) +
          "\r\n" + error + "\r\n\r\nThe file could not be saved.",
      OpenFailureText(kOpenLead, folder.Join(kConfigCfg), error),
      save_without_path,
      save_without_path,
      save_without_path,
      OpenFailureText(kOpenLead, folder.Join(kAutoexec), error),
  };

  const DialogState shown = Detect();
  EXPECT_FALSE(shown.empty()) << "the dialog was not shown";
  EXPECT_EQ(expected, MessageTexts());
  std::vector<std::string> entries;
  for (const auto& entry :
       std::filesystem::directory_iterator(testing::FileSystemPath(folder.path()))) {
    entries.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(std::vector<std::string>{"hl2"}, entries) << "something was created";
}

// An autoexec that cannot be opened, or read, is reported and the console step skipped.
struct AutoexecFault {
  const char* name;
  std::vector<testing::CallKind> ops;
  platform::SystemError error;
  std::string error_line;
};

void PrintTo(const AutoexecFault& fault, std::ostream* out) { *out << fault.name; }

class AutoexecFaultTest : public DetectionTest, public ::testing::WithParamInterface<AutoexecFault> {};

TEST_P(AutoexecFaultTest, LeavesTheConsoleControlsAsCreated) {
  DialogState expected = Baseline();
  // Against empty console settings: no test of the console step has run.
  testing::Apply(expected, {Uncheck(IDC_PRELOAD_NPC), Uncheck(IDC_BLOOM),
                            Disable(IDC_BLOOM_LEVEL), Select(IDC_BLOOM_LEVEL, 0),
                            Enable(IDC_SHARPEN_STRONGER), Enable(IDC_UNCHARTED_STRONGER),
                            Enable(IDC_UNCHARTED_STRONGEST), Enable(IDC_HPD_STRONGER),
                            Enable(IDC_HPD_STRONGEST), Enable(IDC_GAUSS_HORIZONTAL)});
  InstalledGame("rk_ppe_fxaa 1\r\nrk_ppe_sharpen 2\r\nmat_bloom_scalefactor_scalar 6.54\r\n");
  for (const testing::CallKind& op : GetParam().ops) os.Inject({op, GetParam().error, kAutoexec});

  EXPECT_EQ("", Differences(expected, Detect()));
  ASSERT_EQ(1u, recorder.messages.size());
  EXPECT_EQ(OpenFailureText(kOpenLead, folder.Join(kAutoexec), GetParam().error_line),
            recorder.messages[0].text);
  EXPECT_EQ("File error!", recorder.messages[0].caption);
  EXPECT_EQ(0x2030u, recorder.messages[0].flags);  // exclamation, task-modal, OK
  EXPECT_EQ("", state.BloomScaleValue);
  EXPECT_EQ(0, state.Settings.Fxaa);
  EXPECT_EQ(0, state.Settings.Sharpen);
  EXPECT_EQ(0, state.Settings.EnhancedBloom);
}

INSTANTIATE_TEST_SUITE_P(
    Detection, AutoexecFaultTest,
    ::testing::Values(AutoexecFault{"Unopenable",
                                    {Call::kOpenReadWrite, Call::kOpenReadOnly},
                                    platform::error::kSharingViolation,
                                    "Error: 70, Permission denied"},
                      // Not to be taken for an empty file: the dialog would show settings
                      // the player never made.
                      AutoexecFault{"Unreadable", {Operation::kRead}, platform::error::kReadFault,
                                    "Error: 72, Disk media error"}),
    [](const ::testing::TestParamInfo<AutoexecFault>& info) { return std::string(info.param.name); });

struct UnopenableCase {
  const char* name;
  const char* file;
  std::string content;  // what would count if the file could be read
};

void PrintTo(const UnopenableCase& row, std::ostream* out) { *out << row.name; }

class UnopenableFileTest : public DetectionTest,
                           public ::testing::WithParamInterface<UnopenableCase> {};

TEST_P(UnopenableFileTest, IsReportedAndCountsAsMissing) {
  const DialogState baseline = Baseline();
  Put(GetParam().file, GetParam().content);
  os.Inject({Call::kOpenReadWrite, platform::error::kFileNotFound, GetParam().file});
  os.Inject({Call::kOpenReadOnly, platform::error::kFileNotFound, GetParam().file});

  EXPECT_EQ("", Differences(baseline, Detect()));
  EXPECT_EQ(std::vector<std::string>{OpenFailureText(kOpenLead, folder.Join(GetParam().file),
                                                     "Error: 53, File not found")},
            MessageTexts());
  for (int InstalledState::*flag :
       {&InstalledState::AnamorphFlaresInstalled, &InstalledState::VeyraSkillInstalled,
        &InstalledState::VeyraWeaponsInstalled, &InstalledState::CoastNightInstalled}) {
    EXPECT_EQ(0, state.Installed.*flag);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Detection, UnopenableFileTest,
    ::testing::Values(UnopenableCase{"ConfigCfg", kConfigCfg, "unbindall\n"},
                      UnopenableCase{"SpritesTag", kSpritesTag, "anamorph"},
                      UnopenableCase{"SkillTag", kSkillTag, "vy"},
                      UnopenableCase{"WeaponsTag", kWeaponsTag, "VY"},
                      UnopenableCase{"MapsTag", kMapsTag, "night"},
                      UnopenableCase{"PrecacheList", kPrecache, Precache('1', '1')}),
    [](const ::testing::TestParamInfo<UnopenableCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- console settings

struct ConsoleCase {
  const char* name;
  std::string autoexec;
  std::vector<ControlChange> changes;  // against empty console settings
};

void PrintTo(const ConsoleCase& row, std::ostream* out) { *out << row.name; }

class ConsoleSettingsTest : public DetectionTest,
                            public ::testing::WithParamInterface<ConsoleCase> {};

TEST_P(ConsoleSettingsTest, SetsExactlyItsControls) {
  DialogState expected = Baseline();
  testing::Apply(expected, GetParam().changes);
  InstalledGame(GetParam().autoexec);
  EXPECT_EQ("", Differences(expected, Detect())) << GetParam().autoexec;
}

const ConsoleCase kConsoleCases[] = {
    {"LargeVram", "mat_forcemanagedtextureintohardware 1", {Check(IDC_LARGE_VRAM)}},
    {"Filmic", "rk_ppe_filmic 1", {Check(IDC_FILMIC)}},
    {"Fxaa", "rk_ppe_fxaa 1", {Check(IDC_FXAA)}},
    {"Sharpen1", "rk_ppe_sharpen 1", {Check(IDC_SHARPEN), Enable(IDC_SHARPEN_STRONGER)}},
    {"Sharpen2",
     "rk_ppe_sharpen 2",
     {Check(IDC_SHARPEN), Enable(IDC_SHARPEN_STRONGER), Check(IDC_SHARPEN_STRONGER)}},
    {"Sharpen3",
     "rk_ppe_sharpen 3",
     {Check(IDC_SHARPEN), Enable(IDC_SHARPEN_STRONGER), Check(IDC_SHARPEN_STRONGEST)}},
    {"Uncharted1",
     "rk_ppe_uncharted 1",
     {Check(IDC_UNCHARTED), Enable(IDC_UNCHARTED_STRONGER), Enable(IDC_UNCHARTED_STRONGEST)}},
    {"Uncharted2",
     "rk_ppe_uncharted 2",
     {Check(IDC_UNCHARTED), Enable(IDC_UNCHARTED_STRONGER), Enable(IDC_UNCHARTED_STRONGEST),
      Check(IDC_UNCHARTED_STRONGER)}},
    {"Uncharted3",
     "rk_ppe_uncharted 3",
     {Check(IDC_UNCHARTED), Enable(IDC_UNCHARTED_STRONGER), Enable(IDC_UNCHARTED_STRONGEST),
      Check(IDC_UNCHARTED_STRONGEST)}},
    {"Hpd1",
     "rk_ppe_hpd 1",
     {Check(IDC_HPD), Enable(IDC_HPD_STRONGER), Enable(IDC_HPD_STRONGEST)}},
    {"Hpd2",
     "rk_ppe_hpd 2",
     {Check(IDC_HPD), Enable(IDC_HPD_STRONGER), Enable(IDC_HPD_STRONGEST),
      Check(IDC_HPD_STRONGER)}},
    {"Hpd3",
     "rk_ppe_hpd 3",
     {Check(IDC_HPD), Enable(IDC_HPD_STRONGER), Enable(IDC_HPD_STRONGEST),
      Check(IDC_HPD_STRONGEST)}},
    {"Dof1", "rk_ppe_bokehdof 1", {Check(IDC_DOF)}},
    {"Dof2", "rk_ppe_bokehdof 2", {Check(IDC_DOF), Check(IDC_DOF_CHROMATIC)}},
    {"Dof3",
     "rk_ppe_bokehdof 3",
     {Check(IDC_DOF), Check(IDC_DOF_CHROMATIC), Check(IDC_DOF_STRONGER)}},
    {"FilmGrain", "rk_ppe_filmgrain 1", {Check(IDC_FILMGRAIN)}},
    {"Crosshair", "crosshair 0", {Check(IDC_HIDE_CROSSHAIR)}},
    {"Recoil", "rk_weapons_recoil 1", {Check(IDC_RECOIL)}},
    {"Headbob", "RK_viewbob_enabled 1", {Check(IDC_HEADBOB)}},
    {"Vignette", "rk_ppe_vignette 1", {Check(IDC_VIGNETTE)}},
    {"Ssao", "ae_ssao 1", {Check(IDC_SSAO)}},
    {"GaussBlur1", "rk_ppe_gaussblur 1", {Check(IDC_GAUSS_BLUR), Enable(IDC_GAUSS_HORIZONTAL)}},
    {"GaussBlur2",
     "rk_ppe_gaussblur 2",
     {Check(IDC_GAUSS_BLUR), Enable(IDC_GAUSS_HORIZONTAL), Check(IDC_GAUSS_HORIZONTAL)}},
    {"FilmNoir", "rk_ppe_desaturate 1", {Check(IDC_FILM_NOIR)}},
    {"Glass1", "rk_ppe_glass_effect 1", {Check(IDC_HEV_GLASS)}},
    {"Glass2", "rk_ppe_glass_effect 2", {Check(IDC_HEV_GLASS)}},
    {"NpcNotPreloaded", "npc_citizen_dont_precache_all 1", {Uncheck(IDC_PRELOAD_NPC)}},
    {"PreloadOther", "sv_forcepreload 1", {Check(IDC_PRELOAD_OTHER)}},
    {"Particles", "cl_new_impact_effects 1", {Check(IDC_PARTICLES)}},
    {"BloomOff",
     "mat_bloom_scalefactor_scalar 1.00",
     {Uncheck(IDC_BLOOM), Disable(IDC_BLOOM_LEVEL)}},
    // The tests run in a fixed order, each on its own: later ones win.
    {"Sharpen1And3",
     "rk_ppe_sharpen 3\r\nrk_ppe_sharpen 1\r\n",
     {Check(IDC_SHARPEN), Enable(IDC_SHARPEN_STRONGER), Check(IDC_SHARPEN_STRONGEST)}},
    {"Sharpen2And3",
     "rk_ppe_sharpen 3\r\nrk_ppe_sharpen 2\r\n",
     {Check(IDC_SHARPEN), Enable(IDC_SHARPEN_STRONGER), Check(IDC_SHARPEN_STRONGEST)}},
    {"Uncharted2And3",
     "rk_ppe_uncharted 2\r\nrk_ppe_uncharted 3\r\n",
     {Check(IDC_UNCHARTED), Enable(IDC_UNCHARTED_STRONGER), Enable(IDC_UNCHARTED_STRONGEST),
      Check(IDC_UNCHARTED_STRONGEST)}},
    {"HpdWinsOverUncharted",
     "rk_ppe_hpd 3\r\nrk_ppe_uncharted 2\r\n",
     {Check(IDC_UNCHARTED_STRONGER), Check(IDC_HPD), Enable(IDC_HPD_STRONGER),
      Enable(IDC_HPD_STRONGEST), Check(IDC_HPD_STRONGEST)}},
    {"GaussBlur1SkipsGaussBlur2",
     "rk_ppe_gaussblur 2\r\nrk_ppe_gaussblur 1\r\n",
     {Check(IDC_GAUSS_BLUR), Enable(IDC_GAUSS_HORIZONTAL)}},
    // The text is searched without its quotes and without regard to comments.
    {"QuotedValue",
     "rk_ppe_sharpen \"2\"",
     {Check(IDC_SHARPEN), Enable(IDC_SHARPEN_STRONGER), Check(IDC_SHARPEN_STRONGER)}},
    {"QuotesInsideName", "rk_ppe_\"fx\"aa 1", {Check(IDC_FXAA)}},
    {"CommentedOut", "//crosshair 0", {Check(IDC_HIDE_CROSSHAIR)}},
    {"OtherCapitals", "rk_viewbob_enabled 1\r\nRK_PPE_FXAA 1", {}},
};

INSTANTIATE_TEST_SUITE_P(Detection, ConsoleSettingsTest, ::testing::ValuesIn(kConsoleCases),
                         [](const ::testing::TestParamInfo<ConsoleCase>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(DetectionTest, BloomLevelIsTheFirstScaleValueFoundInTryingOrder) {
  const struct {
    std::string autoexec;
    bool on;
    int item;
    std::string value;
  } kCases[] = {
      {"", true, 1, "3.59"},
      {"mat_bloom_scalefactor_scalar 1.00", false, 1, "3.59"},
      {"mat_bloom_scalefactor_scalar 3.59", true, 1, "3.59"},
      {"mat_bloom_scalefactor_scalar 6.54", true, 2, "6.54"},
      {"mat_bloom_scalefactor_scalar 8.55", true, 3, "8.55"},
      {"mat_bloom_scalefactor_scalar 10.70", true, 4, "10.70"},
      {"mat_bloom_scalefactor_scalar 16.80", true, 5, "16.80"},
      {"mat_bloom_scalefactor_scalar 0.70", true, 6, "0.70"},
      {"mat_bloom_scalefactor_scalar 1.20", true, 7, "1.20"},
      {"mat_bloom_scalefactor_scalar 1.61", true, 8, "1.61"},
      {"mat_bloom_scalefactor_scalar \"16.80\"", true, 5, "16.80"},
      // Tried in the order 1, 2, 3, 4, 6, 7, 5, 8.
      {"mat_bloom_scalefactor_scalar 16.80\r\nmat_bloom_scalefactor_scalar 0.70", true, 6, "0.70"},
      {"mat_bloom_scalefactor_scalar 16.80\r\nmat_bloom_scalefactor_scalar 1.20", true, 7, "1.20"},
      {"mat_bloom_scalefactor_scalar 1.61\r\nmat_bloom_scalefactor_scalar 16.80", true, 5, "16.80"},
      {"mat_bloom_scalefactor_scalar 1.61\r\nmat_bloom_scalefactor_scalar 3.59", true, 1, "3.59"},
      // The level is read even with enhanced bloom off.
      {"mat_bloom_scalefactor_scalar 1.00\r\nmat_bloom_scalefactor_scalar 8.55", false, 3, "8.55"},
  };
  for (const auto& [autoexec, on, item, value] : kCases) {
    SCOPED_TRACE(autoexec);
    InstalledGame(autoexec);
    const DialogState shown = Detect();
    EXPECT_EQ(on, shown.at(IDC_BLOOM).checked);
    EXPECT_EQ(on, shown.at(IDC_BLOOM_LEVEL).enabled);
    EXPECT_EQ(item, shown.at(IDC_BLOOM_LEVEL).selection);
    EXPECT_EQ(value, state.BloomScaleValue);
    EXPECT_EQ(on ? 1 : 0, state.Settings.EnhancedBloom);
    EXPECT_EQ(0, state.Settings.BloomLevel);  // taken only when the player confirms
  }
}

// ---------------------------------------------------------------- settings flags

using Flag = int SettingsState::*;
using S = SettingsState;

// The flags that take their control's state at the end of the console step...
constexpr Flag kFlagsFromConsoleStep[] = {
    &S::LargeVramMode,   &S::PreloadNpcResources, &S::PreloadOtherResources, &S::EnhancedBloom,
    &S::EnhancedParticles, &S::Headbob,           &S::HideCrosshair,       &S::FilmNoir,
    &S::Vignette,        &S::Ssao,                &S::GaussBlur,           &S::HevGlass,
    &S::WeaponRecoil,    &S::DepthOfField,        &S::DofChromatic,        &S::DofStronger,
    &S::FilmGrain,       &S::FilmicTonemapping,   &S::Fxaa,                &S::Sharpen,
    &S::SharpenStronger, &S::SharpenStrongest,    &S::UnchartedTonemapping, &S::UnchartedStronger,
    &S::UnchartedStrongest, &S::HpdTonemapping,   &S::HpdStronger,         &S::HpdStrongest};
// ...and those only the confirmation sets, whatever the dialog shows.
constexpr Flag kFlagsFromConfirmation[] = {&S::AnamorphFlares, &S::VeyraWeapons, &S::CoastNight,
                                           &S::VeyraSkill,     &S::GaussBlurHorizontal,
                                           &S::Sunrays,        &S::BloomLevel,   &S::SunraysLevel};

TEST_F(DetectionTest, SettingsFlagsFollowTheirControlsOrWaitForTheConfirmation) {
  // Between them the three scripts check every control of the console step once.
  const std::string kAutoexecs[] = {
      "mat_forcemanagedtextureintohardware 1\r\nrk_ppe_filmic 1\r\nrk_ppe_fxaa 1\r\n"
      "rk_ppe_sharpen 2\r\nrk_ppe_uncharted 3\r\nrk_ppe_bokehdof 3\r\nrk_ppe_filmgrain 1\r\n"
      "crosshair 0\r\nrk_weapons_recoil 1\r\nRK_viewbob_enabled 1\r\nrk_ppe_vignette 1\r\n"
      "ae_ssao 1\r\nrk_ppe_gaussblur 2\r\nrk_ppe_desaturate 1\r\nrk_ppe_glass_effect 1\r\n"
      "sv_forcepreload 1\r\ncl_new_impact_effects 1\r\nmat_bloom_scalefactor_scalar 8.55\r\n",
      "rk_ppe_sharpen 3\r\nrk_ppe_hpd 2\r\nnpc_citizen_dont_precache_all 1\r\n"
      "mat_bloom_scalefactor_scalar 1.00\r\n",
      "rk_ppe_uncharted 2\r\nrk_ppe_hpd 3\r\n",
  };
  // Installed content checks boxes whose flags must still wait.
  Put(kSpritesTag, "anamorph");
  Put(kWeaponsTag, "VY");
  Put(kMapsTag, "night");
  Put(kSkillTag, "vy");
  Put(kPrecache, Precache('1', '0'));
  int times_set[std::size(kFlagsFromConsoleStep)] = {};
  int times_shown[std::size(kFlagsFromConfirmation)] = {};
  for (const std::string& autoexec : kAutoexecs) {
    SCOPED_TRACE(autoexec);
    InstalledGame(autoexec);
    Detect();
    for (std::size_t n = 0; n < std::size(kFlagsFromConsoleStep); ++n) {
      const Flag flag = kFlagsFromConsoleStep[n];
      EXPECT_EQ(shown_as_confirmed.*flag, state.Settings.*flag) << "flag " << n;
      times_set[n] += state.Settings.*flag;
    }
    for (std::size_t n = 0; n < std::size(kFlagsFromConfirmation); ++n) {
      EXPECT_EQ(0, state.Settings.*kFlagsFromConfirmation[n]) << "confirmed flag " << n;
      times_shown[n] += shown_as_confirmed.*kFlagsFromConfirmation[n];
    }
  }
  // Otherwise the test would prove nothing.
  for (std::size_t n = 0; n < std::size(kFlagsFromConsoleStep); ++n) {
    EXPECT_NE(0, times_set[n]) << "flag " << n << " never set";
  }
  for (std::size_t n = 0; n < std::size(kFlagsFromConfirmation); ++n) {
    EXPECT_NE(0, times_shown[n]) << "confirmed flag " << n << " never shown";
  }
}

// ---------------------------------------------------------------- marker files

TEST_F(DetectionTest, VrModeFollowsTheVrMarker) {
  InstalledGame("");
  Detect();
  EXPECT_EQ(0, state.Settings.VrMode);
  Put("VR_TAG", "");
  Detect();
  EXPECT_EQ(1, state.Settings.VrMode);
}

struct TagCase {
  const char* name;
  const char* file;
  std::string content;
  int InstalledState::*flag;
  int installed;
  std::vector<ControlChange> changes;  // against a game without the tag file
};

void PrintTo(const TagCase& row, std::ostream* out) { *out << row.name; }

class TagFileTest : public DetectionTest, public ::testing::WithParamInterface<TagCase> {};

TEST_P(TagFileTest, MarksTheContentSetInstalledWhenItHoldsItsWord) {
  DialogState expected = Baseline();
  testing::Apply(expected, GetParam().changes);
  Put(GetParam().file, GetParam().content);
  EXPECT_EQ("", Differences(expected, Detect()));
  EXPECT_EQ(GetParam().installed, state.Installed.*GetParam().flag);
  EXPECT_TRUE(recorder.messages.empty());
}

const std::vector<ControlChange> kWeaponsInstalled = {Check(IDC_VEYRA_WEAPONS), Enable(IDC_RECOIL),
                                               Enable(IDC_HIDE_CROSSHAIR)};

INSTANTIATE_TEST_SUITE_P(
    Detection, TagFileTest,
    ::testing::Values(
        TagCase{"Anamorph", kSpritesTag, "anamorph\r\n", &InstalledState::AnamorphFlaresInstalled,
                1, {Check(IDC_ANAMORPH_FLARES)}},
        TagCase{"AnamorphQuoted", kSpritesTag, "\"ana\"morph", &InstalledState::AnamorphFlaresInstalled,
                1, {Check(IDC_ANAMORPH_FLARES)}},
        TagCase{"AnamorphCapitalised", kSpritesTag, "Anamorph",
                &InstalledState::AnamorphFlaresInstalled, 0, {}},
        TagCase{"Round", kSpritesTag, "round\r\n", &InstalledState::AnamorphFlaresInstalled, 0, {}},
        TagCase{"Skill", kSkillTag, "vy skill\r\n", &InstalledState::VeyraSkillInstalled, 1,
                {Check(IDC_VEYRA_SKILL)}},
        TagCase{"SkillCapitalised", kSkillTag, "VY", &InstalledState::VeyraSkillInstalled, 0, {}},
        TagCase{"Weapons", kWeaponsTag, "VY weapons\r\n", &InstalledState::VeyraWeaponsInstalled, 1,
                kWeaponsInstalled},
        TagCase{"WeaponsQuoted", kWeaponsTag, "V\"Y", &InstalledState::VeyraWeaponsInstalled, 1,
                kWeaponsInstalled},
        TagCase{"WeaponsLowerCase", kWeaponsTag, "vy", &InstalledState::VeyraWeaponsInstalled, 0, {}},
        TagCase{"OriginalWeapons", kWeaponsTag, "original weapons\r\n",
                &InstalledState::VeyraWeaponsInstalled, 0, {}},
        TagCase{"Night", kMapsTag, "night\r\n", &InstalledState::CoastNightInstalled, 1,
                {Check(IDC_COAST_NIGHT)}},
        TagCase{"Daylight", kMapsTag, "daylight\r\n", &InstalledState::CoastNightInstalled, 0, {}}),
    [](const ::testing::TestParamInfo<TagCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- post-processing

TEST_F(DetectionTest, SunraysFollowThePrecacheListAsWrittenWithItsQuotesAndLineEnds) {
  const struct {
    const char* name;
    std::optional<std::string> list;
    bool checked;
    bool enabled;
    int level;
  } kCases[] = {
      {"missing", std::nullopt, false, false, 0},
      {"on", Precache('1', '0'), true, true, 1},
      {"strong", Precache('0', '1'), true, true, 2},
      {"both", Precache('1', '1'), true, true, 2},
      {"off", Precache('0', '0'), false, true, 0},
      {"on with CR LF", Precache('1', '1', "\r\n"), false, true, 0},
      {"on without quotes",
       "ppe_sunrays.txt\n\t\teffect_start_enabled\t\t1\nppe_sunrays_strong.txt\n\t\teffect_start_"
       "enabled\t\t1\n",
       false, true, 0},
  };
  for (const auto& [name, list, checked, enabled, level] : kCases) {
    SCOPED_TRACE(name);
    InstalledGame("");
    if (list) Put(kPrecache, *list);
    const DialogState shown = Detect();
    EXPECT_EQ(checked, shown.at(IDC_SUNRAYS).checked);
    EXPECT_EQ(enabled, shown.at(IDC_SUNRAYS_LEVEL).enabled);
    EXPECT_EQ(level, shown.at(IDC_SUNRAYS_LEVEL).selection);
  }
}

TEST_F(DetectionTest, ReShadeIsInstalledWhenItsEffectFileIsInBin) {
  for (const bool present : {false, true}) {
    SCOPED_TRACE(present);
    InstalledGame("");
    if (present) Put("bin\\ReShade.fx", "// effect");
    const DialogState shown = Detect();
    EXPECT_EQ(present, shown.at(IDC_RESHADE).checked);
    EXPECT_EQ(present ? 1 : 0, state.Settings.ReShade);
    EXPECT_EQ(present ? 1 : 0, state.Installed.ReShadeInstalled);
  }
}

// ---------------------------------------------------------------- SweetFX presets

TEST_F(DetectionTest, PresetListOffersThePlainFilesOfThePresetsFolderWithoutTxt) {
  InstalledGame("");
  EXPECT_TRUE(Detect().at(IDC_SWEETFX_PRESET).items.empty());  // no presets folder

  for (const char* file : {"Default.txt", "my.txt.txt", "Notes.ini", "SMAA_Sharp.txt"}) {
    Put(std::string("SweetFX\\Presets\\") + file, "// preset");
  }
  testing::MakeFolder(folder.Join("SweetFX\\Presets\\Folder.txt"));
  const DialogState shown = Detect();
  std::vector<std::string> items = shown.at(IDC_SWEETFX_PRESET).items;
  std::sort(items.begin(), items.end());
  EXPECT_EQ((std::vector<std::string>{"Default", "Notes.ini", "SMAA_Sharp", "my"}), items);
  EXPECT_EQ(0, shown.at(IDC_SWEETFX_PRESET).selection);
  EXPECT_NE(listing.patterns.end(), std::find(listing.patterns.begin(), listing.patterns.end(),
                                              folder.path() + "\\SweetFX\\Presets\\*.*"));
}

TEST_F(DetectionTest, PresetListKeepsTheFileSystemsOrderAndSkipsFoldersHiddenAndSystemFiles) {
  constexpr std::uint32_t kArchive = 0x20;
  listing.presets = {{"Zeta.txt", 0},
                     {"hidden.txt", attribute::kHidden},
                     {"alpha.txt", attribute::kReadOnly},
                     {"Sub", attribute::kDirectory},
                     {"system.txt", attribute::kSystem},
                     {"a.txt.b.txt", kArchive},
                     {"Mid.txt", 0}};
  InstalledGame("");
  EXPECT_EQ((std::vector<std::string>{"Zeta", "alpha", "a.b", "Mid"}),
            Detect().at(IDC_SWEETFX_PRESET).items);
}

TEST_F(DetectionTest, PresetListTakesAtMostAThousandFiles) {
  listing.presets = {{"hidden.txt", attribute::kHidden}, {"Sub", attribute::kDirectory}};
  for (int n = 0; n < 1005; ++n) listing.presets->push_back({"p" + std::to_string(n) + ".txt", 0});
  InstalledGame("");
  const std::vector<std::string> items = Detect().at(IDC_SWEETFX_PRESET).items;
  ASSERT_EQ(1000u, items.size());
  EXPECT_EQ("p0", items.front());
  EXPECT_EQ("p999", items.back());
}

// A listing cut short offers what it read and says why the list is short.
TEST_F(DetectionTest, PresetListThatCannotBeReadWholeIsReported) {
  for (const char* file : {"Default.txt", "Vivid.txt"}) {
    Put(std::string("SweetFX\\Presets\\") + file, "// preset");
  }
  InstalledGame("");
  os.Inject({Operation::kList, platform::error::kAccessDenied, "SweetFX\\Presets"});
  const DialogState shown = Detect();
  EXPECT_EQ(1u, shown.at(IDC_SWEETFX_PRESET).items.size());
  EXPECT_EQ(std::vector<std::string>{OpenFailureText(
                "Following error occured while trying to open the file:",
                folder.path() + "\\SweetFX\\Presets\\", "Error: 70, Permission denied")},
            MessageTexts());
}

TEST_F(DetectionTest, SweetFxPresetFileSelectsThePresetItNames) {
  listing.presets = {{"Cinematic.txt", 0},
                     {"(NoSMAA)Default_Desaturated.txt", 0},
                     {"my.txt.txt", 0},
                     {"Default.txt", 0}};
  const struct {
    const char* name;
    std::optional<std::string> preset_file;
    int selection;
    std::string preset_name;
  } kCases[] = {
      {"as written on confirmation", "#include \"SweetFX\\Presets\\Default.txt\"\r\n", 4, "Default"},
      {"unquoted, LF", "#include SweetFX\\Presets\\Cinematic.txt\n", 1, "Cinematic"},
      {"brackets", "#include \"SweetFX\\Presets\\(NoSMAA)Default_Desaturated.txt\"\r\n", 2,
       "(NoSMAA)Default_Desaturated"},
      {"txt twice", "#include \"SweetFX\\Presets\\my.txt.txt\"\r\n", 3, "my"},
      {"UTF-8 mark", "\xEF\xBB\xBF#include \"SweetFX\\Presets\\Default.txt\"\r\n", 4, "Default"},
      {"other capitals", "#include \"SweetFX\\Presets\\default.txt\"\r\n", 0, "default"},
      {"not in the list", "#include \"SweetFX\\Presets\\Vivid.txt\"\r\n", 0, "Vivid"},
      {"no preset file", std::nullopt, 0, ""},
  };
  for (const auto& [name, preset_file, selection, preset_name] : kCases) {
    SCOPED_TRACE(name);
    InstalledGame("");
    if (preset_file) {
      Put(kPresetFile, *preset_file);
    } else {
      platform::Ignore(real->Delete(folder.Join(kPresetFile)), "it may not be there yet");
    }
    const DialogState shown = Detect();
    const bool installed = preset_file.has_value();
    EXPECT_EQ(installed, shown.at(IDC_SWEETFX).checked);
    EXPECT_EQ(installed ? 1 : 0, state.Settings.SweetFx);
    EXPECT_EQ(selection, shown.at(IDC_SWEETFX_PRESET).selection);
    EXPECT_EQ(preset_name, state.SweetFxPresetName);
    EXPECT_EQ(installed, shown.at(IDC_SWEETFX_PRESET).enabled);
    EXPECT_EQ(installed, shown.at(IDC_PRESET_EDIT).enabled);
  }
}

TEST_F(DetectionTest, UnopenableSweetFxPresetFileHasItsOwnMessageAndLeavesSweetFxChecked) {
  listing.presets = {{"Default.txt", 0}};
  InstalledGame("");
  Put(kPresetFile, "#include \"SweetFX\\Presets\\Default.txt\"\r\n");
  os.Inject({Call::kOpenReadWrite, platform::error::kFileNotFound, kPresetFile});
  os.Inject({Call::kOpenReadOnly, platform::error::kFileNotFound, kPresetFile});

  const DialogState shown = Detect();
  EXPECT_EQ(std::vector<std::string>{OpenFailureText(
                "The following error occured while trying to open the file:",
                folder.Join(kPresetFile), "Error: 53, File not found")},
            MessageTexts());
  EXPECT_TRUE(shown.at(IDC_SWEETFX).checked);
  EXPECT_EQ(1, state.Settings.SweetFx);
  EXPECT_EQ(0, shown.at(IDC_SWEETFX_PRESET).selection);
  EXPECT_TRUE(shown.at(IDC_SWEETFX_PRESET).enabled);
  EXPECT_EQ("", state.SweetFxPresetName);
}

// ---------------------------------------------------------------- companion tool

TEST_F(DetectionTest, MissingCompanionToolDisablesItsButtonAndNothingElse) {
  DialogState expected = Baseline();
  EXPECT_FALSE(expected.at(IDC_MIENWERK).enabled);
  testing::Apply(expected, {Enable(IDC_MIENWERK)});
  Put("Mienwerk\\Mienwerk.exe", "MZ");
  EXPECT_EQ("", Differences(expected, Detect()));
}

}  // namespace
}  // namespace veyra::app
