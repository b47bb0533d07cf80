#include "backups/restore.h"

#include <map>
#include <tuple>

#include "backups/confinement.h"
#include "backups/journal.h"
#include "backups/sets.h"
#include "backups/store.h"

namespace veyra::backups {
namespace {

namespace error = platform::error;

// Each file and value goes back to its content before the oldest set: the
// old content of its earliest change.
std::vector<Change> Targets(const std::vector<BackupSet>& newest_first) {
  std::vector<Change> targets;
  std::map<std::tuple<Change::Kind, std::string, std::string>, std::size_t> index;
  for (const BackupSet& set : newest_first) {
    for (auto change = set.changes.rbegin(); change != set.changes.rend(); ++change) {
      const auto key = std::make_tuple(change->kind, change->subject, change->value_name);
      const auto [found, added] = index.try_emplace(key, targets.size());
      if (added) {
        targets.push_back(*change);
      } else {
        targets[found->second] = *change;
      }
    }
  }
  return targets;
}

std::string Subject(const Change& change) {
  return change.kind == Change::Kind::kValue ? change.subject + " " + change.value_name
                                             : change.subject;
}

// Checks everything before anything changes: the lines, then the contents
// that are to come back.
bool Refuse(platform::Os& os, const std::string& game_folder,
            const std::vector<BackupSet>& newest_first, Journal& journal,
            const std::vector<Change>& targets, RestoreOutcome& outcome) {
  for (const BackupSet& set : newest_first) {
    if (std::optional<std::string> line = FirstForbiddenLine(os, game_folder, set)) {
      outcome.refused_set = set.name;
      outcome.forbidden_line = std::move(line);
      return true;
    }
  }
  Store store(os, game_folder);
  std::map<std::string, bool> intact;  // a content several files share is read once
  std::uint64_t needed = 0;
  for (const Change& target : targets) {
    if (!target.old_hash || target.kind == Change::Kind::kFolder) continue;
    std::optional<std::string> current;
    if (journal.CurrentState(target, current) == error::kSuccess && current == target.old_hash) {
      continue;  // already as it was: nothing to bring back
    }
    const auto [checked, added] = intact.try_emplace(*target.old_hash, false);
    if (added) checked->second = store.Verify(*target.old_hash) == error::kSuccess;
    if (!checked->second) outcome.damaged.push_back(Subject(target));
    // What is there now moves into the store and takes no room; the old
    // content is copied out of it.
    const std::optional<platform::FileStamp> kept = os.Stamp(store.PathOf(*target.old_hash));
    if (target.kind == Change::Kind::kFile && kept) needed += kept->size;
  }
  if (!outcome.damaged.empty()) return true;
  std::uint64_t free = 0;
  if (os.FreeSpace(game_folder, free) == error::kSuccess && free < needed + kSpareBytes) {
    outcome.room = RestoreOutcome::Room{needed + kSpareBytes, free};
  }
  return outcome.room.has_value();
}

RestoreOutcome Run(platform::Os& os, const std::string& game_folder,
                   const std::vector<BackupSet>& newest_first, Journal& journal,
                   const RestoreProgress& progress) {
  RestoreOutcome outcome;
  const std::vector<Change> targets = Targets(newest_first);
  if (Refuse(os, game_folder, newest_first, journal, targets, outcome)) return outcome;
  std::size_t dealt_with = 0;
  journal.PutBack(targets, [&](const Change& target, const platform::Result& failure,
                               bool changed) {
    if (!failure.ok()) {
      outcome.failures.push_back(failure);
    } else if (changed && target.kind == Change::Kind::kFile) {
      ++outcome.files;
    } else if (changed && target.kind == Change::Kind::kValue) {
      ++outcome.values;
    }
    if (progress) progress(++dealt_with, targets.size());
  });
  for (const platform::Result& failure : outcome.failures) journal.NoteFailure(failure);
  journal.Finish();
  return outcome;
}

}  // namespace

RestoreOutcome RestoreSets(platform::Os& os, const std::string& game_folder,
                           const std::vector<BackupSet>& newest_first, const std::string& action,
                           const platform::Os::FolderLock& held, const RestoreProgress& progress) {
  std::vector<std::uint64_t> undoes;
  for (const BackupSet& set : newest_first) undoes.push_back(set.sequence);
  Journal journal(os, game_folder, action, undoes, &held);
  return Run(os, game_folder, newest_first, journal, progress);
}

RestoreOutcome ResumeRestore(platform::Os& os, const std::string& game_folder,
                             const BackupSet& resumed, const std::vector<BackupSet>& sets,
                             const platform::Os::FolderLock& held,
                             const RestoreProgress& progress) {
  std::vector<BackupSet> undone;
  for (const std::uint64_t sequence : resumed.undoes) {
    if (const BackupSet* set = FindSet(sets, sequence)) undone.push_back(*set);
  }
  Journal journal(os, game_folder, resumed, held);
  return Run(os, game_folder, undone, journal, progress);
}

}  // namespace veyra::backups
