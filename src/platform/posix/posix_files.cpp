// Files on Linux for the native build: Windows paths with backslashes,
// Windows wildcard rules and Windows error codes.
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/posix/posix_os.h"

namespace veyra::platform::posix {
namespace {

class PosixFile : public OpenFile {
 public:
  explicit PosixFile(int fd) : fd_(fd) {}
  ~PosixFile() override { close(fd_); }

  SystemError ReadAll(std::string& out) override {
    out.clear();
    struct stat info;
    if (fstat(fd_, &info) != 0 || lseek(fd_, 0, SEEK_SET) < 0) return ToSystemError(errno);
    if (const SystemError sized = SizeForWholeFile(out, static_cast<std::uint64_t>(info.st_size));
        sized != error::kSuccess) {
      return sized;
    }
    std::size_t done = 0;
    while (done < out.size()) {
      const ssize_t got = read(fd_, out.data() + done, out.size() - done);
      if (got < 0) {
        if (errno == EINTR) continue;
        out.resize(done);
        return ToSystemError(errno);
      }
      if (got == 0) break;  // the file became shorter meanwhile
      done += static_cast<std::size_t>(got);
    }
    out.resize(done);
    return error::kSuccess;
  }

  SystemError ReadAt(std::uint64_t offset, char* buffer, std::size_t size,
                     std::size_t& read) override {
    read = 0;
    for (;;) {
      const ssize_t got = pread(fd_, buffer, size, static_cast<off_t>(offset));
      if (got >= 0) {
        read = static_cast<std::size_t>(got);
        return error::kSuccess;
      }
      if (errno != EINTR) return ToSystemError(errno);
    }
  }

  SystemError WriteFromStart(std::string_view bytes, std::size_t& written) override {
    written = 0;
    if (lseek(fd_, 0, SEEK_SET) < 0) return ToSystemError(errno);
    return WriteHere(bytes, written);
  }

  SystemError Truncate(std::uint64_t size) override {
    return ftruncate(fd_, static_cast<off_t>(size)) == 0 ? error::kSuccess : ToSystemError(errno);
  }

  SystemError Flush() override { return fsync(fd_) == 0 ? error::kSuccess : ToSystemError(errno); }

  SystemError Append(std::string_view bytes) override {
    if (lseek(fd_, 0, SEEK_END) < 0) return ToSystemError(errno);
    std::size_t written = 0;
    return WriteHere(bytes, written);
  }

 private:
  // Writes all of `bytes` at the file position; `written` tells how many arrived.
  SystemError WriteHere(std::string_view bytes, std::size_t& written) {
    while (written < bytes.size()) {
      const ssize_t put = write(fd_, bytes.data() + written, bytes.size() - written);
      if (put < 0) {
        if (errno == EINTR) continue;
        return ToSystemError(errno);
      }
      written += static_cast<std::size_t>(put);
    }
    return error::kSuccess;
  }

  int fd_;
};

// The lock belongs to the folder's open file description: a second
// LockFolder, in this process or another, is refused until this one is closed.
class PosixFolderLock : public Os::FolderLock {
 public:
  explicit PosixFolderLock(int fd) : fd_(fd) {}
  ~PosixFolderLock() override { close(fd_); }

 private:
  int fd_;
};

bool HasWildcard(const std::string& name) {
  return name.find_first_of("*?") != std::string::npos;
}

// Splits a native pattern into its folder and its last component.
void SplitPattern(const std::string& native, std::string& folder, std::string& name) {
  const std::size_t slash = native.rfind('/');
  folder = slash == std::string::npos ? "." : native.substr(0, slash == 0 ? 1 : slash);
  name = slash == std::string::npos ? native : native.substr(slash + 1);
}

// Windows treats "*.*" as "every name", with or without a dot.
bool MatchesWindowsPattern(const std::string& pattern, const char* name) {
  if (pattern == "*.*" || pattern == "*") return true;
  return fnmatch(pattern.c_str(), name, FNM_NOESCAPE) == 0;
}

std::uint32_t AttributesOf(const struct stat& info, const char* name) {
  std::uint32_t attributes = 0;
  if (S_ISDIR(info.st_mode)) attributes |= attribute::kDirectory;
  if (name[0] == '.') attributes |= attribute::kHidden;
  if ((info.st_mode & S_IWUSR) == 0) attributes |= attribute::kReadOnly;
  return attributes;
}

}  // namespace

bool PosixOs::FindFirstMatch(const std::string& pattern) {
  const std::string native = NativePath(pattern);
  std::string folder, name;
  SplitPattern(native, folder, name);
  if (!HasWildcard(name)) {
    struct stat info;
    return !name.empty() && stat(native.c_str(), &info) == 0;
  }
  std::vector<DirEntry> entries;
  // A folder that cannot be read has no entry to find.
  return ListDirectory(pattern, entries) == error::kSuccess && !entries.empty();
}

SystemError PosixOs::ListDirectory(const std::string& pattern, std::vector<DirEntry>& entries) {
  entries.clear();
  std::string folder, name;
  SplitPattern(NativePath(pattern), folder, name);
  DIR* dir = opendir(folder.c_str());
  if (!dir) return errno == ENOENT || errno == ENOTDIR ? error::kSuccess : ToSystemError(errno);
  SystemError code = error::kSuccess;
  for (;;) {
    errno = 0;
    const dirent* entry = readdir(dir);
    if (!entry) {
      if (errno != 0) code = ToSystemError(errno);
      break;
    }
    const std::string entry_name = entry->d_name;
    if (entry_name == "." || entry_name == "..") continue;
    if (!MatchesWindowsPattern(name, entry->d_name)) continue;
    struct stat info;
    if (stat((folder + "/" + entry_name).c_str(), &info) != 0) continue;  // gone meanwhile
    entries.push_back({entry_name, AttributesOf(info, entry->d_name)});
  }
  closedir(dir);
  return code;
}

std::string PosixOs::FinalPath(const std::string& path) {
  const std::string native = NativePath(path);
  std::string final;
  // The kernel resolves the whole path in one walk, and names what it opened
  // under /proc; realpath would read every part of the path on its own.
  if (const int fd = open(native.c_str(), O_PATH | O_CLOEXEC); fd >= 0) {
    char target[PATH_MAX];
    const ssize_t length =
        readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), target, sizeof target);
    close(fd);
    if (length > 0 && static_cast<std::size_t>(length) < sizeof target && target[0] == '/') {
      final.assign(target, static_cast<std::size_t>(length));
    }
  } else {
    return path;  // nothing there
  }
  if (final.empty()) {  // no /proc
    char* resolved = realpath(native.c_str(), nullptr);
    if (!resolved) return path;
    final = resolved;
    std::free(resolved);
  }
  return final == native ? path : final;
}

std::optional<FileStamp> PosixOs::Stamp(const std::string& path) {
  struct stat info;
  if (stat(NativePath(path).c_str(), &info) != 0) return std::nullopt;
  return FileStamp{static_cast<std::uint64_t>(info.st_size),
                   static_cast<std::uint64_t>(info.st_mtim.tv_sec) * 1000000000u +
                       static_cast<std::uint64_t>(info.st_mtim.tv_nsec),
                   S_ISDIR(info.st_mode)};
}

std::unique_ptr<OpenFile> PosixOs::Open(const std::string& path, FileAccess access,
                                        SystemError& error) {
  const int flags = (access == FileAccess::kReadWrite ? O_RDWR : O_RDONLY) | O_CREAT | O_CLOEXEC;
  const int fd = open(NativePath(path).c_str(), flags, 0644);
  if (fd < 0) {
    error = errno == ENOENT ? error::kPathNotFound : ToSystemError(errno);
    return nullptr;
  }
  error = error::kSuccess;
  return std::make_unique<PosixFile>(fd);
}

SystemError PosixOs::Copy(const std::string& from, const std::string& to) {
  SystemError error = error::kSuccess;
  std::unique_ptr<OpenFile> source;
  {
    const int fd = open(NativePath(from).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return ToSystemError(errno);
    source = std::make_unique<PosixFile>(fd);
  }
  // A file copied onto itself keeps its bytes (truncating it first would lose them).
  struct stat from_info, to_info;
  if (stat(NativePath(from).c_str(), &from_info) == 0 &&
      stat(NativePath(to).c_str(), &to_info) == 0 && from_info.st_dev == to_info.st_dev &&
      from_info.st_ino == to_info.st_ino) {
    return error::kSuccess;
  }
  const int fd = open(NativePath(to).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return errno == ENOENT ? error::kPathNotFound : ToSystemError(errno);
  PosixFile target(fd);
  // In pieces, as CopyFileW does: a file of any size takes the same memory.
  constexpr std::size_t kPiece = 1 << 20;
  std::vector<char> piece(kPiece);
  for (std::uint64_t offset = 0;;) {
    std::size_t got = 0;
    if ((error = source->ReadAt(offset, piece.data(), kPiece, got)) != error::kSuccess) {
      return error;
    }
    if (got == 0) return error::kSuccess;
    if ((error = target.Append({piece.data(), got})) != error::kSuccess) return error;
    offset += got;
  }
}

namespace {

// fsync of a folder, so that the names changed in it survive a power loss.
// The changes themselves have happened: the outcome does not change an answer.
void SyncFolder(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    fsync(fd);
    close(fd);
  }
}

}  // namespace

SystemError PosixOs::Rename(const std::string& from, const std::string& to,
                            std::string& folder) {
  // A link stays: its target takes the new content, and keeps its mode.
  const std::string target = NativePath(FinalPath(to));
  struct stat info;
  if (stat(target.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
    chmod(NativePath(from).c_str(), info.st_mode & 07777);
  }
  if (rename(NativePath(from).c_str(), target.c_str()) != 0) return ToSystemError(errno);
  std::string name;
  SplitPattern(target, folder, name);
  return error::kSuccess;
}

SystemError PosixOs::MoveReplacing(const std::string& from, const std::string& to) {
  std::string folder;
  const SystemError code = Rename(from, to, folder);
  if (code == error::kSuccess) SyncFolder(folder);
  return code;
}

// Every folder is synced once, after its last move: a thousand files moved
// into one folder cost one sync, not a thousand.
Result PosixOs::MoveFilesReplacing(const std::vector<FileMove>& moves, std::size_t& moved) {
  std::set<std::string> folders;
  Result result;
  for (moved = 0; moved < moves.size(); ++moved) {
    std::string folder;
    if (const SystemError code = Rename(moves[moved].from, moves[moved].to, folder);
        code != error::kSuccess) {
      result = {Operation::kMove, moves[moved].to, code};
      break;
    }
    folders.insert(folder);
  }
  for (const std::string& folder : folders) SyncFolder(folder);
  return result;
}

SystemError PosixOs::Delete(const std::string& path) {
  return unlink(NativePath(path).c_str()) == 0 ? error::kSuccess : ToSystemError(errno);
}

SystemError PosixOs::CreateFolder(const std::string& path) {
  if (mkdir(NativePath(path).c_str(), 0755) == 0) return error::kSuccess;
  return errno == EEXIST ? error::kAlreadyExists : errno == ENOENT ? error::kPathNotFound
                                                                   : ToSystemError(errno);
}

SystemError PosixOs::RemoveFolder(const std::string& path) {
  return rmdir(NativePath(path).c_str()) == 0 ? error::kSuccess : ToSystemError(errno);
}

SystemError PosixOs::FreeSpace(const std::string& folder, std::uint64_t& bytes) {
  bytes = 0;
  struct statvfs volume;
  if (statvfs(NativePath(folder).c_str(), &volume) != 0) return ToSystemError(errno);
  // The blocks free to unprivileged users, as Windows counts what is free to the caller.
  bytes = static_cast<std::uint64_t>(volume.f_bavail) * volume.f_frsize;
  return error::kSuccess;
}

std::unique_ptr<Os::FolderLock> PosixOs::LockFolder(const std::string& folder, SystemError& error) {
  const int fd = open(NativePath(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    error = ToSystemError(errno);
    return nullptr;
  }
  auto lock = std::make_unique<PosixFolderLock>(fd);
  while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    error = errno == EWOULDBLOCK ? error::kLockViolation : ToSystemError(errno);
    return nullptr;
  }
  error = error::kSuccess;
  return lock;
}

}  // namespace veyra::platform::posix
