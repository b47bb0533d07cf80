#include "install/injectors.h"

#include <span>
#include <vector>

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

// A file that is not there is no failure: most of these usually are not.
platform::Result DeleteAndPause(platform::Os& os, const model::ProgramState& state,
                                const char* file) {
  const std::string path = state.BasePath + file;
  const platform::SystemError code = os.Delete(path);
  os.Sleep(50);
  const bool missing =
      code == platform::error::kFileNotFound || code == platform::error::kPathNotFound;
  return {platform::Operation::kDelete, path, missing ? platform::error::kSuccess : code};
}

// Deletes the files in order; the first that fails ends the list.
template <typename Files>
platform::Result DeleteAll(platform::Os& os, const model::ProgramState& state, const Files& files) {
  for (const char* file : files) {
    if (platform::Result deleted = DeleteAndPause(os, state, file); !deleted.ok()) return deleted;
  }
  return {};
}

platform::Result InstallSweetFx(platform::Os& os, const model::ProgramState& state) {
  const std::string& base = state.BasePath;
  const std::string& preset = state.Settings.SelectedSweetFxPreset;
  auto window = ShowWaitWindow(os, state.SteamLanguage);
  if (platform::Result copied =
          CopyInWaitWindow(os, *window, {{base + paths::kSweetFxBinaries + ">", base + paths::kBin}});
      !copied.ok()) {
    return copied;
  }
  os.Sleep(50);
  if (preset.find("SMAA") != std::string::npos) ResetAntiAliasing(os);

  const std::string include_line = "#include \"SweetFX\\Presets\\" + preset + ".txt\"";
  if (!config::FileExists(os, base + paths::kSweetFxPresets + preset + ".txt")) return {};
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
    return platform::Result(platform::Operation::kOpen, preset_file, code).Reported();
  }
  // A rewrite reports its own failure.
  return config::WriteWholeFile(os, preset_file, config::OpenFailureMessage::kOpenPresetFile,
                                include_line + "\r\n");
}

}  // namespace

platform::Result ApplySweetFx(platform::Os& os, const model::ProgramState& state) {
  if (state.Settings.SweetFx == 1) return InstallSweetFx(os, state);
  std::vector<const char*> files;
  for (const Removal& removal : kSweetFxFiles) {
    if (!removal.only_without_reshade || state.Settings.ReShade == 0) files.push_back(removal.file);
  }
  return DeleteAll(os, state, files);
}

platform::Result ApplyReShade(platform::Os& os, const model::ProgramState& state) {
  const model::SettingsState& settings = state.Settings;
  if (settings.ReShade == state.Installed.ReShadeInstalled) return {};
  // The library both injectors use goes only while SweetFX is not chosen.
  using Files = std::span<const char* const>;
  const Files shared = settings.SweetFx == 0 ? Files(kSharedLibraries) : Files();
  const char* const markers[] = {"\\bin\\d3d9.log", paths::kReShadeFx};
  if (platform::Result deleted = DeleteAll(os, state, markers); !deleted.ok()) return deleted;
  if (platform::Result deleted = DeleteAll(os, state, shared); !deleted.ok()) return deleted;
  auto window = ShowWaitWindow(os, state.SteamLanguage);
  if (settings.ReShade == 1) {
    // Twice, as the package has always been copied: the second pass copies
    // what the first could not, and decides.
    platform::Result copied;
    for (int pass = 0; pass < 2; ++pass) {
      copied = CopyInWaitWindow(
          os, *window, {{state.BasePath + paths::kReShadePackage + ">", state.BasePath + paths::kBin}});
      os.Sleep(50);
    }
    return copied;
  }
  if (platform::Result deleted = DeleteAll(os, state, shared); !deleted.ok()) return deleted;
  return DeleteAll(os, state, kReShadeOnlyFiles);
}

}  // namespace veyra::install
