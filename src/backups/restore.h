// Undoing sets: every file and value they changed gets its content from
// before the oldest of them. Nothing is trusted: a set that names anything
// outside what the program changes is refused whole, and so is a restore
// whose kept contents no longer match their hashes, or one the drive has no
// room for; in each case nothing is changed. A restore is itself recorded, as
// a set that names the sets it undoes, so it can be undone in turn, and one
// that was cut short can be finished later instead of undone.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "backups/backup_set.h"
#include "platform/os.h"

namespace veyra::backups {

struct RestoreOutcome {
  int files = 0;   // files put back, deleted or recreated
  int values = 0;  // values put back or deleted
  std::vector<platform::Result> failures;
  // When the restore was refused, the set and the line that were to blame.
  std::optional<std::string> refused_set;
  std::optional<std::string> forbidden_line;
  // When it was refused for kept contents that are damaged or missing: the
  // files and values they were to bring back.
  std::vector<std::string> damaged;
  // When it was refused because the game folder's drive cannot hold the old
  // contents it copies back: the bytes it needs and the bytes free.
  struct Room {
    std::uint64_t needed;
    std::uint64_t free;
  };
  std::optional<Room> room;

  bool refused() const { return refused_set.has_value() || !damaged.empty() || room.has_value(); }
};

// Hears how many of the files and values to bring back are dealt with.
using RestoreProgress = std::function<void(std::size_t done, std::size_t total)>;

// Undoes the sets, given newest first, as the set `action` ("restore" or
// "recovery"). The caller holds the game folder's lock.
RestoreOutcome RestoreSets(platform::Os& os, const std::string& game_folder,
                           const std::vector<BackupSet>& newest_first, const std::string& action,
                           const platform::Os::FolderLock& held,
                           const RestoreProgress& progress = {});

// Finishes the restore or recovery `resumed` that was cut short: what it
// undoes (found among `sets`) is undone, recorded in the same set.
RestoreOutcome ResumeRestore(platform::Os& os, const std::string& game_folder,
                             const BackupSet& resumed, const std::vector<BackupSet>& sets,
                             const platform::Os::FolderLock& held,
                             const RestoreProgress& progress = {});

}  // namespace veyra::backups
