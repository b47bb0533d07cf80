#include "app/detection.h"

#include <algorithm>
#include <optional>

#include "app/cut_short_steps.h"
#include "config/default_autoexec.h"
#include "config/settings_block.h"
#include "config/text_file.h"
#include "model/control_ids.h"
#include "model/game_paths.h"
#include "model/options.h"

namespace veyra::app {

using namespace model;
namespace {

using config::OpenFailureMessage;
using platform::DialogControls;

namespace paths = model::paths;
constexpr int kMostPresets = 1000;

std::string RemoveAll(std::string text, std::string_view what) {
  return config::ReplaceAll(text, what, "");
}

bool Contains(const std::string& text, std::string_view what) {
  return text.find(what) != std::string::npos;
}

// A marker file's text with its quotes removed; nothing when it is missing or
// cannot be opened (reported).
std::optional<std::string> ReadMarker(platform::Os& os, const std::string& path) {
  if (!config::FileExists(os, path)) return std::nullopt;
  std::optional<std::string> text = config::ReadTextFile(os, path, OpenFailureMessage::kOpen);
  if (text) *text = config::StripQuotes(*text);
  return text;
}

// ------------------------------------------------------------ console settings

using platform::Check;
using platform::ControlChanges;
using platform::Disable;
using platform::Enable;
using platform::Uncheck;

// One test on the console settings, for the check box whose console setting
// it looks for: `before` runs in any case, then the setting with any of the
// values is looked for; when found, `chosen` (what every level of a row means)
// runs before `found`. The tests run in this order, each on its own, so a
// later one may undo what an earlier one set.
struct SettingTest {
  const CheckBoxOption* box;
  ControlChanges before = {};
  std::vector<std::string_view> values = {};
  ControlChanges chosen = {};
  ControlChanges found = {};
  ControlChanges not_found = {};
  bool skip_next_when_found = false;
};

const ControlChanges kSharpenChosen = {Enable(IDC_SHARPEN_STRONGER), Check(IDC_SHARPEN)};
const ControlChanges kUnchartedChosen = {
    Uncheck(IDC_HPD), Disable(IDC_HPD_STRONGER), Disable(IDC_HPD_STRONGEST),
    Enable(IDC_UNCHARTED_STRONGER), Enable(IDC_UNCHARTED_STRONGEST), Check(IDC_UNCHARTED),
};
const ControlChanges kHpdChosen = {
    Uncheck(IDC_UNCHARTED), Disable(IDC_UNCHARTED_STRONGER), Disable(IDC_UNCHARTED_STRONGEST),
    Enable(IDC_HPD_STRONGER), Enable(IDC_HPD_STRONGEST), Check(IDC_HPD),
};

// One row for every check box that a console setting keeps.
const SettingTest kSettingTests[] = {
    {.box = &ConsoleOptionOf(IDC_LARGE_VRAM), .values = {"1"}, .found = {Check(IDC_LARGE_VRAM)}},
    {.box = &ConsoleOptionOf(IDC_FILMIC), .values = {"1"}, .found = {Check(IDC_FILMIC)}},
    {.box = &ConsoleOptionOf(IDC_FXAA), .values = {"1"}, .found = {Check(IDC_FXAA)}},
    {.box = &ConsoleOptionOf(IDC_SHARPEN),
     .before = {Disable(IDC_SHARPEN_STRONGER)},
     .values = {"1"},
     .chosen = kSharpenChosen},
    {.box = &ConsoleOptionOf(IDC_SHARPEN_STRONGER),
     .values = {"2"},
     .chosen = kSharpenChosen,
     .found = {Check(IDC_SHARPEN_STRONGER), Uncheck(IDC_SHARPEN_STRONGEST)}},
    {.box = &ConsoleOptionOf(IDC_SHARPEN_STRONGEST),
     .values = {"3"},
     .chosen = kSharpenChosen,
     .found = {Check(IDC_SHARPEN_STRONGEST), Uncheck(IDC_SHARPEN_STRONGER)}},
    {.box = &ConsoleOptionOf(IDC_UNCHARTED),
     .before = {Disable(IDC_UNCHARTED_STRONGER), Disable(IDC_UNCHARTED_STRONGEST)},
     .values = {"1"},
     .chosen = kUnchartedChosen},
    {.box = &ConsoleOptionOf(IDC_UNCHARTED_STRONGER),
     .values = {"2"},
     .chosen = kUnchartedChosen,
     .found = {Check(IDC_UNCHARTED_STRONGER), Uncheck(IDC_UNCHARTED_STRONGEST)}},
    {.box = &ConsoleOptionOf(IDC_UNCHARTED_STRONGEST),
     .values = {"3"},
     .chosen = kUnchartedChosen,
     .found = {Uncheck(IDC_UNCHARTED_STRONGER), Check(IDC_UNCHARTED_STRONGEST)}},
    {.box = &ConsoleOptionOf(IDC_HPD),
     .before = {Disable(IDC_HPD_STRONGER), Disable(IDC_HPD_STRONGEST)},
     .values = {"1"},
     .chosen = kHpdChosen},
    {.box = &ConsoleOptionOf(IDC_HPD_STRONGER),
     .values = {"2"},
     .chosen = kHpdChosen,
     .found = {Check(IDC_HPD_STRONGER), Uncheck(IDC_HPD_STRONGEST)}},
    {.box = &ConsoleOptionOf(IDC_HPD_STRONGEST),
     .values = {"3"},
     .chosen = kHpdChosen,
     .found = {Uncheck(IDC_HPD_STRONGER), Check(IDC_HPD_STRONGEST)}},
    {.box = &ConsoleOptionOf(IDC_DOF),
     .values = {"1"},
     .found = {Check(IDC_DOF), Uncheck(IDC_GAUSS_BLUR)}},
    {.box = &ConsoleOptionOf(IDC_DOF_CHROMATIC),
     .values = {"2"},
     .found = {Check(IDC_DOF), Check(IDC_DOF_CHROMATIC), Uncheck(IDC_GAUSS_BLUR)}},
    {.box = &ConsoleOptionOf(IDC_DOF_STRONGER),
     .values = {"3"},
     .found = {Check(IDC_DOF), Check(IDC_DOF_CHROMATIC), Check(IDC_DOF_STRONGER),
               Uncheck(IDC_GAUSS_BLUR)}},
    {.box = &ConsoleOptionOf(IDC_FILMGRAIN), .values = {"1"}, .found = {Check(IDC_FILMGRAIN)}},
    {.box = &ConsoleOptionOf(IDC_HIDE_CROSSHAIR),
     .values = {"0"},
     .found = {Check(IDC_HIDE_CROSSHAIR)}},
    {.box = &ConsoleOptionOf(IDC_RECOIL), .values = {"1"}, .found = {Check(IDC_RECOIL)}},
    {.box = &ConsoleOptionOf(IDC_HEADBOB), .values = {"1"}, .found = {Check(IDC_HEADBOB)}},
    {.box = &ConsoleOptionOf(IDC_VIGNETTE), .values = {"1"}, .found = {Check(IDC_VIGNETTE)}},
    {.box = &ConsoleOptionOf(IDC_SSAO), .values = {"1"}, .found = {Check(IDC_SSAO)}},
    {.box = &ConsoleOptionOf(IDC_GAUSS_BLUR),
     .before = {Disable(IDC_GAUSS_HORIZONTAL)},
     .values = {"1"},
     .found = {Enable(IDC_GAUSS_HORIZONTAL), Check(IDC_GAUSS_BLUR), Uncheck(IDC_GAUSS_HORIZONTAL)},
     .skip_next_when_found = true},
    {.box = &ConsoleOptionOf(IDC_GAUSS_HORIZONTAL),
     .values = {"2"},
     .found = {Enable(IDC_GAUSS_HORIZONTAL), Check(IDC_GAUSS_BLUR), Check(IDC_GAUSS_HORIZONTAL)}},
    {.box = &ConsoleOptionOf(IDC_FILM_NOIR), .values = {"1"}, .found = {Check(IDC_FILM_NOIR)}},
    {.box = &ConsoleOptionOf(IDC_HEV_GLASS), .values = {"1", "2"}, .found = {Check(IDC_HEV_GLASS)}},
    {.box = &ConsoleOptionOf(IDC_PRELOAD_NPC),
     .values = {"1"},
     .found = {Uncheck(IDC_PRELOAD_NPC)},
     .not_found = {Check(IDC_PRELOAD_NPC)}},
    {.box = &ConsoleOptionOf(IDC_PRELOAD_OTHER),
     .values = {"1"},
     .found = {Check(IDC_PRELOAD_OTHER)}},
    {.box = &ConsoleOptionOf(IDC_PARTICLES), .values = {"1"}, .found = {Check(IDC_PARTICLES)}},
    // Any bloom scale but the plain one means the enhanced bloom; which level
    // it is, the scale values tell below.
    {.box = &ConsoleOptionOf(IDC_BLOOM),
     .values = {"1.00"},
     .not_found = {Check(IDC_BLOOM), Enable(IDC_BLOOM_LEVEL)}},
};

// Bloom values are tried in this order; the first found names the level.
constexpr int kBloomTryOrder[] = {1, 2, 3, 4, 6, 7, 5, 8};

bool HoldsSetting(const std::string& text, const SettingTest& test) {
  const std::string setting = std::string(test.box->console_setting) + ' ';
  return std::any_of(test.values.begin(), test.values.end(), [&](std::string_view value) {
    return Contains(text, setting + std::string(value));
  });
}

void DetectConsoleSettings(ProgramState& state, DialogControls& dialog, const std::string& file) {
  const std::string text = config::StripQuotes(file);
  bool skip = false;
  for (const SettingTest& test : kSettingTests) {
    if (skip) {
      skip = false;
      continue;
    }
    platform::Apply(dialog, test.before);
    const bool found = HoldsSetting(text, test);
    if (found) platform::Apply(dialog, test.chosen);
    platform::Apply(dialog, found ? test.found : test.not_found);
    skip = found && test.skip_next_when_found;
  }

  state.BloomScaleValue = state.BloomScaleValues[1];
  dialog.Select(IDC_BLOOM_LEVEL, 1);
  for (int level : kBloomTryOrder) {
    if (Contains(text, std::string(SettingOf(IDC_BLOOM)) + ' ' + state.BloomScaleValues[level])) {
      state.BloomScaleValue = state.BloomScaleValues[level];
      dialog.Select(IDC_BLOOM_LEVEL, level);
      break;
    }
  }
}

// Once the console settings are read, the options they decide follow their boxes.
void TakeDetectedFlags(ProgramState& state, DialogControls& dialog) {
  for (const CheckBoxOption& option : CheckBoxOptions()) {
    if (option.taken == Taken::kAtStart) {
      state.Settings.*option.flag = dialog.IsChecked(option.control) ? 1 : 0;
    }
  }
}

// ------------------------------------------------------------ the other files

std::string SunraysPattern(const char* effect_file, char digit) {
  return std::string(effect_file) + "\"\n\t\t\"effect_start_enabled\"\t\t\"" + digit + "\"";
}

void BuildSunraysPatterns(ProgramState& state) {
  state.SunraysOnPattern = SunraysPattern("ppe_sunrays.txt", '1');
  state.SunraysOffPattern = SunraysPattern("ppe_sunrays.txt", '0');
  state.SunraysStrongOnPattern = SunraysPattern("ppe_sunrays_strong.txt", '1');
  state.SunraysStrongOffPattern = SunraysPattern("ppe_sunrays_strong.txt", '0');
}

void DetectSunrays(platform::Os& os, ProgramState& state, DialogControls& dialog) {
  const std::string path = state.BasePath + paths::kPrecacheLists[0];
  if (!config::FileExists(os, path)) {
    dialog.SetEnabled(IDC_SUNRAYS_LEVEL, false);
    return;
  }
  const std::optional<std::string> list = config::ReadTextFile(os, path, OpenFailureMessage::kOpen);
  if (!list) {
    dialog.SetEnabled(IDC_SUNRAYS_LEVEL, false);
    return;
  }
  if (Contains(*list, state.SunraysOnPattern)) {
    dialog.SetEnabled(IDC_SUNRAYS_LEVEL, true);
    dialog.SetChecked(IDC_SUNRAYS, true);
    dialog.Select(IDC_SUNRAYS_LEVEL, 1);
  }
  if (Contains(*list, state.SunraysStrongOnPattern)) {
    dialog.SetChecked(IDC_SUNRAYS, true);
    dialog.Select(IDC_SUNRAYS_LEVEL, 2);
  }
}

void DetectSweetFx(platform::Os& os, ProgramState& state, DialogControls& dialog) {
  const std::string path = state.BasePath + paths::kSweetFxPresetFile;
  if (!config::FileExists(os, path)) {
    state.Settings.SweetFx = 0;
    dialog.SetChecked(IDC_SWEETFX, false);
    dialog.SetEnabled(IDC_SWEETFX_PRESET, false);
    dialog.SetEnabled(IDC_PRESET_EDIT, false);
    return;
  }
  state.Settings.SweetFx = 1;
  dialog.SetChecked(IDC_SWEETFX, true);
  const std::optional<std::string> text = config::ReadTextFile(os, path, OpenFailureMessage::kOpenPresetFile);
  if (!text) return;
  std::string name = *text;
  for (const char* removed : {"\r", "\n", "\""}) name = RemoveAll(name, removed);
  name = RemoveAll(name, "#include SweetFX\\Presets\\");
  name = RemoveAll(name, ".txt");
  state.SweetFxPresetName = name;
  const int count = dialog.ItemCount(IDC_SWEETFX_PRESET);
  for (int item = 1; item <= count; ++item) {
    if (dialog.ItemText(IDC_SWEETFX_PRESET, item) == name) {
      dialog.Select(IDC_SWEETFX_PRESET, item);
      return;
    }
  }
}

}  // namespace

std::vector<int> ControlsOfDetectionRows() {
  std::vector<int> controls;
  for (const SettingTest& test : kSettingTests) controls.push_back(test.box->control);
  return controls;
}

std::vector<std::string> ListSweetFxPresets(platform::Os& os, const std::string& start_directory) {
  std::vector<std::string> presets;
  std::vector<platform::DirEntry> entries;
  const std::string folder = start_directory + paths::kSweetFxPresets;
  // A folder that cannot be read whole offers what was read, and says why the
  // list may be short.
  if (const platform::SystemError code = os.ListDirectory(folder + "*.*", entries);
      code != platform::error::kSuccess) {
    config::ReportFileFailure(os, OpenFailureMessage::kOpen, folder, config::FileErrorFor(code));
  }
  for (const platform::DirEntry& entry : entries) {
    constexpr std::uint32_t kNotAPlainFile = platform::attribute::kDirectory |
                                             platform::attribute::kHidden |
                                             platform::attribute::kSystem;
    if ((entry.attributes & kNotAPlainFile) != 0) continue;
    if (presets.size() == kMostPresets) break;
    presets.push_back(RemoveAll(entry.name, ".txt"));
  }
  return presets;
}

void DetectInstalledState(platform::Os& os, ProgramState& state, DialogControls& dialog) {
  const std::string& base = state.BasePath;

  // Missing configuration files are created first, so they are read below. A
  // file that cannot be created is reported by its writer, and again by the read.
  constexpr std::string_view kReportedByWriter = "the writer reports its own failure";
  if (!config::FileExists(os, base + paths::kConfigCfg)) {
    platform::Ignore(config::WriteDefaultConfig(os, base + paths::kConfigCfg), kReportedByWriter);
  }
  platform::Ignore(config::ReadTextFile(os, base + paths::kConfigCfg, OpenFailureMessage::kOpen),
                   "no control depends on config.cfg; it is read as the game would find it");
  for (const char* autoexec : paths::kConsoleScripts) {
    if (!config::FileExists(os, base + autoexec)) {
      platform::Ignore(config::WriteDefaultAutoexec(os, base + autoexec), kReportedByWriter);
    }
  }

  if (std::optional<std::string> autoexec =
          config::ReadTextFile(os, base + paths::kConsoleScripts[0], OpenFailureMessage::kOpen)) {
    DetectConsoleSettings(state, dialog, *autoexec);
    TakeDetectedFlags(state, dialog);
  }

  state.Settings.VrMode = config::FileExists(os, base + paths::kVrTag) ? 1 : 0;

  constexpr const ContentMarker& kSprites = MarkerOf(IDC_ANAMORPH_FLARES);
  const std::optional<std::string> sprites = ReadMarker(os, base + kSprites.tag);
  state.Installed.AnamorphFlaresInstalled = sprites && Contains(*sprites, kSprites.word) ? 1 : 0;
  if (state.Installed.AnamorphFlaresInstalled) dialog.SetChecked(IDC_ANAMORPH_FLARES, true);

  constexpr const ContentMarker& kSkill = MarkerOf(IDC_VEYRA_SKILL);
  const std::optional<std::string> skill = ReadMarker(os, base + kSkill.tag);
  state.Installed.VeyraSkillInstalled = skill && Contains(*skill, kSkill.word) ? 1 : 0;
  if (state.Installed.VeyraSkillInstalled) dialog.SetChecked(IDC_VEYRA_SKILL, true);

  dialog.SetEnabled(IDC_RECOIL, false);
  constexpr const ContentMarker& kWeapons = MarkerOf(IDC_VEYRA_WEAPONS);
  const std::optional<std::string> weapons = ReadMarker(os, base + kWeapons.tag);
  state.Installed.VeyraWeaponsInstalled = weapons && Contains(*weapons, kWeapons.word) ? 1 : 0;
  if (state.Installed.VeyraWeaponsInstalled) {
    dialog.SetChecked(IDC_VEYRA_WEAPONS, true);
    dialog.SetEnabled(IDC_RECOIL, true);
    dialog.SetEnabled(IDC_HIDE_CROSSHAIR, true);
  } else {
    dialog.SetEnabled(IDC_RECOIL, false);
    dialog.SetEnabled(IDC_HIDE_CROSSHAIR, false);
  }

  constexpr const ContentMarker& kMaps = MarkerOf(IDC_COAST_NIGHT);
  const std::optional<std::string> maps = ReadMarker(os, base + kMaps.tag);
  state.Installed.CoastNightInstalled = maps && Contains(*maps, kMaps.word) ? 1 : 0;
  if (maps) dialog.SetChecked(IDC_COAST_NIGHT, state.Installed.CoastNightInstalled == 1);

  BuildSunraysPatterns(state);
  DetectSunrays(os, state, dialog);

  state.Settings.ReShade = config::FileExists(os, base + paths::kReShadeFx) ? 1 : 0;
  dialog.SetChecked(IDC_RESHADE, state.Settings.ReShade == 1);
  state.Installed.ReShadeInstalled = state.Settings.ReShade;

  dialog.AddItems(IDC_SWEETFX_PRESET, ListSweetFxPresets(os, state.StartDirectory));
  DetectSweetFx(os, state, dialog);

  if (!config::FileExists(os, state.StartDirectory + paths::kCompanionTool)) {
    dialog.SetEnabled(IDC_MIENWERK, false);
  }
  ShowCutShortSteps(os, state, dialog);
}

}  // namespace veyra::app
