#include "backups/journal.h"

#include <algorithm>
#include <cstdio>

#include "backups/confinement.h"
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

std::string RootName(std::uint32_t root) {
  if (root == platform::hkey::kCurrentUser) return "HKCU";
  char text[16];
  std::snprintf(text, sizeof text, "0x%08x", root);
  return text;
}

}  // namespace

Journal::Journal(platform::Os& os, std::string game_folder, std::string action,
                 std::vector<std::uint64_t> undoes, const platform::Os::FolderLock* held)
    : ForwardingOs(os),
      game_folder_(std::move(game_folder)),
      action_(std::move(action)),
      undoes_(std::move(undoes)),
      held_(held),
      store_(os, game_folder_),
      known_(os, game_folder_) {}

Journal::Journal(platform::Os& os, std::string game_folder, const BackupSet& resumed,
                 const platform::Os::FolderLock& held)
    : Journal(os, std::move(game_folder), resumed.action, resumed.undoes, &held) {
  SystemError code = error::kSuccess;
  manifest_ = inner_.Open(SetFile(game_folder_, resumed.name), platform::FileAccess::kReadWrite,
                          code);
  if (!manifest_) {
    NoteFailure({Operation::kOpen, SetFile(game_folder_, resumed.name), code});
    return;
  }
  set_name_ = resumed.name;
  sequence_ = resumed.sequence;
  changes_ = resumed.changes;
  step_start_ = changes_.size();
}

// A set left without Finish (the program was ended) stays incomplete on disk.
Journal::~Journal() = default;

SystemError Journal::TakeLock() {
  if (held_ || own_lock_) return error::kSuccess;
  SystemError code = error::kSuccess;
  own_lock_ = LockGameFolder(inner_, game_folder_, code);
  return own_lock_ ? error::kSuccess : (IsFailure(code) ? code : error::kLockViolation);
}

bool Journal::IsOwn(const std::string& path) const {
  const std::string backups = BackupsFolder(game_folder_);
  const bool in_backups = StartsWithNoCase(path, backups) &&
                          (path.size() == backups.size() || path[backups.size()] == '\\');
  const std::string_view suffix = config::kReplacementSuffix;
  const bool replacement = path.size() > suffix.size() &&
                           path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0;
  return in_backups || replacement;
}

std::string Journal::Relative(const std::string& path) const {
  if (StartsWithNoCase(path, game_folder_ + "\\")) return path.substr(game_folder_.size() + 1);
  return path;
}

bool Journal::Confined(const std::string& path) {
  if (!StartsWithNoCase(path, game_folder_ + "\\")) return false;
  // A file that is there may be a link itself; a missing one goes where its folder is.
  if (inner_.Stamp(path)) return StaysInGameFolder(inner_, game_folder_, path);
  const std::string folder = path.substr(0, path.rfind('\\'));
  const auto [known, added] = confined_folders_.try_emplace(folder, false);
  if (added) known->second = StaysInGameFolder(inner_, game_folder_, folder);
  return known->second;
}

SystemError Journal::Refuse(Operation operation, const std::string& path) {
  NoteFailure({operation, path, error::kAccessDenied});
  return error::kAccessDenied;
}

SystemError Journal::HashUnchanged(const std::string& path, std::optional<std::string>& hash) {
  hash.reset();
  const std::optional<platform::FileStamp> stamp = inner_.Stamp(path);
  if (!stamp) return error::kSuccess;
  if (stamp->folder) return error::kAccessDenied;  // as opening it would be
  if ((hash = known_.Lookup(path, *stamp))) return error::kSuccess;
  const SystemError code = HashFile(inner_, path, hash);
  if (!IsFailure(code)) known_.Learn(path, hash);
  return code;
}

SystemError Journal::StartSet() {
  if (manifest_) return error::kSuccess;
  if (const SystemError code = TakeLock(); IsFailure(code)) return code;
  if (const SystemError code = store_.MakeFolders(); IsFailure(code)) return code;
  std::vector<BackupSet> sets;
  // Past every set's number, an unreadable one's included (its name tells).
  platform::Ignore(ListSets(inner_, game_folder_, sets),
                   "the sets that could not be read are listed all the same");
  sequence_ = NextSequence(sets);
  const platform::LocalTime now = inner_.Now();
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%06llu-%04d%02d%02d-%02d%02d%02d",
                static_cast<unsigned long long>(sequence_), now.year, now.month, now.day,
                now.hour, now.minute, now.second);
  std::string name = stamp;
  for (int number = 2; inner_.FindFirstMatch(SetFile(game_folder_, name)); ++number) {
    name = std::string(stamp) + "-" + std::to_string(number);
  }
  std::string header = ManifestHeader(action_, now, sequence_, undoes_);
  if (const Result made = CreateSet(inner_, game_folder_, name, header); !made.ok()) {
    return made.code();
  }
  header_ = std::move(header);
  SystemError code = error::kSuccess;
  manifest_ = inner_.Open(SetFile(game_folder_, name), platform::FileAccess::kReadWrite, code);
  if (!manifest_) return code;
  set_name_ = name;
  return error::kSuccess;
}

SystemError Journal::AppendLines(const std::string& lines) {
  SystemError code = StartSet();
  if (!IsFailure(code)) code = manifest_->Append(lines);
  // On the disk before the change is made: an interrupted run can be undone.
  if (!IsFailure(code)) code = manifest_->Flush();
  return code;
}

SystemError Journal::Record(const Change& change) {
  const SystemError code = AppendLines(ManifestLine(change));
  if (!IsFailure(code)) changes_.push_back(change);
  return code;
}

SystemError Journal::KeepByMoving(const std::string& path, const std::string& hash) {
  std::size_t failed_at = 0;
  return KeepEachByMoving({{path, hash}}, failed_at);
}

SystemError Journal::KeepEachByMoving(const std::vector<Store::Content>& files,
                                      std::size_t& failed_at) {
  std::vector<Store::Content> moving;
  std::vector<std::size_t> moving_index;  // in `files`
  for (std::size_t i = 0; i < files.size(); ++i) {
    const Store::Content& file = files[i];
    if (inner_.FindFirstMatch(store_.PathOf(file.hash)) && !moved_in_.count(file.hash)) {
      stored_before_.insert(file.hash);
    }
    // A link is not moved: the store would keep the link, not its content.
    if (inner_.FinalPath(file.path) == file.path) {
      moving.push_back(file);
      moving_index.push_back(i);
    } else if (const SystemError code = KeepByCopying(file.path, file.hash); IsFailure(code)) {
      failed_at = i;
      return code;
    }
  }
  while (!moving.empty()) {
    std::size_t moved = 0;
    const Result result = store_.KeepByMoving(moving, moved);
    for (std::size_t i = 0; i < moved; ++i) {
      ++moved_in_[moving[i].hash];
      known_.Learn(moving[i].path, std::nullopt);
    }
    if (result.ok()) break;
    failed_at = moving_index[moved];
    if (result.code() != error::kNotSameDevice) return result.code();
    // On another volume than the store: it cannot be moved there.
    if (const SystemError code = KeepByCopying(moving[moved].path, moving[moved].hash);
        IsFailure(code)) {
      return code;
    }
    moving.erase(moving.begin(), moving.begin() + static_cast<std::ptrdiff_t>(moved + 1));
    moving_index.erase(moving_index.begin(),
                       moving_index.begin() + static_cast<std::ptrdiff_t>(moved + 1));
  }
  return error::kSuccess;
}

SystemError Journal::KeepByCopying(const std::string& path, const std::string& hash) {
  std::string copied;
  const Result kept = store_.KeepCopy(path, copied);
  if (kept.ok() && copied != hash) return error::kDataError;  // it changed meanwhile
  return kept.code();
}

std::unique_ptr<platform::OpenFile> Journal::Open(const std::string& path,
                                                  platform::FileAccess access, SystemError& error) {
  const bool write = access == platform::FileAccess::kReadWrite;
  if (write && !Confined(path)) {
    error = Refuse(Operation::kOpen, path);
    return nullptr;
  }
  // Opening a missing file creates it, empty.
  if (!IsOwn(path) && !inner_.FindFirstMatch(path)) {
    if (const SystemError code =
            Record({Change::Kind::kFile, Relative(path), "", std::nullopt, ContentHash("")});
        IsFailure(code)) {
      error = code;
      NoteFailure({Operation::kOpen, path, code});
      return nullptr;
    }
  }
  // What is written through the handle is not known here: the file is read
  // again the next time its content matters.
  if (!IsOwn(path) && write) known_.Learn(path, std::nullopt);
  return inner_.Open(path, access, error);
}

SystemError Journal::Copy(const std::string& from, const std::string& to) {
  return CopyFiles({{from, to}}, {}).code();
}

Result Journal::CopyFiles(const std::vector<FileCopy>& copies, const CopyProgress& progress) {
  struct Planned {
    const FileCopy* copy;
    std::optional<std::string> old_hash;
    std::optional<std::string> new_hash;
  };
  std::vector<Planned> planned;
  std::string lines;
  std::vector<Change> recorded;
  std::uint64_t needed = 0;
  // A file is dealt with once it is copied, or found to hold the same bytes already.
  std::size_t done = 0;
  const auto dealt_with = [&] {
    if (progress) progress(++done);
  };
  const auto failed = [this](const std::string& path, SystemError code) -> Result {
    NoteFailure({Operation::kCopy, path, code});
    return {Operation::kCopy, path, code};
  };
  for (const FileCopy& copy : copies) {
    if (!Confined(copy.to)) return failed(copy.to, error::kAccessDenied);
    if (IsOwn(copy.to)) return ForwardingOs::CopyFiles(copies, progress);
    std::optional<std::string> new_hash, old_hash;
    if (const SystemError code = HashUnchanged(copy.from, new_hash); IsFailure(code)) {
      return failed(copy.to, code);
    }
    if (new_hash) {
      // The known list may tell that the same bytes are there; a file that is
      // about to change is read, so that its hash is that of what is kept.
      std::optional<std::string> known_old;
      if (const std::optional<platform::FileStamp> stamp = inner_.Stamp(copy.to);
          stamp && !stamp->folder) {
        known_old = known_.Lookup(copy.to, *stamp);
      }
      if (known_old != new_hash) {
        if (const SystemError code = HashFile(inner_, copy.to, old_hash); IsFailure(code)) {
          return failed(copy.to, code);
        }
      } else {
        old_hash = known_old;
      }
    }
    if (new_hash && old_hash == new_hash) {  // the same bytes are there
      known_.Learn(copy.to, old_hash);
      dealt_with();
      continue;
    }
    if (new_hash) {
      recorded.push_back({Change::Kind::kFile, Relative(copy.to), "", old_hash, new_hash});
      lines += ManifestLine(recorded.back());
      if (const std::optional<platform::FileStamp> source = inner_.Stamp(copy.from)) {
        needed += source->size;
      }
    }
    planned.push_back({&copy, old_hash, new_hash});
  }
  if (!recorded.empty()) {
    // The old contents move into the store on the same volume and take no
    // room; the new ones must fit before the first file is touched.
    std::uint64_t free = 0;
    SystemError code = inner_.FreeSpace(game_folder_, free);
    if (!IsFailure(code) && free < needed + kSpareBytes) code = error::kDiskFull;
    if (!IsFailure(code)) code = AppendLines(lines);
    if (IsFailure(code)) return failed(planned.front().copy->to, code);
    changes_.insert(changes_.end(), recorded.begin(), recorded.end());
  }
  // Every old content is kept before the first file is replaced: the moves
  // into the store reach the disk together, not one by one.
  std::vector<Store::Content> old_contents;
  for (const Planned& plan : planned) {
    if (plan.old_hash) old_contents.push_back({plan.copy->to, *plan.old_hash});
  }
  std::size_t failed_at = 0;
  if (const SystemError code = KeepEachByMoving(old_contents, failed_at); IsFailure(code)) {
    return failed(old_contents[failed_at].path, code);
  }
  for (const Planned& plan : planned) {
    const SystemError code = inner_.Copy(plan.copy->from, plan.copy->to);
    known_.Learn(plan.copy->to, IsFailure(code) ? std::nullopt : plan.new_hash);
    if (IsFailure(code)) return failed(plan.copy->to, code);
    dealt_with();
  }
  return {};
}

SystemError Journal::MoveReplacing(const std::string& from, const std::string& to) {
  if (!Confined(to) || !Confined(from)) return Refuse(Operation::kMove, to);
  if (IsOwn(to)) return inner_.MoveReplacing(from, to);
  std::optional<std::string> new_hash;
  SystemError code = HashFile(inner_, from, new_hash);
  if (!IsFailure(code) && new_hash) {
    std::optional<std::string> old_hash;
    code = HashUnchanged(to, old_hash);
    if (!IsFailure(code) && old_hash && old_hash != new_hash) {
      // Copied, not moved: until the move replaces it, the file keeps its
      // content. The copy's bytes give the hash recorded.
      std::string kept;
      code = StartSet();
      if (!IsFailure(code)) code = store_.KeepCopy(to, kept).code();
      old_hash = kept;
    }
    if (!IsFailure(code) && old_hash == new_hash) {
      platform::Ignore(inner_.Delete(from),
                       "the same bytes are in place; the new copy is not needed");
      known_.Learn(to, new_hash);
      return error::kSuccess;
    }
    if (!IsFailure(code))
      code = Record({Change::Kind::kFile, Relative(to), "", old_hash, new_hash});
  }
  if (!IsFailure(code)) code = inner_.MoveReplacing(from, to);
  known_.Learn(to, IsFailure(code) ? std::nullopt : new_hash);
  if (IsFailure(code)) NoteFailure({Operation::kMove, to, code});
  return code;
}

SystemError Journal::Delete(const std::string& path) {
  if (!Confined(path)) return Refuse(Operation::kDelete, path);
  if (IsOwn(path)) return inner_.Delete(path);
  std::optional<std::string> old_hash;
  SystemError code = HashFile(inner_, path, old_hash);
  if (!IsFailure(code) && !old_hash) return inner_.Delete(path);  // nothing there to delete
  if (!IsFailure(code))
    code = Record({Change::Kind::kFile, Relative(path), "", old_hash, std::nullopt});
  // Moved into the store, the file is deleted and kept in one step.
  if (!IsFailure(code)) code = KeepByMoving(path, *old_hash);
  if (!IsFailure(code) && inner_.FindFirstMatch(path)) code = inner_.Delete(path);
  known_.Learn(path, std::nullopt);
  if (IsFailure(code)) NoteFailure({Operation::kDelete, path, code});
  return code;
}

SystemError Journal::CreateFolder(const std::string& path) {
  if (!Confined(path)) return Refuse(Operation::kCreateFolder, path);
  if (IsOwn(path) || inner_.Stamp(path)) return inner_.CreateFolder(path);
  SystemError code =
      Record({Change::Kind::kFolder, Relative(path), "", std::nullopt, kFolderPresent});
  if (!IsFailure(code)) code = inner_.CreateFolder(path);
  if (IsFailure(code)) NoteFailure({Operation::kCreateFolder, path, code});
  return code;
}

SystemError Journal::RemoveFolder(const std::string& path) {
  if (!Confined(path)) return Refuse(Operation::kRemoveFolder, path);
  if (IsOwn(path) || !inner_.Stamp(path)) return inner_.RemoveFolder(path);
  SystemError code =
      Record({Change::Kind::kFolder, Relative(path), "", kFolderPresent, std::nullopt});
  if (!IsFailure(code)) code = inner_.RemoveFolder(path);
  return code;
}

SystemError Journal::RegistryWriteValue(std::uint32_t root, const std::string& key,
                                        const std::string& value_name,
                                        const platform::RegistryValue& value) {
  return ChangeValue(root, key, value_name, value);
}

SystemError Journal::RegistryDeleteValue(std::uint32_t root, const std::string& key,
                                         const std::string& value_name) {
  return ChangeValue(root, key, value_name, std::nullopt);
}

SystemError Journal::ChangeValue(std::uint32_t root, const std::string& key,
                                 const std::string& value_name,
                                 const std::optional<platform::RegistryValue>& value) {
  const std::optional<platform::RegistryValue> old =
      inner_.RegistryReadValue(root, key, value_name);
  if (!old && !value) return inner_.RegistryDeleteValue(root, key, value_name);  // nothing there
  if (old == value) return error::kSuccess;
  std::optional<std::string> old_hash;
  SystemError code = StartSet();
  if (!IsFailure(code) && old) {
    std::string kept;
    code = store_.KeepBytes(ValueBytes(*old), kept).code();
    old_hash = kept;
  }
  if (!IsFailure(code)) {
    code = Record({Change::Kind::kValue, RootName(root) + "\\" + key, value_name, old_hash,
                   value ? std::optional(ContentHash(ValueBytes(*value))) : std::nullopt});
  }
  if (!IsFailure(code)) {
    code = value ? inner_.RegistryWriteValue(root, key, value_name, *value)
                 : inner_.RegistryDeleteValue(root, key, value_name);
  }
  if (IsFailure(code)) {
    NoteFailure({Operation::kRegistryWrite, RootName(root) + "\\" + key + " " + value_name, code});
  }
  return code;
}

int Journal::ShowMessage(const std::string& text, const std::string& caption, std::uint32_t flags) {
  shown_.push_back(
      config::ReplaceAll(caption.empty() ? text : caption + " " + text, "\r\n", " / "));
  return inner_.ShowMessage(text, caption, flags);
}

void Journal::NoteFailure(const Result& failure) {
  if (!failure.ok()) failures_.push_back(failure);
}

}  // namespace veyra::backups
