#include "install/journal.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <tuple>

#include "config/file_errors.h"
#include "config/text_file.h"
#include "install/content_hash.h"
#include "model/game_paths.h"

namespace veyra::install {
namespace {

using platform::Operation;
using platform::Result;
using platform::SystemError;
namespace error = platform::error;

// The log keeps its newer half once it passes this size.
constexpr std::size_t kLogLimit = 1 << 20;

bool IsFailure(SystemError code) { return code != error::kSuccess; }

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(text[i]) != lower(prefix[i])) return false;
  }
  return true;
}

// A registry value as the store keeps it: its type in four bytes, then its data.
std::string ValueBytes(const platform::RegistryValue& value) {
  std::string bytes = platform::DwordValue(value.type).data;
  return bytes + value.data;
}

std::optional<platform::RegistryValue> ParseValueBytes(const std::string& bytes) {
  if (bytes.size() < 4) return std::nullopt;
  std::uint32_t type = 0;
  for (int i = 3; i >= 0; --i)
    type = type << 8 | static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]);
  return platform::RegistryValue{type, bytes.substr(4)};
}

std::string RootName(std::uint32_t root) {
  if (root == platform::hkey::kCurrentUser) return "HKCU";
  char text[16];
  std::snprintf(text, sizeof text, "0x%08x", root);
  return text;
}

std::uint32_t RootOf(const std::string& subject) {
  if (StartsWithNoCase(subject, "HKCU\\")) return platform::hkey::kCurrentUser;
  return static_cast<std::uint32_t>(std::strtoul(subject.c_str(), nullptr, 16));
}

std::string KeyOf(const std::string& subject) {
  const std::size_t slash = subject.find('\\');
  return slash == std::string::npos ? std::string() : subject.substr(slash + 1);
}

std::string Describe(const Change& change) {
  return change.kind == Change::Kind::kValue ? change.subject + " " + change.value_name
                                             : change.subject;
}

std::string FailureLine(const Result& failure) {
  return "  failed " + failure.Describe() + " (" +
         config::ErrorLine(config::FileErrorFor(failure.code())) + ")\r\n";
}

// The whole file; opening would create a missing one, so that is asked first.
platform::SystemError ReadWhole(platform::Os& os, const std::string& path, std::string& bytes) {
  if (!os.FindFirstMatch(path)) return error::kFileNotFound;
  SystemError code = error::kSuccess;
  const std::unique_ptr<platform::OpenFile> file =
      os.Open(path, platform::FileAccess::kReadOnly, code);
  if (!file) return code;
  return file->ReadAll(bytes);
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

Journal::Journal(platform::Os& os, std::string game_folder, std::string action)
    : ForwardingOs(os), game_folder_(std::move(game_folder)), action_(std::move(action)) {}

// A set left without Finish (the program was ended) stays incomplete on disk.
Journal::~Journal() = default;

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

std::string Journal::KnownKey(const std::string& path) const {
  std::string key = Relative(path);
  std::transform(key.begin(), key.end(), key.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return key;
}

SystemError Journal::HashOfFile(const std::string& path, std::optional<std::string>& hash) {
  hash.reset();
  const std::optional<platform::FileStamp> stamp = inner_.Stamp(path);
  if (!stamp) return error::kSuccess;
  if (stamp->folder) return error::kAccessDenied;  // as opening it would be
  LoadKnown();
  const std::string key = KnownKey(path);
  if (const auto known = known_.find(key); known != known_.end() && known->second.stamp == *stamp) {
    hash = known->second.hash;
    return error::kSuccess;
  }
  if (const SystemError code = ReadWhole(inner_, path, read_buffer_); IsFailure(code)) return code;
  hash = ContentHash(read_buffer_);
  known_[key] = {*stamp, *hash};
  known_changed_ = true;
  return error::kSuccess;
}

void Journal::Learn(const std::string& path, const std::optional<std::string>& hash) {
  LoadKnown();
  const std::optional<platform::FileStamp> stamp = hash ? inner_.Stamp(path) : std::nullopt;
  if (stamp && !stamp->folder) {
    known_[KnownKey(path)] = {*stamp, *hash};
  } else {
    known_.erase(KnownKey(path));
  }
  known_changed_ = true;
}

void Journal::LoadKnown() {
  if (known_loaded_) return;
  known_loaded_ = true;
  std::string text;
  if (IsFailure(ReadWhole(inner_, KnownFile(game_folder_), text))) return;
  // hash, size, time written, path: tab-separated, one file a line.
  for (const std::vector<std::string_view>& fields : TabbedLines(text)) {
    if (fields.size() != 4 || fields[0].size() != 32) continue;
    const std::uint64_t size = std::strtoull(std::string(fields[1]).c_str(), nullptr, 10);
    const std::uint64_t modified = std::strtoull(std::string(fields[2]).c_str(), nullptr, 10);
    known_[std::string(fields[3])] = {{size, modified, false}, std::string(fields[0])};
  }
}

void Journal::SaveKnown() {
  if (!known_changed_) return;
  std::string text;
  for (const auto& [key, known] : known_) {
    text += known.hash + "\t" + std::to_string(known.stamp.size) + "\t" +
            std::to_string(known.stamp.modified) + "\t" + key + "\r\n";
  }
  // Whole or not at all: a torn list would name wrong contents.
  const std::string path = KnownFile(game_folder_);
  const std::string partial = path + ".partial";
  SystemError code = error::kSuccess;
  {
    std::unique_ptr<platform::OpenFile> file =
        inner_.Open(partial, platform::FileAccess::kReadWrite, code);
    if (!file) return;
    std::size_t written = 0;
    code = file->WriteFromStart(text, written);
    if (!IsFailure(code)) code = file->Truncate(text.size());
  }
  if (!IsFailure(code)) code = inner_.MoveReplacing(partial, path);
  if (IsFailure(code)) platform::Ignore(inner_.Delete(partial), "the list is only a shortcut");
}

SystemError Journal::HashesOf(const std::string& from, const std::string& to,
                              std::optional<std::string>& new_hash,
                              std::optional<std::string>& old_hash) {
  old_hash.reset();
  const SystemError code = HashOfFile(from, new_hash);
  return IsFailure(code) || !new_hash ? code : HashOfFile(to, old_hash);
}

SystemError Journal::StartSet() {
  if (manifest_) return error::kSuccess;
  for (const std::string& folder :
       {BackupsFolder(game_folder_), StoreFolder(game_folder_), SetsFolder(game_folder_)}) {
    const SystemError code = inner_.CreateFolder(folder);
    if (IsFailure(code) && code != error::kAlreadyExists) return code;
  }
  const platform::LocalTime now = inner_.Now();
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d%02d", now.year, now.month, now.day,
                now.hour, now.minute, now.second);
  std::string name;
  for (int number = 1; number <= 99; ++number) {
    char candidate[48];
    std::snprintf(candidate, sizeof candidate, "%s-%02d", stamp, number);
    name = candidate;
    if (!inner_.FindFirstMatch(SetsFolder(game_folder_) + "\\" + name + ".txt")) break;
  }
  SystemError code = error::kSuccess;
  std::unique_ptr<platform::OpenFile> manifest = inner_.Open(
      SetsFolder(game_folder_) + "\\" + name + ".txt", platform::FileAccess::kReadWrite, code);
  if (!manifest) return code;
  code = manifest->Append(ManifestHeader(action_, now));
  if (!IsFailure(code)) code = manifest->Flush();
  if (IsFailure(code)) return code;
  manifest_ = std::move(manifest);
  set_name_ = name;
  return error::kSuccess;
}

SystemError Journal::Record(const Change& change) {
  SystemError code = StartSet();
  if (!IsFailure(code)) code = manifest_->Append(ManifestLine(change));
  // On the disk before the change is made: an interrupted run can be undone.
  if (!IsFailure(code)) code = manifest_->Flush();
  if (!IsFailure(code)) changes_.push_back(change);
  return code;
}

SystemError Journal::KeepFile(const std::string& path, const std::string& hash, bool move) {
  const std::string kept = StoreFolder(game_folder_) + "\\" + hash;
  if (inner_.FindFirstMatch(kept)) return error::kSuccess;
  if (const SystemError code = StartSet(); IsFailure(code)) return code;
  // A link is not moved: the store would keep the link, not its content.
  if (move && inner_.FinalPath(path) == path) {
    const SystemError code = inner_.MoveReplacing(path, kept);
    if (!IsFailure(code)) Learn(path, std::nullopt);
    if (code != error::kNotSameDevice) return code;
  }
  // Copied under a passing name first, so the store never holds part of a
  // content under its hash.
  const std::string partial = kept + ".partial";
  SystemError code = inner_.Copy(path, partial);
  if (!IsFailure(code)) code = inner_.MoveReplacing(partial, kept);
  if (IsFailure(code))
    platform::Ignore(inner_.Delete(partial), "only tidying up after the failure");
  return code;
}

SystemError Journal::KeepBytes(const std::string& hash, const std::string& bytes) {
  const std::string kept = StoreFolder(game_folder_) + "\\" + hash;
  if (inner_.FindFirstMatch(kept)) return error::kSuccess;
  if (const SystemError code = StartSet(); IsFailure(code)) return code;
  const std::string partial = kept + ".partial";
  SystemError code = error::kSuccess;
  {
    std::unique_ptr<platform::OpenFile> file =
        inner_.Open(partial, platform::FileAccess::kReadWrite, code);
    if (!file) return code;
    std::size_t written = 0;
    code = file->WriteFromStart(bytes, written);
    if (!IsFailure(code)) code = file->Truncate(bytes.size());
    if (!IsFailure(code)) code = file->Flush();
  }
  if (!IsFailure(code)) code = inner_.MoveReplacing(partial, kept);
  if (IsFailure(code))
    platform::Ignore(inner_.Delete(partial), "only tidying up after the failure");
  return code;
}

std::unique_ptr<platform::OpenFile> Journal::Open(const std::string& path,
                                                  platform::FileAccess access, SystemError& error) {
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
  if (!IsOwn(path) && access == platform::FileAccess::kReadWrite) Learn(path, std::nullopt);
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
  // A file is dealt with once it is copied, or found to hold the same bytes already.
  std::size_t done = 0;
  const auto dealt_with = [&] {
    if (progress) progress(++done);
  };
  for (const FileCopy& copy : copies) {
    if (IsOwn(copy.to)) return ForwardingOs::CopyFiles(copies, progress);
    std::optional<std::string> new_hash, old_hash;
    if (const SystemError code = HashesOf(copy.from, copy.to, new_hash, old_hash);
        IsFailure(code)) {
      NoteFailure({Operation::kCopy, copy.to, code});
      return {Operation::kCopy, copy.to, code};
    }
    if (new_hash && old_hash == new_hash) {  // the same bytes are there
      dealt_with();
      continue;
    }
    if (new_hash) {
      recorded.push_back({Change::Kind::kFile, Relative(copy.to), "", old_hash, new_hash});
      lines += ManifestLine(recorded.back());
    }
    planned.push_back({&copy, new_hash ? old_hash : std::nullopt, new_hash});
  }
  if (!recorded.empty()) {
    SystemError code = StartSet();
    if (!IsFailure(code)) code = manifest_->Append(lines);
    if (!IsFailure(code)) code = manifest_->Flush();
    if (IsFailure(code)) {
      NoteFailure({Operation::kCopy, planned.front().copy->to, code});
      return {Operation::kCopy, planned.front().copy->to, code};
    }
    changes_.insert(changes_.end(), recorded.begin(), recorded.end());
  }
  for (const Planned& plan : planned) {
    SystemError code = error::kSuccess;
    if (plan.old_hash) code = KeepFile(plan.copy->to, *plan.old_hash, true);
    if (!IsFailure(code)) code = inner_.Copy(plan.copy->from, plan.copy->to);
    Learn(plan.copy->to, IsFailure(code) ? std::nullopt : plan.new_hash);
    if (IsFailure(code)) {
      NoteFailure({Operation::kCopy, plan.copy->to, code});
      return {Operation::kCopy, plan.copy->to, code};
    }
    dealt_with();
  }
  return {};
}

SystemError Journal::MoveReplacing(const std::string& from, const std::string& to) {
  if (IsOwn(to)) return inner_.MoveReplacing(from, to);
  std::optional<std::string> new_hash, old_hash;
  SystemError code = HashesOf(from, to, new_hash, old_hash);
  if (!IsFailure(code) && new_hash) {
    if (old_hash == new_hash) {
      platform::Ignore(inner_.Delete(from),
                       "the same bytes are in place; the new copy is not needed");
      return error::kSuccess;
    }
    // Copied, not moved: until the move replaces it, the file keeps its content.
    if (old_hash) code = KeepFile(to, *old_hash, false);
    if (!IsFailure(code))
      code = Record({Change::Kind::kFile, Relative(to), "", old_hash, new_hash});
  }
  if (!IsFailure(code)) code = inner_.MoveReplacing(from, to);
  Learn(to, IsFailure(code) ? std::nullopt : new_hash);
  if (IsFailure(code)) NoteFailure({Operation::kMove, to, code});
  return code;
}

SystemError Journal::Delete(const std::string& path) {
  if (IsOwn(path)) return inner_.Delete(path);
  std::optional<std::string> old_hash;
  SystemError code = HashOfFile(path, old_hash);
  if (!IsFailure(code) && !old_hash) return inner_.Delete(path);  // nothing there to delete
  if (!IsFailure(code))
    code = Record({Change::Kind::kFile, Relative(path), "", old_hash, std::nullopt});
  // Moved into the store, the file is deleted and kept in one step.
  if (!IsFailure(code)) code = KeepFile(path, *old_hash, true);
  if (!IsFailure(code) && inner_.FindFirstMatch(path)) code = inner_.Delete(path);
  Learn(path, std::nullopt);
  if (IsFailure(code)) NoteFailure({Operation::kDelete, path, code});
  return code;
}

SystemError Journal::CreateFolder(const std::string& path) {
  if (IsOwn(path) || inner_.Stamp(path)) return inner_.CreateFolder(path);
  SystemError code =
      Record({Change::Kind::kFolder, Relative(path), "", std::nullopt, kFolderPresent});
  if (!IsFailure(code)) code = inner_.CreateFolder(path);
  if (IsFailure(code)) NoteFailure({Operation::kCreateFolder, path, code});
  return code;
}

SystemError Journal::RemoveFolder(const std::string& path) {
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
  SystemError code = error::kSuccess;
  if (old) {
    old_hash = ContentHash(ValueBytes(*old));
    code = KeepBytes(*old_hash, ValueBytes(*old));
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

void Journal::BeginStep() { step_start_ = changes_.size(); }

Result Journal::RollbackStep(const Result& failure) {
  NoteFailure(failure);
  Result first;
  for (std::size_t n = changes_.size(); n-- > step_start_;) {
    const Result put_back = PutBack(inner_, changes_[n]);
    if (put_back.ok()) continue;
    NoteFailure(put_back);
    if (first.ok()) first = put_back;
  }
  step_start_ = changes_.size();
  return first;
}

Result Journal::PutBack(platform::Os& via, const Change& change) {
  if (change.kind == Change::Kind::kValue) {
    const std::uint32_t root = RootOf(change.subject);
    const std::string key = KeyOf(change.subject);
    SystemError code = error::kSuccess;
    if (!change.old_hash) {
      code = via.RegistryDeleteValue(root, key, change.value_name);
      if (code == error::kFileNotFound) code = error::kSuccess;  // gone already
    } else {
      std::string bytes;
      code = ReadWhole(inner_, StoreFolder(game_folder_) + "\\" + *change.old_hash, bytes);
      const std::optional<platform::RegistryValue> value =
          IsFailure(code) ? std::nullopt : ParseValueBytes(bytes);
      if (!IsFailure(code) && !value) code = error::kReadFault;
      if (!IsFailure(code)) code = via.RegistryWriteValue(root, key, change.value_name, *value);
    }
    return {Operation::kRegistryWrite, Describe(change), code};
  }

  const std::string path = game_folder_ + "\\" + change.subject;
  if (change.kind == Change::Kind::kFolder) {
    const bool there = inner_.Stamp(path).has_value();
    if (change.old_hash.has_value() == there) return {};
    const SystemError code = there ? via.RemoveFolder(path) : via.CreateFolder(path);
    // A folder that still holds files is no failure: they are someone's.
    return {there ? Operation::kRemoveFolder : Operation::kCreateFolder, path,
            code == error::kFolderNotEmpty ? error::kSuccess : code};
  }

  // A rewrite cut short leaves its new content beside the file.
  const std::string replacement = path + std::string(config::kReplacementSuffix);
  if (inner_.FindFirstMatch(replacement)) {
    platform::Ignore(inner_.Delete(replacement), "a leftover that is not part of the game");
  }
  std::optional<std::string> current;
  if (const SystemError code = HashOfFile(path, current); IsFailure(code)) {
    return {Operation::kRead, path, code};
  }
  if (current == change.old_hash) return {};
  Learn(path, std::nullopt);
  if (!change.old_hash) return {Operation::kDelete, path, via.Delete(path)};
  const std::string kept = StoreFolder(game_folder_) + "\\" + *change.old_hash;
  if (!inner_.FindFirstMatch(kept)) return {Operation::kCopy, path, error::kFileNotFound};
  // A folder removed since is made again (recorded, on a restore).
  for (std::size_t slash = path.find('\\', game_folder_.size() + 1); slash != std::string::npos;
       slash = path.find('\\', slash + 1)) {
    const std::string folder = path.substr(0, slash);
    if (inner_.Stamp(folder)) continue;
    if (const SystemError code = via.CreateFolder(folder); IsFailure(code)) {
      return {Operation::kCreateFolder, folder, code};
    }
  }
  return {Operation::kCopy, path, via.Copy(kept, path)};
}

void Journal::NoteFailure(const Result& failure) {
  if (!failure.ok()) failures_.push_back(failure);
}

void Journal::Finish() {
  if (finished_) return;
  finished_ = true;
  const platform::LocalTime now = inner_.Now();
  std::string lines = TimeText(now) + "  " + action_;
  if (manifest_) {
    const SystemError code = manifest_->Append(ManifestCompleteLine(now));
    NoteFailure({Operation::kWrite, SetsFolder(game_folder_) + "\\" + set_name_ + ".txt",
                 IsFailure(code) ? code : manifest_->Flush()});
    manifest_.reset();
    lines += " (backup set " + set_name_ + ")";
  } else {
    lines += ": nothing changed";
  }
  lines += "\r\n";
  for (const Change& change : changes_) lines += "  changed " + Describe(change) + "\r\n";
  for (const Result& failure : failures_) lines += FailureLine(failure);
  for (const std::string& message : shown_) lines += "  shown: " + message + "\r\n";
  Log(lines);
  SaveKnown();

  // The newest sets stay, with every content they may have to put back.
  if (set_name_.empty()) return;
  std::vector<std::string> sets;
  // Sets missing from the list would have their contents removed.
  if (IsFailure(ListSets(inner_, game_folder_, sets))) return;
  std::set<std::string> needed;
  for (std::size_t n = 0; n < sets.size(); ++n) {
    const std::string manifest = SetsFolder(game_folder_) + "\\" + sets[n] + ".txt";
    if (n + kKeptSets < sets.size()) {
      platform::Ignore(inner_.Delete(manifest), "an old set left behind is removed next time");
      continue;
    }
    const std::optional<BackupSet> set = ReadSet(inner_, game_folder_, sets[n]);
    // What a set that cannot be read needs is unknown: nothing is removed then.
    if (!set) return;
    for (const Change& change : set->changes) {
      if (change.old_hash) needed.insert(*change.old_hash);
    }
  }
  std::vector<platform::DirEntry> stored;
  platform::Ignore(inner_.ListDirectory(StoreFolder(game_folder_) + "\\*", stored),
                   "what was listed may go; the rest goes next time");
  for (const platform::DirEntry& entry : stored) {
    if ((entry.attributes & platform::attribute::kDirectory) != 0 || needed.count(entry.name))
      continue;
    platform::Ignore(inner_.Delete(StoreFolder(game_folder_) + "\\" + entry.name),
                     "a content no set needs is removed next time");
  }
}

void Journal::Log(const std::string& lines) {
  platform::Ignore(inner_.CreateFolder(BackupsFolder(game_folder_)),
                   "it exists already, or the open below fails");
  SystemError code = error::kSuccess;
  std::unique_ptr<platform::OpenFile> log =
      inner_.Open(LogFile(game_folder_), platform::FileAccess::kReadWrite, code);
  if (!log) return;  // the changes are recorded in the sets all the same
  if (IsFailure(log->Append(lines))) return;
  std::string text;
  if (IsFailure(log->ReadAll(text)) || text.size() <= kLogLimit) return;
  // The older half goes, from a line's start on.
  const std::size_t cut = text.find("\r\n", text.size() / 2);
  const std::string kept = cut == std::string::npos ? std::string() : text.substr(cut + 2);
  std::size_t written = 0;
  if (!IsFailure(log->WriteFromStart(kept, written))) {
    platform::Ignore(log->Truncate(kept.size()), "a log that stays long is no harm");
  }
}

void RemoveLeftovers(platform::Os& os, const std::string& game_folder) {
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
  std::vector<platform::DirEntry> partial;
  platform::Ignore(os.ListDirectory(StoreFolder(game_folder) + "\\*.partial", partial),
                   "a leftover not listed is tried again at the next start");
  for (const platform::DirEntry& entry : partial) {
    platform::Ignore(os.Delete(StoreFolder(game_folder) + "\\" + entry.name),
                     "tried again at the next start");
  }
  const std::string known = KnownFile(game_folder) + ".partial";
  if (os.FindFirstMatch(known)) platform::Ignore(os.Delete(known), "tried again at the next start");
}

// ------------------------------------------------------------ the sets on disk

SystemError ListSets(platform::Os& os, const std::string& game_folder,
                     std::vector<std::string>& names) {
  names.clear();
  std::vector<platform::DirEntry> entries;
  const SystemError code = os.ListDirectory(SetsFolder(game_folder) + "\\*.txt", entries);
  for (const platform::DirEntry& entry : entries) {
    if ((entry.attributes & platform::attribute::kDirectory) != 0) continue;
    if (entry.name.size() > 4) names.push_back(entry.name.substr(0, entry.name.size() - 4));
  }
  std::sort(names.begin(), names.end());
  return code;
}

std::optional<BackupSet> ReadSet(platform::Os& os, const std::string& game_folder,
                                 const std::string& name) {
  std::string text;
  if (IsFailure(ReadWhole(os, SetsFolder(game_folder) + "\\" + name + ".txt", text))) {
    return std::nullopt;
  }
  return ParseManifest(name, text);
}

Result MarkComplete(platform::Os& os, const std::string& game_folder, const std::string& name) {
  const std::string path = SetsFolder(game_folder) + "\\" + name + ".txt";
  SystemError code = error::kSuccess;
  const std::unique_ptr<platform::OpenFile> file =
      os.Open(path, platform::FileAccess::kReadWrite, code);
  if (!file) return {Operation::kOpen, path, code};
  code = file->Append(ManifestCompleteLine(os.Now()));
  if (!IsFailure(code)) code = file->Flush();
  return {Operation::kWrite, path, code};
}

RestoreOutcome RestoreSets(platform::Os& os, const std::string& game_folder,
                           const std::vector<BackupSet>& newest_first, const std::string& action) {
  // Each file and value goes back to its content before the oldest set: the
  // old content of its earliest change.
  std::vector<const Change*> targets;
  std::map<std::tuple<Change::Kind, std::string, std::string>, std::size_t> index;
  for (const BackupSet& set : newest_first) {
    for (auto change = set.changes.rbegin(); change != set.changes.rend(); ++change) {
      const auto key = std::make_tuple(change->kind, change->subject, change->value_name);
      const auto [found, added] = index.try_emplace(key, targets.size());
      if (added) {
        targets.push_back(&*change);
      } else {
        targets[found->second] = &*change;
      }
    }
  }

  RestoreOutcome outcome;
  Journal journal(os, game_folder, action);
  for (const Change* target : targets) {
    const std::size_t recorded = journal.changes().size();
    // Through the journal itself: what the restore changes is recorded in turn.
    const Result result = journal.PutBack(journal, *target);
    if (!result.ok()) {
      outcome.failures.push_back(result);
    } else if (journal.changes().size() > recorded && target->kind == Change::Kind::kFile) {
      ++outcome.files;
    } else if (journal.changes().size() > recorded && target->kind == Change::Kind::kValue) {
      ++outcome.values;
    }
  }
  for (const Result& failure : outcome.failures) journal.NoteFailure(failure);
  journal.Finish();
  return outcome;
}

}  // namespace veyra::install
