#include "backups/store.h"

#include <algorithm>

#include "backups/content_hash.h"
#include "backups/sets.h"
#include "config/durable_file.h"
#include "config/text_file.h"

namespace veyra::backups {
namespace {

using platform::Operation;
using platform::Result;
using platform::SystemError;
namespace error = platform::error;

// The piece files are read and copied in: large enough that a content set
// moves at disk speed, small enough that no file's size shows in memory.
constexpr std::size_t kPiece = 1 << 20;

// Reads the whole file in pieces, handing each to `take`.
SystemError ReadInPieces(platform::OpenFile& file,
                         const std::function<SystemError(std::string_view)>& take) {
  std::string buffer(kPiece, '\0');
  for (std::uint64_t offset = 0;;) {
    std::size_t read = 0;
    if (const SystemError code = file.ReadAt(offset, buffer.data(), buffer.size(), read);
        code != error::kSuccess) {
      return code;
    }
    if (read == 0) return error::kSuccess;
    if (const SystemError code = take(std::string_view(buffer.data(), read));
        code != error::kSuccess) {
      return code;
    }
    offset += read;
  }
}

std::unique_ptr<platform::OpenFile> OpenToRead(platform::Os& os, const std::string& path,
                                               SystemError& code) {
  if (!os.FindFirstMatch(path)) {
    code = error::kFileNotFound;
    return nullptr;
  }
  return os.Open(path, platform::FileAccess::kReadOnly, code);
}

}  // namespace

SystemError HashFile(platform::Os& os, const std::string& path, std::optional<std::string>& hash) {
  hash.reset();
  const std::optional<platform::FileStamp> stamp = os.Stamp(path);
  if (!stamp) return error::kSuccess;
  if (stamp->folder) return error::kAccessDenied;  // as opening it would be
  SystemError code = error::kSuccess;
  const std::unique_ptr<platform::OpenFile> file =
      os.Open(path, platform::FileAccess::kReadOnly, code);
  if (!file) return code;
  ContentHasher hasher;
  code = ReadInPieces(*file, [&](std::string_view piece) {
    hasher.Add(piece);
    return error::kSuccess;
  });
  if (code == error::kSuccess) hash = hasher.Finish();
  return code;
}

std::string ValueBytes(const platform::RegistryValue& value) {
  return platform::DwordValue(value.type).data + value.data;
}

std::optional<platform::RegistryValue> ParseValueBytes(const std::string& bytes) {
  if (bytes.size() < 4) return std::nullopt;
  std::uint32_t type = 0;
  for (int i = 3; i >= 0; --i)
    type = type << 8 | static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]);
  return platform::RegistryValue{type, bytes.substr(4)};
}

Result CopyHashing(platform::Os& os, const std::string& from, const std::string& to,
                   std::string& hash) {
  SystemError code = error::kSuccess;
  const std::unique_ptr<platform::OpenFile> source = OpenToRead(os, from, code);
  if (!source) return {Operation::kOpen, from, code};
  return config::WriteDurably(os, to, [&](platform::OpenFile& copy) -> Result {
    if (const SystemError cut = copy.Truncate(0); cut != error::kSuccess) {
      return {Operation::kTruncate, to, cut};
    }
    ContentHasher hasher;
    SystemError written = error::kSuccess;
    const SystemError read = ReadInPieces(*source, [&](std::string_view piece) {
      hasher.Add(piece);
      written = copy.Append(piece);
      return written;
    });
    if (written != error::kSuccess) return {Operation::kWrite, to, written};
    if (read != error::kSuccess) return {Operation::kRead, from, read};
    hash = hasher.Finish();
    return {};
  });
}

Store::Store(platform::Os& os, std::string game_folder)
    : os_(os), game_folder_(std::move(game_folder)) {}

std::string Store::PathOf(const std::string& hash) const {
  return StoreFolder(game_folder_) + "\\" + hash;
}

SystemError Store::MakeFolders() {
  for (const std::string& folder :
       {BackupsFolder(game_folder_), StoreFolder(game_folder_), SetsFolder(game_folder_)}) {
    const SystemError code = os_.CreateFolder(folder);
    if (code != error::kSuccess && code != error::kAlreadyExists) return code;
  }
  return error::kSuccess;
}

Result Store::KeepByMoving(const std::vector<Content>& files, std::size_t& moved) {
  std::vector<platform::Os::FileMove> moves;
  moves.reserve(files.size());
  for (const Content& file : files) moves.push_back({file.path, PathOf(file.hash)});
  return os_.MoveFilesReplacing(moves, moved);
}

Result Store::KeepCopy(const std::string& path, std::string& hash) {
  const std::string partial = StoreFolder(game_folder_) + "\\copy" + std::string(kPartialSuffix);
  if (Result copied = CopyHashing(os_, path, partial, hash); !copied.ok()) return copied;
  const Result placed(Operation::kMove, PathOf(hash), os_.MoveReplacing(partial, PathOf(hash)));
  if (!placed.ok()) platform::Ignore(os_.Delete(partial), "only tidying up after the failure");
  return placed;
}

Result Store::KeepBytes(const std::string& bytes, std::string& hash) {
  hash = ContentHash(bytes);
  return config::ReplaceDurably(os_, PathOf(hash), PathOf(hash) + std::string(kPartialSuffix),
                                config::BytesWriter(bytes));
}

SystemError Store::Verify(const std::string& hash) {
  std::optional<std::string> actual;
  if (const SystemError code = HashFile(os_, PathOf(hash), actual); code != error::kSuccess) {
    return code;
  }
  if (!actual) return error::kFileNotFound;
  return *actual == hash ? error::kSuccess : error::kDataError;
}

SystemError Store::ReadBytes(const std::string& hash, std::string& bytes) {
  SystemError code = error::kSuccess;
  const std::unique_ptr<platform::OpenFile> file = OpenToRead(os_, PathOf(hash), code);
  if (!file) return code;
  code = file->ReadAll(bytes);
  if (code == error::kSuccess && ContentHash(bytes) != hash) code = error::kDataError;
  return code;
}

Result Store::MakeFoldersOnTheWay(platform::Os& via, const std::string& destination) {
  for (std::size_t slash = destination.find('\\', game_folder_.size() + 1);
       slash != std::string::npos; slash = destination.find('\\', slash + 1)) {
    const std::string folder = destination.substr(0, slash);
    if (os_.Stamp(folder)) continue;
    if (const SystemError code = via.CreateFolder(folder); code != error::kSuccess) {
      return {Operation::kCreateFolder, folder, code};
    }
  }
  return {};
}

std::string Store::PlacingPath(const std::string& hash) const {
  return PathOf(hash) + ".placing" + std::string(kPartialSuffix);
}

Result Store::CopyOut(const std::string& hash) {
  const std::string partial = PlacingPath(hash);
  std::string copied;
  Result made = CopyHashing(os_, PathOf(hash), partial, copied);
  if (made.ok() && copied != hash) made = {Operation::kRead, PathOf(hash), error::kDataError};
  if (!made.ok()) DropCopyOut(hash);
  return made;
}

Result Store::PutInPlace(platform::Os& via, const std::string& hash,
                         const std::string& destination) {
  const std::string partial = PlacingPath(hash);
  SystemError code = via.MoveReplacing(partial, destination);
  // On another volume (a linked folder) the copy goes straight to its place.
  if (code == error::kNotSameDevice) code = via.Copy(partial, destination);
  DropCopyOut(hash);
  return {Operation::kCopy, destination, code};
}

void Store::DropCopyOut(const std::string& hash) {
  if (os_.FindFirstMatch(PlacingPath(hash))) {
    platform::Ignore(os_.Delete(PlacingPath(hash)),
                     "only tidying up; removed at the next start otherwise");
  }
}

Result Store::PlaceAt(platform::Os& via, const std::string& hash, const std::string& destination,
                      bool take) {
  // A folder removed since is made again (recorded, on a restore).
  if (Result made = MakeFoldersOnTheWay(via, destination); !made.ok()) return made;
  if (take) {
    const SystemError code = via.MoveReplacing(PathOf(hash), destination);
    if (code != error::kNotSameDevice) return {Operation::kMove, destination, code};
  }
  if (Result copied = CopyOut(hash); !copied.ok()) return copied;
  return PutInPlace(via, hash, destination);
}

void Store::Prune(const std::vector<BackupSet>& kept) {
  std::set<std::string> needed;
  for (const BackupSet& set : kept) {
    for (const Change& change : set.changes) {
      if (change.old_hash) needed.insert(*change.old_hash);
    }
  }
  std::vector<platform::DirEntry> stored;
  platform::Ignore(os_.ListDirectory(StoreFolder(game_folder_) + "\\*", stored),
                   "what was listed may go; the rest goes next time");
  for (const platform::DirEntry& entry : stored) {
    if ((entry.attributes & platform::attribute::kDirectory) != 0 ||
        !IsContentHash(entry.name) || needed.count(entry.name)) {
      continue;
    }
    platform::Ignore(os_.Delete(PathOf(entry.name)), "a content no set needs is removed next time");
  }
}

KnownHashes::KnownHashes(platform::Os& os, std::string game_folder)
    : os_(os), game_folder_(std::move(game_folder)) {}

std::string KnownHashes::Key(const std::string& path) const {
  std::string key = path;
  if (key.size() > game_folder_.size() && key.compare(0, game_folder_.size(), game_folder_) == 0 &&
      key[game_folder_.size()] == '\\') {
    key = key.substr(game_folder_.size() + 1);
  }
  std::transform(key.begin(), key.end(), key.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return key;
}

void KnownHashes::Load() {
  if (loaded_) return;
  loaded_ = true;
  std::string text;
  SystemError code = error::kSuccess;
  const std::unique_ptr<platform::OpenFile> file = OpenToRead(os_, KnownFile(game_folder_), code);
  if (!file || file->ReadAll(text) != error::kSuccess) return;
  // hash, size, time written, path: tab-separated, one file a line.
  for (const std::vector<std::string_view>& fields : TabbedLines(text)) {
    if (fields.size() != 4 || !IsContentHash(fields[0])) continue;
    const std::uint64_t size = std::strtoull(std::string(fields[1]).c_str(), nullptr, 10);
    const std::uint64_t modified = std::strtoull(std::string(fields[2]).c_str(), nullptr, 10);
    known_[std::string(fields[3])] = {{size, modified, false}, std::string(fields[0])};
  }
}

std::optional<std::string> KnownHashes::Lookup(const std::string& path,
                                               const platform::FileStamp& stamp) {
  Load();
  const auto known = known_.find(Key(path));
  if (known == known_.end() || known->second.stamp != stamp) return std::nullopt;
  return known->second.hash;
}

void KnownHashes::Learn(const std::string& path, const std::optional<std::string>& hash) {
  Load();
  const std::optional<platform::FileStamp> stamp = hash ? os_.Stamp(path) : std::nullopt;
  if (stamp && !stamp->folder) {
    known_[Key(path)] = {*stamp, *hash};
  } else {
    known_.erase(Key(path));
  }
  changed_ = true;
}

void KnownHashes::Save() {
  if (!changed_) return;
  std::string text;
  for (const auto& [key, known] : known_) {
    text += known.hash + "\t" + std::to_string(known.stamp.size) + "\t" +
            std::to_string(known.stamp.modified) + "\t" + key + "\r\n";
  }
  const std::string path = KnownFile(game_folder_);
  platform::Ignore(config::ReplaceDurably(os_, path, path + std::string(kPartialSuffix),
                                          config::BytesWriter(text)),
                   "the list only spares reading files again");
  changed_ = false;
}

}  // namespace veyra::backups
