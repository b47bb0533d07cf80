#include "install/injectors.h"

#include "config/text_file.h"
#include "install/anti_aliasing.h"
#include "install/directory_copy.h"
#include "model/game_paths.h"

namespace veyra::install {
namespace {

namespace paths = model::paths;

struct Removal {
  const char* file;
  bool only_without_reshade;  // ReShade uses the file too
};

constexpr Removal kSweetFxFiles[] = {
    {"\\bin\\d3d9.dll", true},         {"\\bin\\d3d9.log", true},
    {"\\bin\\ReShade.fx", true},       {"\\bin\\dxgi.dll", false},
    {"\\bin\\d3d9.fx", false},         {"\\bin\\dxgi.fx", false},
    {"\\bin\\injector.ini", false},    {"\\bin\\shader.fx", false},
    {"\\log.log", false},              {"\\bin\\SweetFX_settings.txt", false},
    {"\\bin\\SweetFX_preset.txt", false}, {"\\d3d9.dll", true},
    {"\\d3d9.fx", false},              {"\\dxgi.dll", false},
    {"\\dxgi.fx", false},              {"\\shader.fx", false},
    {"\\injector.ini", false},         {"\\SweetFX_preset.txt", false},
    {"\\SweetFX_settings.txt", false}, {"\\SweetFX readme.txt", false},
};

constexpr const char* kReShadeOnlyFiles[] = {
    "\\d3d9SMAA.dll",       "\\d3dx9_26.dll",       "\\Reshadebloom.fx",
    "\\Reshadepalette.bmp", "\\Reshadeseries.ini",  "\\injector.ini",
    "\\SMAA.fx",            "\\SMAA.h",             "\\Reshadetag_bloom",
};

// The graphics library both injectors use, in bin and in the top folder.
constexpr const char* kSharedLibraries[] = {"\\bin\\d3d9.dll", "\\d3d9.dll"};

void DeleteAndPause(platform::Os& os, const model::ProgramState& state, const char* file) {
  platform::Ignore(os.Delete(state.BasePath + file), "most of these files are usually not there");
  os.Sleep(50);
}

void InstallSweetFx(platform::Os& os, const model::ProgramState& state) {
  const std::string& base = state.BasePath;
  const std::string& preset = state.Settings.SelectedSweetFxPreset;
  auto window = ShowWaitWindow(os, state.SteamLanguage);
  platform::Ignore(GuardedCopy(os, base + paths::kSweetFxBinaries + ">", base + paths::kBin),
                   "the preset file is still written, so SweetFX shows as chosen");
  os.Sleep(50);
  if (preset.find("SMAA") != std::string::npos) ResetAntiAliasing(os);

  const std::string include_line = "#include \"SweetFX\\Presets\\" + preset + ".txt\"";
  if (!config::FileExists(os, base + paths::kSweetFxPresets + preset + ".txt")) return;
  const std::string preset_file = base + paths::kSweetFxPresetFile;
  platform::Ignore(os.Copy(base + paths::kSweetFxPresetTemplate, preset_file),
                   "the preset file is written whole below, template or not");
  os.Sleep(50);
  // The rewrite would pass a read-only preset file over in silence, leaving it
  // naming another preset than the one chosen: that is reported instead.
  platform::SystemError code = platform::error::kSuccess;
  if (!os.Open(preset_file, platform::FileAccess::kReadWrite, code)) {
    config::ReportFileFailure(os, config::OpenFailureMessage::kOpenPresetFile, preset_file,
                              config::FileErrorFor(code));
    return;
  }
  platform::Ignore(config::WriteWholeFile(os, preset_file, config::OpenFailureMessage::kOpenPresetFile,
                                          include_line + "\r\n"),
                   "the rewrite reports its own failure");
}

}  // namespace

void ApplySweetFx(platform::Os& os, const model::ProgramState& state) {
  if (state.Settings.SweetFx == 1) {
    InstallSweetFx(os, state);
    return;
  }
  for (const Removal& removal : kSweetFxFiles) {
    if (removal.only_without_reshade && state.Settings.ReShade != 0) continue;
    DeleteAndPause(os, state, removal.file);
  }
}

void ApplyReShade(platform::Os& os, const model::ProgramState& state) {
  const model::SettingsState& settings = state.Settings;
  if (settings.ReShade == state.Installed.ReShadeInstalled) return;
  DeleteAndPause(os, state, "\\bin\\d3d9.log");
  DeleteAndPause(os, state, paths::kReShadeFx);
  if (settings.SweetFx == 0) {
    for (const char* library : kSharedLibraries) DeleteAndPause(os, state, library);
  }
  auto window = ShowWaitWindow(os, state.SteamLanguage);
  if (settings.ReShade == 1) {
    // Twice, as the package has always been copied.
    for (int pass = 0; pass < 2; ++pass) {
      platform::Ignore(
          GuardedCopy(os, state.BasePath + paths::kReShadePackage + ">", state.BasePath + paths::kBin),
          "the second pass copies what the first could not");
      os.Sleep(50);
    }
    return;
  }
  if (settings.SweetFx == 0) {
    for (const char* library : kSharedLibraries) DeleteAndPause(os, state, library);
  }
  for (const char* file : kReShadeOnlyFiles) DeleteAndPause(os, state, file);
}

}  // namespace veyra::install
