// Ending a set: what changed and came back to where it began is left out,
// the set is marked complete, the run is logged, and old sets are pruned.
#include "backups/journal.h"

#include <map>
#include <tuple>

#include "backups/log.h"
#include "backups/sets.h"
#include "config/text_file.h"

namespace veyra::backups {
namespace {

using platform::IsFailure;
using platform::Operation;
using platform::Result;
using platform::SystemError;
namespace error = platform::error;

// Changes of one file, value or folder.
using SubjectKey = std::tuple<Change::Kind, std::string, std::string>;

}  // namespace

std::vector<Change> Journal::WhatStayedChanged() {
  std::map<SubjectKey, std::vector<std::size_t>> by_subject;
  for (std::size_t n = 0; n < changes_.size(); ++n) {
    const Change& change = changes_[n];
    by_subject[{change.kind, change.subject, change.value_name}].push_back(n);
  }
  std::vector<bool> back_as_before(changes_.size(), false);
  for (const auto& [subject, indices] : by_subject) {
    // One change alone never returns to where it began: the journal records
    // no change to the same content.
    if (indices.size() < 2) continue;
    const Change& first = changes_[indices.front()];
    std::optional<std::string> now;
    if (IsFailure(CurrentState(first, now)) || now != first.old_hash) continue;
    for (const std::size_t n : indices) back_as_before[n] = true;
  }
  std::vector<Change> stayed;
  for (std::size_t n = 0; n < changes_.size(); ++n) {
    if (!back_as_before[n]) stayed.push_back(changes_[n]);
  }
  return stayed;
}

SystemError Journal::CompleteSet(const platform::LocalTime& now) {
  std::vector<Change> stayed = WhatStayedChanged();
  const std::string path = SetFile(game_folder_, set_name_);
  if (stayed.size() == changes_.size() || header_.empty()) {
    const SystemError code = manifest_->Append(ManifestCompleteLine(now));
    return IsFailure(code) ? code : manifest_->Flush();
  }
  // Written anew whole, in place of the lines so far: the set then says
  // only what changed.
  manifest_.reset();
  std::string manifest = header_;
  for (const Change& change : stayed) manifest += ManifestLine(change);
  manifest += ManifestCompleteLine(now);
  changes_ = std::move(stayed);
  const Result written = CreateSet(inner_, game_folder_, set_name_, manifest);
  if (!written.ok()) return written.code();
  // A change that changed nothing in the end is no change; an undo stays,
  // as it records what it undid.
  if (changes_.empty() && undoes_.empty()) {
    const SystemError code = inner_.Delete(path);
    if (!IsFailure(code)) set_removed_ = true;
    return code;
  }
  return error::kSuccess;
}

void Journal::Finish() {
  if (finished_) return;
  finished_ = true;
  const platform::LocalTime now = inner_.Now();
  std::string lines = TimeText(now) + "  " + action_;
  if (manifest_) {
    NoteFailure({Operation::kWrite, SetFile(game_folder_, set_name_), CompleteSet(now)});
    manifest_.reset();
    lines += set_removed_ ? ": nothing changed in the end" : " (backup set " + set_name_ + ")";
  } else {
    lines += ": nothing changed";
  }
  lines += "\r\n";
  for (const Change& change : changes_) lines += "  changed " + SubjectText(change) + "\r\n";
  for (const Result& failure : failures_) lines += FailureLine(failure);
  for (const std::string& message : shown_) lines += "  shown: " + message + "\r\n";
  AppendToLog(inner_, game_folder_, lines);
  known_.Save();
  if (!set_name_.empty()) Prune();
  if (set_removed_) set_name_.clear();
}

void Journal::Prune() {
  std::vector<BackupSet> sets;
  // Sets missing from the list would have their contents removed.
  if (!ListSets(inner_, game_folder_, sets).ok()) return;
  // The newest sets stay, and so does every set not yet dealt with and every
  // set such a set undoes: its contents may still have to be put back.
  std::set<std::string> kept = {set_name_};
  for (std::size_t n = sets.size() > kKeptSets ? sets.size() - kKeptSets : 0; n < sets.size(); ++n)
    kept.insert(sets[n].name);
  for (const BackupSet& set : sets) {
    if (set.complete) continue;
    kept.insert(set.name);
    for (const std::uint64_t undone : set.undoes) {
      if (const BackupSet* needed = FindSet(sets, undone)) kept.insert(needed->name);
    }
  }
  std::vector<BackupSet> staying;
  for (BackupSet& set : sets) {
    if (kept.count(set.name)) {
      staying.push_back(std::move(set));
    } else {
      platform::Ignore(inner_.Delete(SetFile(game_folder_, set.name)),
                       "an old set left behind is removed next time");
    }
  }
  store_.Prune(staying);
}

}  // namespace veyra::backups
