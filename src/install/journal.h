// The change journal: everything the program changes in the game folder and
// the registry after OK passes through it. Before a file or value changes,
// its old content is kept in "VeyraConfig backups\store\" and a line of the
// set's manifest saying so is on the disk; so any step can be put back, an
// interrupted run can be undone at the next start, and a player can undo a
// whole OK later.
//
// The journal is an Os: it passes every request on, recording the changing
// ones first. A request that would change nothing (the same bytes, the same
// value) is not made at all, so an OK that changes nothing leaves no set.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "install/backup_set.h"
#include "platform/forwarding_os.h"

namespace veyra::install {

// The folders of the backups, below the game folder.
std::string BackupsFolder(const std::string& game_folder);
std::string StoreFolder(const std::string& game_folder);
std::string SetsFolder(const std::string& game_folder);
std::string LogFile(const std::string& game_folder);
// The hashes of the files the journal has read or written, with their stamps:
// a file whose size and time are as listed is not read again.
std::string KnownFile(const std::string& game_folder);

// How many sets are kept; the contents only older sets refer to go with them.
inline constexpr std::size_t kKeptSets = 10;

class Journal : public platform::ForwardingOs {
 public:
  // `action` names the set: "OK", "restore" or "recovery".
  Journal(platform::Os& os, std::string game_folder, std::string action);
  ~Journal() override;
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;

  // --- the requests that change something
  std::unique_ptr<platform::OpenFile> Open(const std::string& path, platform::FileAccess access,
                                           platform::SystemError& error) override;
  platform::SystemError Copy(const std::string& from, const std::string& to) override;
  // The copies' lines go to the disk together, before the first copy.
  platform::Result CopyFiles(const std::vector<FileCopy>& copies,
                             const CopyProgress& progress) override;
  platform::SystemError MoveReplacing(const std::string& from, const std::string& to) override;
  platform::SystemError Delete(const std::string& path) override;
  platform::SystemError CreateFolder(const std::string& path) override;
  platform::SystemError RemoveFolder(const std::string& path) override;
  platform::SystemError RegistryWriteValue(std::uint32_t root, const std::string& key,
                                           const std::string& value_name,
                                           const platform::RegistryValue& value) override;
  platform::SystemError RegistryDeleteValue(std::uint32_t root, const std::string& key,
                                            const std::string& value_name) override;
  // What the player is told goes into the log too: every failure the program
  // reports names its file and error.
  int ShowMessage(const std::string& text, const std::string& caption,
                  std::uint32_t flags) override;

  // --- steps: groups of changes that stay whole or are put back whole
  void BeginStep();
  // Puts back every file and value changed since BeginStep, newest first, and
  // logs `failure` (what made the step fail). The first failure of putting
  // something back, if any.
  platform::Result RollbackStep(const platform::Result& failure);

  // Ends the set: marks it complete, keeps the newest sets with the contents
  // they need, and logs what changed. Without a change nothing is written but
  // the log's lines about failures.
  void Finish();

  // Puts a file, value or folder back as it was before `change`, through
  // `via`: the Os below for a step put back, this journal for a restore, so
  // that what the restore changes is recorded in turn.
  platform::Result PutBack(platform::Os& via, const Change& change);

  // A failure to go into the log with the rest of this run.
  void NoteFailure(const platform::Result& failure);

  const std::vector<Change>& changes() const { return changes_; }
  // The name of the set being written; empty while nothing has changed.
  const std::string& set_name() const { return set_name_; }

 private:
  struct Stored;  // how an old content was kept

  bool IsOwn(const std::string& path) const;
  std::string Relative(const std::string& path) const;
  // The content's hash, nullopt when there is no such file.
  platform::SystemError HashOfFile(const std::string& path, std::optional<std::string>& hash);
  // What the journal knows of a file's content, by its path below the game folder.
  std::string KnownKey(const std::string& path) const;
  // The file now holds `hash` (nothing known for nullopt).
  void Learn(const std::string& path, const std::optional<std::string>& hash);
  void LoadKnown();
  void SaveKnown();
  // The hashes of what replaces `to` and of what it holds now; none for `to`
  // when `from` is missing (the request fails on its own then).
  platform::SystemError HashesOf(const std::string& from, const std::string& to,
                                 std::optional<std::string>& new_hash,
                                 std::optional<std::string>& old_hash);
  platform::SystemError StartSet();
  platform::SystemError Record(const Change& change);
  // Keeps the file's current content in the store under `hash`; moving it
  // there when `move` (the file is about to be replaced or deleted anyway).
  platform::SystemError KeepFile(const std::string& path, const std::string& hash, bool move);
  platform::SystemError KeepBytes(const std::string& hash, const std::string& bytes);
  // Sets a registry value (nullopt: deletes it), recorded first.
  platform::SystemError ChangeValue(std::uint32_t root, const std::string& key,
                                    const std::string& value_name,
                                    const std::optional<platform::RegistryValue>& value);
  void Log(const std::string& lines);

  std::string game_folder_;
  std::string action_;
  std::string set_name_;
  std::unique_ptr<platform::OpenFile> manifest_;
  std::vector<Change> changes_;
  std::size_t step_start_ = 0;
  std::vector<platform::Result> failures_;
  std::vector<std::string> shown_;
  bool finished_ = false;
  // Holds each file read for its hash; keeping its capacity spares a growing
  // allocation (and its fresh pages) for every file of a content set.
  std::string read_buffer_;
  struct Known {
    platform::FileStamp stamp;
    std::string hash;
  };
  std::map<std::string, Known> known_;
  bool known_loaded_ = false;
  bool known_changed_ = false;
};

// Removes what a run that was cut short (or could write nothing more) may have
// left: the new content of a rewrite beside its file, and a content or a list
// of hashes half written into the backups. Run at start.
void RemoveLeftovers(platform::Os& os, const std::string& game_folder);

// ------------------------------------------------------------ the sets on disk

// The names of the sets, oldest first; on failure those listed before it.
platform::SystemError ListSets(platform::Os& os, const std::string& game_folder,
                               std::vector<std::string>& names);
std::optional<BackupSet> ReadSet(platform::Os& os, const std::string& game_folder,
                                 const std::string& name);
// Marks an interrupted set as dealt with, so it is not offered again.
platform::Result MarkComplete(platform::Os& os, const std::string& game_folder,
                              const std::string& name);

struct RestoreOutcome {
  int files = 0;   // files put back, deleted or recreated
  int values = 0;  // values put back or deleted
  std::vector<platform::Result> failures;
};

// Undoes the sets, given newest first: every file and value they changed gets
// its content from before the oldest of them. The restore is itself recorded,
// as a set with the action `action`, so it can be undone in turn.
RestoreOutcome RestoreSets(platform::Os& os, const std::string& game_folder,
                           const std::vector<BackupSet>& newest_first, const std::string& action);

}  // namespace veyra::install
