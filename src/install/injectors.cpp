#include "install/injectors.h"

#include <algorithm>
#include <cctype>
#include <span>
#include <vector>

#include "backups/confinement.h"
#include "backups/sets.h"
#include "backups/store.h"
#include "config/text_file.h"
#include "install/anti_aliasing.h"
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

// What the modification's injectors are made of, below the game folder.
constexpr const char* kInjectorResources[] = {"\\SweetFX_Resources", "\\Reshade_Resources"};

using Files = std::span<const char* const>;

// The SweetFX files its removal deletes: those ReShade uses too stay while it is chosen.
std::vector<const char*> SweetFxRemovals(const model::SettingsState& settings) {
  std::vector<const char*> files;
  for (const Removal& removal : kSweetFxFiles) {
    if (!removal.only_without_reshade || settings.ReShade == 0) files.push_back(removal.file);
  }
  return files;
}

// What ReShade's install and removal both delete first: the files that tell
// an injector is installed.
constexpr const char* kReShadeMarkers[] = {"\\bin\\d3d9.log", paths::kReShadeFx};

// The library both injectors use goes only while SweetFX is not chosen.
Files ReShadeSharedLibraries(const model::SettingsState& settings) {
  return settings.SweetFx == 0 ? Files(kSharedLibraries) : Files();
}

FolderCopy SweetFxBinaries(const std::string& base) {
  return {base + paths::kSweetFxBinaries + ">", base + paths::kBin};
}

FolderCopy ReShadePackage(const std::string& base) {
  return {base + paths::kReShadePackage + ">", base + paths::kBin};
}

// A file that is not there is no failure: most of these usually are not. A
// file the player keeps is passed over.
platform::Result DeleteAndPause(platform::Os& os, const model::ProgramState& state,
                                const char* file, const KeptFiles& kept) {
  const std::string path = state.BasePath + file;
  if (kept.count(path) != 0) return {};
  const platform::SystemError code = os.Delete(path);
  os.Sleep(50);
  const bool missing =
      code == platform::error::kFileNotFound || code == platform::error::kPathNotFound;
  return {platform::Operation::kDelete, path, missing ? platform::error::kSuccess : code};
}

// Deletes the files in order; the first that fails ends the list.
platform::Result DeleteAll(platform::Os& os, const model::ProgramState& state, Files files,
                           const KeptFiles& kept) {
  for (const char* file : files) {
    if (platform::Result deleted = DeleteAndPause(os, state, file, kept); !deleted.ok()) {
      return deleted;
    }
  }
  return {};
}

platform::Result InstallSweetFx(platform::Os& os, const model::ProgramState& state) {
  const std::string& base = state.BasePath;
  const std::string& preset = state.Settings.SelectedSweetFxPreset;
  auto window = ShowWaitWindow(os, state.SteamLanguage);
  if (platform::Result copied = CopyInWaitWindow(os, *window, {SweetFxBinaries(base)});
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
    return config::ReportedFailure(os, config::OpenFailureMessage::kOpenPresetFile, preset_file,
                                   {platform::Operation::kOpen, preset_file, code});
  }
  // A rewrite reports its own failure.
  return config::WriteWholeFile(os, preset_file, config::OpenFailureMessage::kOpenPresetFile,
                                include_line + "\r\n");
}

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         std::equal(suffix.begin(), suffix.end(), text.end() - static_cast<std::ptrdiff_t>(suffix.size()),
                    [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) ==
                                                std::tolower(static_cast<unsigned char>(b)); });
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && EndsWithNoCase(a, b);
}

bool IsInjectorLibrary(const std::string& path) {
  return EndsWithNoCase(path, "\\d3d9.dll") || EndsWithNoCase(path, "\\dxgi.dll");
}

// Adds the hash of every file below `folder` (its subfolders too) whose size
// is one of `sizes`: only those can be one of the libraries asked about.
void AddHashesBelow(platform::Os& os, const std::string& folder,
                    const std::set<std::uint64_t>& sizes, std::set<std::string>& hashes) {
  std::vector<platform::DirEntry> entries;
  platform::Ignore(os.ListDirectory(folder + "\\*", entries),
                   "a file that cannot be listed vouches for no library, which is then asked about");
  for (const platform::DirEntry& entry : entries) {
    const std::string path = folder + "\\" + entry.name;
    if ((entry.attributes & platform::attribute::kDirectory) != 0) {
      AddHashesBelow(os, path, sizes, hashes);
      continue;
    }
    const std::optional<platform::FileStamp> stamp = os.Stamp(path);
    if (!stamp || sizes.count(stamp->size) == 0) continue;
    std::optional<std::string> hash;
    if (backups::HashFile(os, path, hash) == platform::error::kSuccess && hash) {
      hashes.insert(*hash);
    }
  }
}

}  // namespace

InjectorPlan PlanInjectors(const model::ProgramState& state) {
  const model::SettingsState& settings = state.Settings;
  const std::string& base = state.BasePath;
  InjectorPlan plan;
  const auto deletes = [&](Files files) {
    for (const char* file : files) plan.deleted.push_back(base + file);
  };
  if (settings.SweetFx == 1) {
    plan.copied.push_back(SweetFxBinaries(base));
    plan.rewritten.push_back(base + paths::kSweetFxPresetFile);
  } else {
    deletes(SweetFxRemovals(settings));
  }
  if (settings.ReShade != state.Installed.ReShadeInstalled) {
    deletes(kReShadeMarkers);
    deletes(ReShadeSharedLibraries(settings));
    if (settings.ReShade == 1) {
      plan.copied.push_back(ReShadePackage(base));
    } else {
      deletes(kReShadeOnlyFiles);
    }
  }
  return plan;
}

std::vector<std::string> ForeignLibraries(platform::Os& os, const model::ProgramState& state,
                                          const InjectorPlan& plan,
                                          const std::vector<platform::Os::FileCopy>& written) {
  struct Candidate {
    std::string path;
    std::optional<std::string> hash;
  };
  std::vector<Candidate> candidates;
  std::set<std::uint64_t> sizes;
  for (const std::string& path : plan.deleted) {
    const bool put_back = std::any_of(written.begin(), written.end(),
                                      [&](const platform::Os::FileCopy& copy) { return copy.to == path; });
    const bool listed = std::any_of(candidates.begin(), candidates.end(),
                                    [&](const Candidate& candidate) { return candidate.path == path; });
    if (!IsInjectorLibrary(path) || put_back || listed) continue;
    const std::optional<platform::FileStamp> stamp = os.Stamp(path);
    if (!stamp || stamp->folder) continue;
    // A link that leads out of the game folder is not deleted at all: the
    // journal refuses that and says so.
    if (!backups::StaysInGameFolder(os, state.BasePath, path)) continue;
    Candidate candidate{path, std::nullopt};
    // One that cannot be read cannot be vouched for: it is asked about.
    platform::Ignore(backups::HashFile(os, path, candidate.hash),
                     "without a hash the library matches nothing and is asked about");
    candidates.push_back(std::move(candidate));
    sizes.insert(stamp->size);
  }
  if (candidates.empty()) return {};

  std::set<std::string> shipped;
  for (const char* resources : kInjectorResources) {
    AddHashesBelow(os, state.BasePath + resources, sizes, shipped);
  }
  std::vector<backups::BackupSet> sets;
  platform::Ignore(backups::ListSets(os, state.BasePath, sets),
                   "a set that cannot be read vouches for no library, which is then asked about");
  std::vector<std::string> foreign;
  for (const Candidate& candidate : candidates) {
    const std::string relative = candidate.path.substr(state.BasePath.size() + 1);
    bool own = candidate.hash && shipped.count(*candidate.hash) != 0;
    for (const backups::BackupSet& set : sets) {
      for (const backups::Change& change : set.changes) {
        own = own || (change.kind == backups::Change::Kind::kFile && candidate.hash &&
                      change.new_hash == candidate.hash && EqualsNoCase(change.subject, relative));
      }
    }
    if (!own) foreign.push_back(candidate.path);
  }
  return foreign;
}

platform::Result ApplySweetFx(platform::Os& os, const model::ProgramState& state,
                              const KeptFiles& kept) {
  if (state.Settings.SweetFx == 1) return InstallSweetFx(os, state);
  return DeleteAll(os, state, SweetFxRemovals(state.Settings), kept);
}

platform::Result ApplyReShade(platform::Os& os, const model::ProgramState& state,
                              const KeptFiles& kept) {
  const model::SettingsState& settings = state.Settings;
  if (settings.ReShade == state.Installed.ReShadeInstalled) return {};
  const Files shared = ReShadeSharedLibraries(settings);
  if (platform::Result deleted = DeleteAll(os, state, kReShadeMarkers, kept); !deleted.ok()) {
    return deleted;
  }
  if (platform::Result deleted = DeleteAll(os, state, shared, kept); !deleted.ok()) return deleted;
  auto window = ShowWaitWindow(os, state.SteamLanguage);
  if (settings.ReShade == 1) {
    // Twice, as the package has always been copied: the second pass copies
    // what the first could not, and decides.
    platform::Result copied;
    for (int pass = 0; pass < 2; ++pass) {
      copied = CopyInWaitWindow(os, *window, {ReShadePackage(state.BasePath)});
      os.Sleep(50);
    }
    return copied;
  }
  if (platform::Result deleted = DeleteAll(os, state, shared, kept); !deleted.ok()) return deleted;
  return DeleteAll(os, state, kReShadeOnlyFiles, kept);
}

}  // namespace veyra::install
