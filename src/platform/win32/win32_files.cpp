// Files through the wide kernel32 API, so long and non-ASCII paths work.
#include <windows.h>

#include <algorithm>
#include <new>
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
  // No access asked: only the name is wanted, and a file the game holds open
  // unshared still answers. Folders need the backup-semantics flag to open.
  HANDLE file = CreateFileW(WidePath(path).c_str(), 0,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return path;
  // Room for the longest path at once: asked with too small a buffer, Wine
  // answers neither the path nor the size it needs.
  std::wstring final(32768, L'\0');
  const DWORD length = GetFinalPathNameByHandleW(
      file, final.data(), static_cast<DWORD>(final.size()), FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  CloseHandle(file);
  if (length == 0 || length >= final.size()) return path;
  final.resize(length);
  // The answer carries the long-path prefix; the program's paths do not.
  if (final.rfind(L"\\\\?\\UNC\\", 0) == 0) {
    final = L"\\" + final.substr(7);
  } else if (final.rfind(L"\\\\?\\", 0) == 0) {
    final = final.substr(4);
  }
  const std::string resolved = Narrow(final);
  // The same file under the caller's spelling (case, short names) keeps it.
  return CompareStringOrdinal(final.c_str(), -1, WidePath(path).c_str(), -1, TRUE) == CSTR_EQUAL
             ? path
             : resolved;
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

}  // namespace veyra::platform::win32
