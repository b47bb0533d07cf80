// Files through the wide kernel32 API, so long and non-ASCII paths work.
#include <windows.h>

#include <algorithm>
#include <mutex>
#include <new>
#include <set>
#include <stdexcept>

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_os.h"

namespace veyra::platform::win32 {
namespace {

// The system error of a call that reports failure through GetLastError.
SystemError Outcome(BOOL succeeded) {
  if (succeeded) return error::kSuccess;
  return GetLastError();
}

class Win32File : public OpenFile {
 public:
  explicit Win32File(HANDLE handle) : handle_(handle) {}
  ~Win32File() override { CloseHandle(handle_); }

  SystemError ReadAll(std::string& out) override {
    out.clear();
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle_, &size)) return GetLastError();
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(handle_, start, nullptr, FILE_BEGIN)) return GetLastError();
    if (const SystemError sized = SizeForWholeFile(out, static_cast<std::uint64_t>(size.QuadPart));
        sized != error::kSuccess) {
      return sized;
    }
    std::size_t done = 0;
    while (done < out.size()) {
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(out.size() - done, 1u << 30));
      DWORD got = 0;
      if (!ReadFile(handle_, out.data() + done, chunk, &got, nullptr)) {
        out.resize(done);
        return GetLastError();
      }
      if (got == 0) break;
      done += got;
    }
    out.resize(done);
    return error::kSuccess;
  }

  SystemError ReadAt(std::uint64_t offset, char* buffer, std::size_t size,
                     std::size_t& read) override {
    read = 0;
    // The offset travels in the request, so no earlier seek is relied on.
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    DWORD got = 0;
    if (!ReadFile(handle_, buffer, chunk, &got, &at)) {
      // From an offset at or past the end a read with an offset fails so.
      const DWORD code = GetLastError();
      return code == ERROR_HANDLE_EOF ? error::kSuccess : SystemError(code);
    }
    read = got;
    return error::kSuccess;
  }

  SystemError WriteFromStart(std::string_view bytes, std::size_t& written) override {
    written = 0;
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(handle_, start, nullptr, FILE_BEGIN)) return GetLastError();
    return WriteHere(bytes, written);
  }

  SystemError Truncate(std::uint64_t size) override {
    LARGE_INTEGER position{};
    position.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFilePointerEx(handle_, position, nullptr, FILE_BEGIN)) return GetLastError();
    if (!SetEndOfFile(handle_)) return GetLastError();
    return error::kSuccess;
  }

  SystemError Flush() override { return Outcome(FlushFileBuffers(handle_)); }

  SystemError Append(std::string_view bytes) override {
    LARGE_INTEGER none{};
    if (!SetFilePointerEx(handle_, none, nullptr, FILE_END)) return GetLastError();
    std::size_t written = 0;
    return WriteHere(bytes, written);
  }

 private:
  // Writes all of `bytes` at the file position; `written` tells how many arrived.
  SystemError WriteHere(std::string_view bytes, std::size_t& written) {
    while (written < bytes.size()) {
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - written, 1u << 30));
      DWORD put = 0;
      if (!WriteFile(handle_, bytes.data() + written, chunk, &put, nullptr)) return GetLastError();
      if (put == 0) return error::kWriteFault;
      written += put;
    }
    return error::kSuccess;
  }

  HANDLE handle_;
};

bool IsDotEntry(const wchar_t* name) {
  return wcscmp(name, L".") == 0 || wcscmp(name, L"..") == 0;
}

// The path of what `path` names once links are followed, as the file system
// spells it, without the long-path prefix; nullopt with `error` when it cannot
// be opened.
std::optional<std::wstring> ResolvedPath(const std::string& path, SystemError& error) {
  // No access asked: only the name is wanted, and a file the game holds open
  // unshared still answers. Folders need the backup-semantics flag to open.
  HANDLE file = CreateFileW(WidePath(path).c_str(), 0,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = GetLastError();
    return std::nullopt;
  }
  // Room for the longest path at once: asked with too small a buffer, Wine
  // answers neither the path nor the size it needs.
  std::wstring final(32768, L'\0');
  const DWORD length = GetFinalPathNameByHandleW(
      file, final.data(), static_cast<DWORD>(final.size()), FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  error = length == 0 ? SystemError(GetLastError()) : error::kSuccess;
  CloseHandle(file);
  if (length == 0) return std::nullopt;
  if (length >= final.size()) {
    error = error::kInvalidName;
    return std::nullopt;
  }
  final.resize(length);
  // The answer carries the long-path prefix; the program's paths do not.
  if (final.rfind(L"\\\\?\\UNC\\", 0) == 0) {
    final = L"\\" + final.substr(7);
  } else if (final.rfind(L"\\\\?\\", 0) == 0) {
    final = final.substr(4);
  }
  return final;
}

// The name of the mutex that locks the folder at `final_path`: the same for
// every spelling of the folder, as the file system compares names (without
// regard to case), and for no other folder. It lies in the namespace of
// this session, where the player's instances run.
std::wstring FolderLockName(const std::wstring& final_path) {
  std::wstring folded(final_path.size(), L'\0');
  const int length =
      LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, final_path.data(),
                    static_cast<int>(final_path.size()), folded.data(),
                    static_cast<int>(folded.size()), nullptr, nullptr, 0);
  folded.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  if (folded.empty()) folded = final_path;
  // FNV-1a of 128 bits over the UTF-8 bytes: a name of fixed length for a
  // path of any length, and no two folders' names alike in practice.
  using Hash = unsigned __int128;
  constexpr Hash kPrime = Hash{1} << 88 | 0x13B;
  Hash hash = Hash{0x6c62272e07bb0142u} << 64 | 0x62b821756295c58du;
  for (const unsigned char byte : Narrow(folded)) {
    hash ^= byte;
    hash *= kPrime;
  }
  std::wstring name = L"Local\\VeyraConfig-";
  for (int shift = 124; shift >= 0; shift -= 4) name += L"0123456789abcdef"[(hash >> shift) & 0xF];
  return name;
}

// The names of the folder locks this process holds. A thread may take a mutex
// it owns again, so without this a second LockFolder in the same process
// would succeed where one from another process fails. Never destroyed: a lock
// may be let go while the process ends.
struct HeldLocks {
  std::mutex mutex;
  std::set<std::wstring> names;
};
HeldLocks& Held() {
  static HeldLocks* const held = new HeldLocks;
  return *held;
}

class Win32FolderLock : public Os::FolderLock {
 public:
  Win32FolderLock(HANDLE mutex, std::wstring name) : mutex_(mutex), name_(std::move(name)) {}
  // On the thread that took the mutex: no other thread may release it. Should
  // the thread end first, the mutex is abandoned, which the next taker counts
  // as free.
  ~Win32FolderLock() override {
    ReleaseMutex(mutex_);
    CloseHandle(mutex_);
    HeldLocks& held = Held();
    const std::lock_guard<std::mutex> guard(held.mutex);
    held.names.erase(name_);
  }

 private:
  HANDLE mutex_;
  std::wstring name_;
};

}  // namespace

bool Win32Os::FindFirstMatch(const std::string& pattern) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(WidePath(pattern).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  FindClose(find);
  return true;
}

SystemError Win32Os::ListDirectory(const std::string& pattern, std::vector<DirEntry>& entries) {
  entries.clear();
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(WidePath(pattern).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) {
    const SystemError code = GetLastError();
    // Nothing matches, or the folder is not there: an empty listing.
    return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ? error::kSuccess : code;
  }
  SystemError code = error::kSuccess;
  do {
    if (!IsDotEntry(data.cFileName)) entries.push_back({Narrow(data.cFileName), data.dwFileAttributes});
  } while (FindNextFileW(find, &data));
  if (const DWORD last = GetLastError(); last != ERROR_NO_MORE_FILES) code = last;
  FindClose(find);
  return code;
}

std::string Win32Os::FinalPath(const std::string& path) {
  SystemError error;
  const std::optional<std::wstring> final = ResolvedPath(path, error);
  if (!final) return path;
  // The same file under the caller's spelling (case, short names) keeps it.
  return CompareStringOrdinal(final->c_str(), -1, WidePath(path).c_str(), -1, TRUE) == CSTR_EQUAL
             ? path
             : Narrow(*final);
}

std::optional<FileStamp> Win32Os::Stamp(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  return FileStamp{std::uint64_t{data.nFileSizeHigh} << 32 | data.nFileSizeLow,
                   std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32 |
                       data.ftLastWriteTime.dwLowDateTime,
                   (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0};
}

std::unique_ptr<OpenFile> Win32Os::Open(const std::string& path, FileAccess access,
                                        SystemError& error) {
  const DWORD rights =
      access == FileAccess::kReadWrite ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
  HANDLE handle = CreateFileW(WidePath(path).c_str(), rights, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    error = GetLastError();
    return nullptr;
  }
  error = error::kSuccess;
  return std::make_unique<Win32File>(handle);
}

SystemError Win32Os::Copy(const std::string& from, const std::string& to) {
  return Outcome(CopyFileW(WidePath(from).c_str(), WidePath(to).c_str(), FALSE));
}

SystemError Win32Os::MoveReplacing(const std::string& from, const std::string& to) {
  const std::wstring source = WidePath(from);
  const std::wstring target = WidePath(FinalPath(to));
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    // The new content takes over what the player (or the system) set on the
    // file: ReplaceFileW keeps its security, streams and attributes; the
    // attributes are also given to the new file first, as not every file
    // system's ReplaceFileW keeps them.
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                            FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    if (attributes & kKept) SetFileAttributesW(source.c_str(), attributes & kKept);
    if (ReplaceFileW(target.c_str(), source.c_str(), nullptr,
                     REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr,
                     nullptr)) {
      return error::kSuccess;
    }
    // Where it is not supported (some network and FAT volumes) a plain move
    // still puts the content in place; its failure is the one that counts.
  }
  // Write-through: the call returns only once the new name is on the disk.
  return Outcome(MoveFileExW(source.c_str(), target.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
}

SystemError Win32Os::Delete(const std::string& path) {
  return Outcome(DeleteFileW(WidePath(path).c_str()));
}

SystemError Win32Os::CreateFolder(const std::string& path) {
  return Outcome(CreateDirectoryW(WidePath(path).c_str(), nullptr));
}

SystemError Win32Os::RemoveFolder(const std::string& path) {
  return Outcome(RemoveDirectoryW(WidePath(path).c_str()));
}

SystemError Win32Os::FreeSpace(const std::string& folder, std::uint64_t& bytes) {
  bytes = 0;
  // A share's root is only taken with its trailing backslash; any folder is with one.
  std::wstring path = WidePath(folder);
  if (!path.empty() && path.back() != L'\\') path += L'\\';
  ULARGE_INTEGER available{};
  if (!GetDiskFreeSpaceExW(path.c_str(), &available, nullptr, nullptr)) return GetLastError();
  bytes = available.QuadPart;
  return error::kSuccess;
}

std::unique_ptr<Os::FolderLock> Win32Os::LockFolder(const std::string& folder, SystemError& error) {
  if (const DWORD attributes = GetFileAttributesW(WidePath(folder).c_str());
      attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    error = attributes == INVALID_FILE_ATTRIBUTES ? SystemError(GetLastError())
                                                  : SystemError(ERROR_DIRECTORY);
    return nullptr;
  }
  const std::optional<std::wstring> final = ResolvedPath(folder, error);
  if (!final) return nullptr;
  const std::wstring name = FolderLockName(*final);
  HeldLocks& held = Held();
  const std::lock_guard<std::mutex> guard(held.mutex);
  if (held.names.count(name) != 0) {
    error = error::kLockViolation;
    return nullptr;
  }
  HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
  if (!mutex) {
    error = GetLastError();
    return nullptr;
  }
  switch (const DWORD waited = WaitForSingleObject(mutex, 0)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED:  // its holder ended without letting go: the lock is free
      held.names.insert(name);
      error = error::kSuccess;
      return std::make_unique<Win32FolderLock>(mutex, name);
    default:
      error = waited == WAIT_TIMEOUT ? error::kLockViolation : SystemError(GetLastError());
      CloseHandle(mutex);
      return nullptr;
  }
}

}  // namespace veyra::platform::win32
