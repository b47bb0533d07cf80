// The backups' folders and the sets on disk: listing them in the order they
// were made, making a new one whole, marking one complete, and tidying up
// what a run that was cut short left behind.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "backups/backup_set.h"
#include "platform/os.h"

namespace veyra::backups {

// The folders of the backups, below the game folder.
std::string BackupsFolder(const std::string& game_folder);
std::string StoreFolder(const std::string& game_folder);
std::string SetsFolder(const std::string& game_folder);
std::string LogFile(const std::string& game_folder);
// The hashes of the files the journal has read or written, with their stamps.
std::string KnownFile(const std::string& game_folder);
std::string SetFile(const std::string& game_folder, const std::string& name);

// What a half-made file carries behind its name until it is whole.
inline constexpr std::string_view kPartialSuffix = ".partial";

// Every set, oldest first by sequence (sets of the same sequence by name).
// A file without a header (made empty by a run that was cut short) is passed
// over; one that cannot be read is listed as unreadable. The first listing or
// reading that fails is the result: whoever acts on the sets must not act on
// part of them, as the order of part of them may name the wrong newest one.
platform::Result ListSets(platform::Os& os, const std::string& game_folder,
                          std::vector<BackupSet>& sets);
std::optional<BackupSet> ReadSet(platform::Os& os, const std::string& game_folder,
                                 const std::string& name);
// The number the next set gets: one past the highest there is.
std::uint64_t NextSequence(const std::vector<BackupSet>& sets);
// The set with the sequence number `sequence`, if there is one.
const BackupSet* FindSet(const std::vector<BackupSet>& sets, std::uint64_t sequence);

// The changes the player can still undo, newest first: every set that is not
// an undo itself and that no standing undo undoes. An undo stands unless a
// later one undoes it (a redo), which makes what it undid stand again. The
// undo button and /restore walk back along this list, so they never toggle.
// A set that changed nothing is not listed; one that cannot be read is:
// whoever undoes it finds out.
std::vector<const BackupSet*> UndoableChanges(const std::vector<BackupSet>& sets);
// Whether a standing undo undoes the set `sequence` (the sequence of the one that does, or 0).
std::uint64_t UndoneBy(const std::vector<BackupSet>& sets, std::uint64_t sequence);

// Makes the manifest `name` with `header`: it appears under its name only once
// the header is on the disk, so that no set is ever empty or headless.
platform::Result CreateSet(platform::Os& os, const std::string& game_folder,
                           const std::string& name, const std::string& header);
// Marks an interrupted set as dealt with, so it is not offered again.
platform::Result MarkComplete(platform::Os& os, const std::string& game_folder,
                              const std::string& name);

// Removes what a run that was cut short (or could write nothing more) may have
// left: the new content of a rewrite beside its file, a content, a list of
// hashes or a set half made, and set files without a header. Only under the
// folder's lock: a running instance may be writing them.
void RemoveLeftovers(platform::Os& os, const std::string& game_folder,
                     const platform::Os::FolderLock& held);

// The lock of the game folder, held while an OK, a restore or a recovery
// changes it.
std::unique_ptr<platform::Os::FolderLock> LockGameFolder(platform::Os& os,
                                                         const std::string& game_folder,
                                                         platform::SystemError& error);

}  // namespace veyra::backups
