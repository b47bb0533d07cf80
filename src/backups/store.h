// The store of old contents: "VeyraConfig backups\store\", each content once,
// named by its hash. A content gets there by moving the file itself (it was
// about to be replaced or deleted anyway: no space, no copy) or as a flushed
// copy, and always under the hash of the very bytes it holds. Before a
// content is written back it is checked against its name.
//
// Files are read and copied in pieces, so a file of any size needs the same
// small amount of memory.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "backups/backup_set.h"
#include "platform/os.h"

namespace veyra::backups {

// The hash of the file's bytes, read in pieces; nullopt when there is no file.
platform::SystemError HashFile(platform::Os& os, const std::string& path,
                               std::optional<std::string>& hash);

// A registry value as the store keeps it: its type in four bytes, then its data.
std::string ValueBytes(const platform::RegistryValue& value);
std::optional<platform::RegistryValue> ParseValueBytes(const std::string& bytes);

class Store {
 public:
  Store(platform::Os& os, std::string game_folder);

  std::string PathOf(const std::string& hash) const;
  // Makes the backups' folders when they are missing.
  platform::SystemError MakeFolders();

  // A file and the hash of its bytes.
  struct Content {
    std::string path;
    std::string hash;
  };
  // Moves each file into the store under its hash, in one request, stopping
  // at the first that fails (the result, naming its place in the store);
  // `moved` learns how many were moved. A content already kept under that
  // name is replaced: a name alone is no proof of what a file holds.
  platform::Result KeepByMoving(const std::vector<Content>& files, std::size_t& moved);
  // Keeps a flushed copy of the file `path`; `hash` gets the hash of the bytes copied.
  platform::Result KeepCopy(const std::string& path, std::string& hash);
  // Keeps `bytes` (a registry value), flushed, under their hash.
  platform::Result KeepBytes(const std::string& bytes, std::string& hash);

  // Success when the content kept as `hash` is there and its bytes hash to
  // its name; kDataError when they do not, kFileNotFound when it is missing.
  platform::SystemError Verify(const std::string& hash);
  platform::SystemError ReadBytes(const std::string& hash, std::string& bytes);

  // Puts the content `hash` at `destination` through `via`, replacing what is
  // there in one step: moved out of the store when `take` (no one else needs
  // it), otherwise copied beside the destination first. Missing folders on
  // the way are made through `via`.
  platform::Result PlaceAt(platform::Os& via, const std::string& hash,
                           const std::string& destination, bool take);

  // PlaceAt in its parts, for a caller with something to do between them.
  // Makes the missing folders on the way to `destination` through `via`.
  platform::Result MakeFoldersOnTheWay(platform::Os& via, const std::string& destination);
  // A content others need stays: a flushed copy of it, checked once more on
  // the way, is made beside the store...
  platform::Result CopyOut(const std::string& hash);
  // ...and takes the destination's place in one step through `via`, so the
  // destination is never part old, part new, and what a restore put back lasts.
  platform::Result PutInPlace(platform::Os& via, const std::string& hash,
                              const std::string& destination);
  // Removes the copy CopyOut made, when it is not to be put in place.
  void DropCopyOut(const std::string& hash);

  // Removes every content none of `kept` needs.
  void Prune(const std::vector<BackupSet>& kept);

 private:
  std::string PlacingPath(const std::string& hash) const;

  platform::Os& os_;
  std::string game_folder_;
};

// Room left beside new contents for the manifests, the folders' entries and the log.
inline constexpr std::uint64_t kSpareBytes = 1 << 20;

// Copies `from` to `to` in pieces, hashing the bytes copied, into a flushed
// file that appears under the name `to` only when whole.
platform::Result CopyHashing(platform::Os& os, const std::string& from, const std::string& to,
                             std::string& hash);

// What the journal knows of files' contents without reading them: the hash
// they had when their size and time were as listed. It only saves reading a
// file that is not about to change; what is kept is always hashed from its bytes.
class KnownHashes {
 public:
  KnownHashes(platform::Os& os, std::string game_folder);
  // The hash `path` had at `stamp`, if known.
  std::optional<std::string> Lookup(const std::string& path, const platform::FileStamp& stamp);
  // `path` holds `hash` now (nothing known for nullopt).
  void Learn(const std::string& path, const std::optional<std::string>& hash);
  // Writes the list back whole, when it changed.
  void Save();

 private:
  std::string Key(const std::string& path) const;
  void Load();

  platform::Os& os_;
  std::string game_folder_;
  struct Known {
    platform::FileStamp stamp;
    std::string hash;
  };
  std::map<std::string, Known> known_;
  bool loaded_ = false;
  bool changed_ = false;
};

}  // namespace veyra::backups
