// Putting changes back: a failed step's, through the Os below and unrecorded,
// and a restore's, recorded as any change is.
#include "backups/journal.h"

#include "backups/content_hash.h"
#include "backups/log.h"
#include "backups/sets.h"
#include "config/text_file.h"

namespace veyra::backups {
namespace {

using config::StartsWithNoCase;
using platform::IsFailure;
using platform::Operation;
using platform::Result;
using platform::SystemError;
namespace error = platform::error;

std::uint32_t RootOf(const std::string& subject) {
  if (StartsWithNoCase(subject, "HKCU\\")) return platform::hkey::kCurrentUser;
  return static_cast<std::uint32_t>(std::strtoul(subject.c_str(), nullptr, 16));
}

std::string KeyOf(const std::string& subject) {
  const std::size_t slash = subject.find('\\');
  return slash == std::string::npos ? std::string() : subject.substr(slash + 1);
}

}  // namespace

void Journal::BeginStep() { step_start_ = changes_.size(); }

Result Journal::RollbackStep(const Result& failure) {
  NoteFailure(failure);
  Result first;
  for (std::size_t n = changes_.size(); n-- > step_start_;) {
    const Result put_back = Undo(changes_[n]);
    if (put_back.ok()) continue;
    NoteFailure(put_back);
    if (first.ok()) first = put_back;
  }
  step_start_ = changes_.size();
  return first;
}

SystemError Journal::CurrentState(const Change& change, std::optional<std::string>& state) {
  state.reset();
  if (change.kind == Change::Kind::kValue) {
    if (const std::optional<platform::RegistryValue> value =
            inner_.RegistryReadValue(RootOf(change.subject), KeyOf(change.subject),
                                     change.value_name)) {
      state = ContentHash(ValueBytes(*value));
    }
    return error::kSuccess;
  }
  const std::string path = game_folder_ + "\\" + change.subject;
  if (change.kind == Change::Kind::kFolder) {
    if (inner_.Stamp(path)) state = kFolderPresent;
    return error::kSuccess;
  }
  return HashFile(inner_, path, state);
}

Result Journal::Undo(const Change& change) { return BringBack(change, false); }

void Journal::PutBack(const std::vector<Change>& changes, const PutBackDone& done) {
  for (std::size_t n = 0; n < changes.size();) {
    if (InRunOfFiles(changes[n])) {
      n = PutBackFiles(changes, n, done);
      continue;
    }
    const std::size_t recorded = changes_.size();
    const Result result = BringBack(changes[n], true);
    done(changes[n], result, changes_.size() > recorded);
    ++n;
  }
}

bool Journal::InRunOfFiles(const Change& change) {
  if (change.kind != Change::Kind::kFile) return false;
  const std::string path = game_folder_ + "\\" + change.subject;
  return Confined(path) && inner_.FinalPath(path) == path;
}

std::size_t Journal::PutBackFiles(const std::vector<Change>& changes, std::size_t first,
                                  const PutBackDone& done) {
  // Enough lines to save nearly every flush, few enough to keep memory small.
  constexpr std::size_t kLongestRun = 4096;
  // What each file of the run has now, going back to what it had: a change
  // recorded as any other, so that the restore can be undone in turn.
  std::vector<Change> recorded;
  std::vector<const Change*> given;
  std::vector<std::string> paths;
  std::string lines;
  std::size_t end = first;
  for (; end < changes.size() && end - first < kLongestRun && InRunOfFiles(changes[end]); ++end) {
    const Change& change = changes[end];
    const std::string path = game_folder_ + "\\" + change.subject;
    // The hash recorded is that of the very bytes moved into the store below.
    std::optional<std::string> current;
    if (const SystemError code = HashFile(inner_, path, current); IsFailure(code)) {
      done(change, {Operation::kRead, path, code}, false);
      continue;
    }
    if (current == change.old_hash) {
      done(change, {}, false);
      continue;
    }
    // Folders come back before the files in them, and go after them when the
    // restore is undone.
    if (change.old_hash) {
      if (const Result made = store_.MakeFoldersOnTheWay(*this, path); !made.ok()) {
        done(change, made, false);
        continue;
      }
    }
    recorded.push_back({Change::Kind::kFile, change.subject, "", current, change.old_hash});
    lines += ManifestLine(recorded.back());
    given.push_back(&change);
    paths.push_back(path);
  }
  if (recorded.empty()) return end;
  if (const SystemError code = AppendLines(lines); IsFailure(code)) {
    for (std::size_t n = 0; n < given.size(); ++n) {
      done(*given[n], {Operation::kCopy, paths[n], code}, false);
    }
    return end;
  }
  changes_.insert(changes_.end(), recorded.begin(), recorded.end());
  for (std::size_t n = 0; n < recorded.size(); ++n) {
    const std::string& path = paths[n];
    const std::optional<std::string>& now = recorded[n].old_hash;
    const std::optional<std::string>& back = recorded[n].new_hash;
    // A rewrite cut short leaves its new content beside the file.
    const std::string replacement = path + std::string(config::kReplacementSuffix);
    if (inner_.FindFirstMatch(replacement)) {
      platform::Ignore(inner_.Delete(replacement), "a leftover that is not part of the game");
    }
    // The old content is made ready beside the store before what is there
    // now goes into it: a disk too full for the copy leaves the file as it is.
    Result result = back ? store_.CopyOut(*back) : Result();
    if (result.ok() && now) {
      result = {Operation::kDelete, path, KeepByMoving(path, *now)};
      // On another volume than the store the file was kept as a copy.
      if (result.ok() && !back && inner_.FindFirstMatch(path)) {
        result = {Operation::kDelete, path, inner_.Delete(path)};
      }
    }
    if (result.ok() && back) {
      result = store_.PutInPlace(inner_, *back, path);
    } else if (back) {
      store_.DropCopyOut(*back);
    }
    known_.Learn(path, result.ok() ? back : std::nullopt);
    done(*given[n], result, true);
  }
  return end;
}

Result Journal::BringBack(const Change& change, bool recorded) {
  platform::Os& via = recorded ? static_cast<platform::Os&>(*this) : inner_;
  const std::string path = game_folder_ + "\\" + change.subject;
  std::optional<std::string> current;
  if (const SystemError code = CurrentState(change, current); IsFailure(code)) {
    return {Operation::kRead, path, code};
  }
  if (current == change.old_hash) return {};
  if (change.kind == Change::Kind::kValue) {
    const std::uint32_t root = RootOf(change.subject);
    const std::string key = KeyOf(change.subject);
    SystemError code = error::kSuccess;
    if (!change.old_hash) {
      code = via.RegistryDeleteValue(root, key, change.value_name);
      if (code == error::kFileNotFound) code = error::kSuccess;  // gone already
    } else {
      std::string bytes;
      code = store_.ReadBytes(*change.old_hash, bytes);
      const std::optional<platform::RegistryValue> value =
          IsFailure(code) ? std::nullopt : ParseValueBytes(bytes);
      if (!IsFailure(code) && !value) code = error::kDataError;
      if (!IsFailure(code)) code = via.RegistryWriteValue(root, key, change.value_name, *value);
    }
    return {Operation::kRegistryWrite, SubjectText(change), code};
  }
  if (change.kind == Change::Kind::kFolder) {
    const SystemError code = current ? via.RemoveFolder(path) : via.CreateFolder(path);
    // A folder that still holds files is no failure: they are someone's.
    return {current ? Operation::kRemoveFolder : Operation::kCreateFolder, path,
            code == error::kFolderNotEmpty ? error::kSuccess : code};
  }
  // A rewrite cut short leaves its new content beside the file.
  const std::string replacement = path + std::string(config::kReplacementSuffix);
  if (inner_.FindFirstMatch(replacement)) {
    platform::Ignore(inner_.Delete(replacement), "a leftover that is not part of the game");
  }
  known_.Learn(path, std::nullopt);
  if (!recorded) {
    if (!change.old_hash) return {Operation::kDelete, path, inner_.Delete(path)};
    // Moved back out of the store when only this change of this run needs it:
    // no copy, so no room is needed, even on a full disk.
    const auto moved = moved_in_.find(*change.old_hash);
    const bool take = moved != moved_in_.end() && moved->second == 1 &&
                      !stored_before_.count(*change.old_hash);
    Result placed = store_.PlaceAt(inner_, *change.old_hash, path, take);
    if (placed.ok() && take) moved_in_.erase(moved);
    return placed;
  }
  // What is there now is kept (moved into the store) before the old content
  // takes its place, so the restore can be undone in turn. A link stays: the
  // old content replaces what it points to, and what is there is kept as a copy.
  const bool link = inner_.FinalPath(path) != path;
  if (current && (!change.old_hash || !link)) {
    if (const SystemError code = Delete(path); IsFailure(code)) {
      return {Operation::kDelete, path, code};
    }
  }
  if (!change.old_hash) return {};
  return store_.PlaceAt(*this, *change.old_hash, path, false);
}

}  // namespace veyra::backups
