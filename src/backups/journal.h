// The change journal: everything the program changes in the game folder and
// the registry after OK passes through it. Before a file or value changes,
// its old content is kept in the store and a line of the set's manifest
// saying so is on the disk; so any step can be put back, an interrupted run
// can be undone at the next start, and a player can undo a whole OK later.
//
// The journal is an Os: it passes every request on, recording the changing
// ones first. A request that would change nothing (the same bytes, the same
// value) is not made at all, so an OK that changes nothing leaves no set. A
// request that would change something outside the game folder, or reach out
// of it through a link, is refused (5, access denied) and changes nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "backups/backup_set.h"
#include "backups/store.h"
#include "platform/forwarding_os.h"

namespace veyra::backups {

// How many sets are kept; the contents only older sets refer to go with them.
inline constexpr std::size_t kKeptSets = 10;

class Journal : public platform::ForwardingOs {
 public:
  // A new set, made at the first change. `action` names it: "OK", "restore"
  // or "recovery"; `undoes` lists the sets a restore or recovery undoes.
  // `held` is the game folder's lock when the caller holds it already;
  // otherwise the journal takes it (TakeLock) before its first change.
  Journal(platform::Os& os, std::string game_folder, std::string action,
          std::vector<std::uint64_t> undoes = {},
          const platform::Os::FolderLock* held = nullptr);
  // Goes on writing the interrupted set `resumed`.
  Journal(platform::Os& os, std::string game_folder, const BackupSet& resumed,
          const platform::Os::FolderLock& held);
  ~Journal() override;
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;

  // Takes the game folder's lock for the rest of the journal's life; 33 when
  // another instance holds it. Nothing changes without it.
  platform::SystemError TakeLock();

  // --- the requests that change something
  std::unique_ptr<platform::OpenFile> Open(const std::string& path, platform::FileAccess access,
                                           platform::SystemError& error) override;
  platform::SystemError Copy(const std::string& from, const std::string& to) override;
  // The copies' lines go to the disk together, before the first copy, once
  // the volume is known to hold every new content.
  platform::Result CopyFiles(const std::vector<FileCopy>& copies,
                             const CopyProgress& progress) override;
  platform::SystemError MoveReplacing(const std::string& from, const std::string& to) override;
  // One move after the other, each recorded.
  platform::Result MoveFilesReplacing(const std::vector<FileMove>& moves,
                                      std::size_t& moved) override {
    return Os::MoveFilesReplacing(moves, moved);
  }
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

  // Hears that a change given to PutBack is dealt with: its failure, if any,
  // and whether something had to change. Within a run of files, those that
  // change are heard after those that need not.
  using PutBackDone =
      std::function<void(const Change& change, const platform::Result& failure, bool changed)>;
  // Brings the file, value or folder of each change back to its old content,
  // in the order given, recorded in this journal as any change is (a
  // restore). The lines of a run of files go to the disk together, before
  // the first of them changes, and each file of it is wholly old or wholly
  // new at any moment.
  void PutBack(const std::vector<Change>& changes, const PutBackDone& done);

  // A failure to go into the log with the rest of this run.
  void NoteFailure(const platform::Result& failure);

  const std::vector<Change>& changes() const { return changes_; }
  // Every failure of this run so far, whether put back or not.
  const std::vector<platform::Result>& failures() const { return failures_; }
  // The name of the set being written; empty while nothing has changed.
  const std::string& set_name() const { return set_name_; }

  // The state of a change's subject now: a file's or value's hash, a
  // folder's presence; nullopt when it is not there.
  platform::SystemError CurrentState(const Change& change, std::optional<std::string>& state);

 private:
  bool IsOwn(const std::string& path) const;
  std::string Relative(const std::string& path) const;
  // Whether `path` lies in the game folder, links followed; folders are asked once.
  bool Confined(const std::string& path);
  // Refuses a change outside the game folder (5, access denied), logged.
  platform::SystemError Refuse(platform::Operation operation, const std::string& path);
  // The hash of a file that is not about to change: from the known list when
  // its stamp matches.
  platform::SystemError HashUnchanged(const std::string& path, std::optional<std::string>& hash);
  platform::SystemError StartSet();
  platform::SystemError Record(const Change& change);
  platform::SystemError AppendLines(const std::string& lines);
  // Keeps the old content of `path` (holding `hash`) by moving it into the store.
  platform::SystemError KeepByMoving(const std::string& path, const std::string& hash);
  // The same for each of `files`, their moves made in one request, so that
  // they reach the disk together; `failed_at` learns which file a failure
  // concerns. A link, or a file on another volume, is kept by copying.
  platform::SystemError KeepEachByMoving(const std::vector<Store::Content>& files,
                                         std::size_t& failed_at);
  // Keeps a copy of `path`, which must still hold `hash`.
  platform::SystemError KeepByCopying(const std::string& path, const std::string& hash);
  // Sets a registry value (nullopt: deletes it), recorded first.
  platform::SystemError ChangeValue(std::uint32_t root, const std::string& key,
                                    const std::string& value_name,
                                    const std::optional<platform::RegistryValue>& value);
  // Puts a change of this run back through the Os below, unrecorded.
  platform::Result Undo(const Change& change);
  // Brings a change's subject back to its old content: recorded in this
  // journal (a restore) or not (a step put back).
  platform::Result BringBack(const Change& change, bool recorded);
  // Whether a restore can bring the file of `change` back in a run of files:
  // a plain file in the game folder, not a link.
  bool InRunOfFiles(const Change& change);
  // Brings back the run of files that starts at `first`; the index after it.
  std::size_t PutBackFiles(const std::vector<Change>& changes, std::size_t first,
                           const PutBackDone& done);
  // The changes without those of subjects that are back where they began
  // (written more than once, the last time with what was there before).
  std::vector<Change> WhatStayedChanged();
  // Marks the set complete, without the changes that changed nothing in the
  // end; a set of such changes alone is removed.
  platform::SystemError CompleteSet(const platform::LocalTime& now);
  void Prune();

  std::string game_folder_;
  std::string action_;
  std::vector<std::uint64_t> undoes_;
  const platform::Os::FolderLock* held_ = nullptr;
  std::unique_ptr<platform::Os::FolderLock> own_lock_;
  Store store_;
  KnownHashes known_;
  std::string set_name_;
  std::uint64_t sequence_ = 0;
  std::string header_;  // of the set this journal made; empty for one it goes on with
  bool set_removed_ = false;
  std::unique_ptr<platform::OpenFile> manifest_;
  std::vector<Change> changes_;
  std::size_t step_start_ = 0;
  std::vector<platform::Result> failures_;
  std::vector<std::string> shown_;
  bool finished_ = false;
  // How many changes of this run kept their old content under each hash by
  // moving it into the store, and the hashes the store held before: a content
  // only this run needs can be moved back out instead of copied.
  std::map<std::string, int> moved_in_;
  std::set<std::string> stored_before_;
  std::map<std::string, bool> confined_folders_;
};

}  // namespace veyra::backups
