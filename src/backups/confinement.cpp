#include "backups/confinement.h"

#include <algorithm>
#include <string_view>

#include "backups/sets.h"
#include "model/game_paths.h"

namespace veyra::backups {
namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

bool IsDeviceName(std::string_view part) {
  const std::string base = Lower(part.substr(0, part.find('.')));
  for (const char* device : {"con", "prn", "aux", "nul", "conin$", "conout$"}) {
    if (base == device) return true;
  }
  return base.size() == 4 && (base.compare(0, 3, "com") == 0 || base.compare(0, 3, "lpt") == 0) &&
         base[3] >= '0' && base[3] <= '9';
}

bool IsPlainPart(std::string_view part) {
  if (part.empty() || part.back() == '.' || part.back() == ' ') return false;
  for (const char c : part) {
    if (static_cast<unsigned char>(c) < 0x20 || std::string_view("<>:\"|?*").find(c) !=
                                                     std::string_view::npos) {
      return false;
    }
  }
  return !IsDeviceName(part);
}

bool StartsWithFolder(const std::string& path, const std::string& folder) {
  const std::string lower_path = Lower(path);
  const std::string lower_folder = Lower(folder);
  return lower_path == lower_folder ||
         (lower_path.size() > lower_folder.size() &&
          lower_path.compare(0, lower_folder.size(), lower_folder) == 0 &&
          lower_path[lower_folder.size()] == '\\');
}

std::string ManifestText(const Change& change) {
  std::string line = ManifestLine(change);
  return line.substr(0, line.size() - 2);  // without its line end
}

bool IsOwnRegistryValue(const Change& change) {
  constexpr std::string_view kCurrentUser = "hkcu\\";
  const std::string subject = Lower(change.subject);
  if (subject.compare(0, kCurrentUser.size(), kCurrentUser) != 0) return false;
  const std::string key = subject.substr(kCurrentUser.size());
  const auto& keys = model::paths::kGameSettingsKeys;
  const auto& values = model::paths::kAntiAliasingValues;
  return std::any_of(keys.begin(), keys.end(), [&](const char* k) { return Lower(k) == key; }) &&
         std::any_of(values.begin(), values.end(),
                     [&](const char* v) { return Lower(v) == Lower(change.value_name); });
}

}  // namespace

bool IsPlainRelativePath(const std::string& relative) {
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = relative.find_first_of("\\/", start);
    const std::string_view part =
        std::string_view(relative).substr(start, end == std::string::npos ? end : end - start);
    if (!IsPlainPart(part)) return false;
    if (end == std::string::npos) return true;
    start = end + 1;
  }
}

bool StaysInGameFolder(platform::Os& os, const std::string& game_folder, const std::string& path) {
  // The nearest part of the path that exists tells where the rest would go.
  std::string existing = path;
  while (existing.size() > game_folder.size() && !os.Stamp(existing)) {
    existing.erase(existing.rfind('\\'));
  }
  return StartsWithFolder(os.FinalPath(existing), os.FinalPath(game_folder));
}

std::optional<std::string> FirstForbiddenLine(platform::Os& os, const std::string& game_folder,
                                              const BackupSet& set) {
  if (!set.unknown_lines.empty()) return set.unknown_lines.front();
  const std::string backups = BackupsFolder(game_folder).substr(game_folder.size() + 1);
  for (const Change& change : set.changes) {
    if (change.kind == Change::Kind::kValue) {
      if (!IsOwnRegistryValue(change)) return ManifestText(change);
      continue;
    }
    if (!IsPlainRelativePath(change.subject) ||
        StartsWithFolder(change.subject, backups) ||
        !StaysInGameFolder(os, game_folder, game_folder + "\\" + change.subject)) {
      return ManifestText(change);
    }
  }
  return std::nullopt;
}

}  // namespace veyra::backups
