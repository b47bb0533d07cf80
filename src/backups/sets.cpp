#include "backups/sets.h"

#include <algorithm>

#include "config/durable_file.h"
#include "config/text_file.h"
#include "model/game_paths.h"

namespace veyra::backups {
namespace {

using platform::Operation;
using platform::Result;
using platform::SystemError;
namespace error = platform::error;

constexpr std::string_view kManifestSuffix = ".txt";

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// The whole file; opening would create a missing one, so that is asked first.
SystemError ReadWhole(platform::Os& os, const std::string& path, std::string& bytes) {
  if (!os.FindFirstMatch(path)) return error::kFileNotFound;
  SystemError code = error::kSuccess;
  const std::unique_ptr<platform::OpenFile> file =
      os.Open(path, platform::FileAccess::kReadOnly, code);
  if (!file) return code;
  return file->ReadAll(bytes);
}

void DeleteMatching(platform::Os& os, const std::string& folder, const std::string& pattern) {
  std::vector<platform::DirEntry> entries;
  platform::Ignore(os.ListDirectory(folder + "\\" + pattern, entries),
                   "a leftover not listed is tried again at the next start");
  for (const platform::DirEntry& entry : entries) {
    if ((entry.attributes & platform::attribute::kDirectory) != 0) continue;
    platform::Ignore(os.Delete(folder + "\\" + entry.name), "tried again at the next start");
  }
}

}  // namespace

std::string BackupsFolder(const std::string& game_folder) {
  return game_folder + model::paths::kBackups;
}
std::string StoreFolder(const std::string& game_folder) {
  return BackupsFolder(game_folder) + "\\store";
}
std::string SetsFolder(const std::string& game_folder) {
  return BackupsFolder(game_folder) + "\\sets";
}
std::string LogFile(const std::string& game_folder) {
  return BackupsFolder(game_folder) + "\\log.txt";
}
std::string KnownFile(const std::string& game_folder) {
  return BackupsFolder(game_folder) + "\\hashes.txt";
}
std::string SetFile(const std::string& game_folder, const std::string& name) {
  return SetsFolder(game_folder) + "\\" + name + std::string(kManifestSuffix);
}

std::optional<BackupSet> ReadSet(platform::Os& os, const std::string& game_folder,
                                 const std::string& name) {
  std::string text;
  if (ReadWhole(os, SetFile(game_folder, name), text) != error::kSuccess) return std::nullopt;
  return ParseManifest(name, text);
}

Result ListSets(platform::Os& os, const std::string& game_folder, std::vector<BackupSet>& sets) {
  sets.clear();
  std::vector<platform::DirEntry> entries;
  const std::string pattern = SetsFolder(game_folder) + "\\*" + std::string(kManifestSuffix);
  Result outcome;
  if (const SystemError code = os.ListDirectory(pattern, entries); code != error::kSuccess) {
    outcome = {Operation::kList, SetsFolder(game_folder), code};
  }
  for (const platform::DirEntry& entry : entries) {
    if ((entry.attributes & platform::attribute::kDirectory) != 0) continue;
    if (!EndsWith(entry.name, kManifestSuffix) || entry.name.size() == kManifestSuffix.size()) {
      continue;
    }
    const std::string name = entry.name.substr(0, entry.name.size() - kManifestSuffix.size());
    std::string text;
    if (const SystemError code = ReadWhole(os, SetFile(game_folder, name), text);
        code != error::kSuccess) {
      if (outcome.ok()) outcome = {Operation::kRead, SetFile(game_folder, name), code};
      BackupSet unreadable;
      unreadable.name = name;
      unreadable.readable = false;
      const std::size_t digits = name.find_first_not_of("0123456789");
      unreadable.sequence = std::strtoull(name.substr(0, std::min<std::size_t>(digits, 19)).c_str(), nullptr, 10);
      sets.push_back(std::move(unreadable));
      continue;
    }
    BackupSet set = ParseManifest(name, text);
    if (set.has_header) sets.push_back(std::move(set));
  }
  std::sort(sets.begin(), sets.end(), [](const BackupSet& a, const BackupSet& b) {
    return a.sequence != b.sequence ? a.sequence < b.sequence : a.name < b.name;
  });
  return outcome;
}

std::uint64_t NextSequence(const std::vector<BackupSet>& sets) {
  std::uint64_t highest = 0;
  for (const BackupSet& set : sets) highest = std::max(highest, set.sequence);
  return highest + 1;
}

const BackupSet* FindSet(const std::vector<BackupSet>& sets, std::uint64_t sequence) {
  for (const BackupSet& set : sets) {
    if (set.sequence == sequence) return &set;
  }
  return nullptr;
}

namespace {

// For every set, newest first, the sequence of the standing undo that undoes
// it (0: it stands). Only a later set can undo an earlier one, so the newest
// stand by themselves and each set's fate is known before the older ones'.
std::vector<std::uint64_t> StandingUndoers(const std::vector<BackupSet>& sets) {
  std::vector<std::uint64_t> undoer(sets.size(), 0);
  std::vector<std::pair<std::uint64_t, std::uint64_t>> undone;  // (undone, by)
  for (std::size_t n = sets.size(); n-- > 0;) {
    const BackupSet& set = sets[n];
    for (const auto& [sequence, by] : undone) {
      if (sequence == set.sequence && set.sequence != 0) undoer[n] = by;
    }
    if (undoer[n] != 0) continue;
    for (const std::uint64_t sequence : set.undoes) {
      if (sequence < set.sequence) undone.emplace_back(sequence, set.sequence);
    }
  }
  return undoer;
}

}  // namespace

std::vector<const BackupSet*> UndoableChanges(const std::vector<BackupSet>& sets) {
  const std::vector<std::uint64_t> undoer = StandingUndoers(sets);
  std::vector<const BackupSet*> changes;
  for (std::size_t n = sets.size(); n-- > 0;) {
    const BackupSet& set = sets[n];
    const bool empty = set.readable && set.complete && set.changes.empty();
    if (undoer[n] == 0 && set.undoes.empty() && !empty) changes.push_back(&set);
  }
  return changes;
}

std::uint64_t UndoneBy(const std::vector<BackupSet>& sets, std::uint64_t sequence) {
  const std::vector<std::uint64_t> undoer = StandingUndoers(sets);
  for (std::size_t n = 0; n < sets.size(); ++n) {
    if (sets[n].sequence == sequence) return undoer[n];
  }
  return 0;
}

Result CreateSet(platform::Os& os, const std::string& game_folder, const std::string& name,
                 const std::string& header) {
  const std::string path = SetFile(game_folder, name);
  return config::ReplaceDurably(os, path, path + std::string(kPartialSuffix),
                                config::BytesWriter(header));
}

Result MarkComplete(platform::Os& os, const std::string& game_folder, const std::string& name) {
  const std::string path = SetFile(game_folder, name);
  SystemError code = error::kSuccess;
  const std::unique_ptr<platform::OpenFile> file =
      os.Open(path, platform::FileAccess::kReadWrite, code);
  if (!file) return {Operation::kOpen, path, code};
  code = file->Append(ManifestCompleteLine(os.Now()));
  if (code == error::kSuccess) code = file->Flush();
  return {Operation::kWrite, path, code};
}

void RemoveLeftovers(platform::Os& os, const std::string& game_folder,
                     const platform::Os::FolderLock& /*held*/) {
  std::vector<std::string> rewritten = {model::paths::kConfigCfg, model::paths::kSweetFxPresetFile,
                                        model::paths::kVrTag};
  rewritten.insert(rewritten.end(), model::paths::kConsoleScripts.begin(),
                   model::paths::kConsoleScripts.end());
  rewritten.insert(rewritten.end(), model::paths::kPrecacheLists.begin(),
                   model::paths::kPrecacheLists.end());
  for (const std::string& file : rewritten) {
    const std::string leftover = game_folder + file + std::string(config::kReplacementSuffix);
    if (os.FindFirstMatch(leftover)) {
      platform::Ignore(os.Delete(leftover), "tried again at the next start");
    }
  }
  const std::string partial = "*" + std::string(kPartialSuffix);
  DeleteMatching(os, StoreFolder(game_folder), partial);
  DeleteMatching(os, SetsFolder(game_folder), partial);
  DeleteMatching(os, BackupsFolder(game_folder), partial);

  // A set file without its header was made by a version that wrote the
  // header after creating the file, and cut short there: it records nothing.
  std::vector<platform::DirEntry> entries;
  platform::Ignore(
      os.ListDirectory(SetsFolder(game_folder) + "\\*" + std::string(kManifestSuffix), entries),
      "a leftover not listed is tried again at the next start");
  for (const platform::DirEntry& entry : entries) {
    if ((entry.attributes & platform::attribute::kDirectory) != 0 ||
        !EndsWith(entry.name, kManifestSuffix)) {
      continue;
    }
    const std::string name = entry.name.substr(0, entry.name.size() - kManifestSuffix.size());
    std::string text;
    if (ReadWhole(os, SetFile(game_folder, name), text) != error::kSuccess) continue;
    if (!ParseManifest(name, text).has_header) {
      platform::Ignore(os.Delete(SetFile(game_folder, name)), "tried again at the next start");
    }
  }
}

std::unique_ptr<platform::Os::FolderLock> LockGameFolder(platform::Os& os,
                                                         const std::string& game_folder,
                                                         SystemError& error) {
  return os.LockFolder(game_folder, error);
}

}  // namespace veyra::backups
