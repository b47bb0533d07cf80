// The one interface through which the program reaches the operating system.
// Every failure carries the Windows system error code (0 = success); the
// posix backend maps errno onto the same codes, and the test doubles inject
// them, so the logic above never sees a platform type. No caller may drop one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dialog.h"
#include "platform/result.h"

namespace veyra::platform {

// File attribute bits as the directory listing reports them.
namespace attribute {
constexpr std::uint32_t kReadOnly = 0x1;
constexpr std::uint32_t kHidden = 0x2;
constexpr std::uint32_t kSystem = 0x4;
constexpr std::uint32_t kDirectory = 0x10;
}  // namespace attribute

// Message-box flags and answers (the Win32 values, passed through unchanged).
namespace mb {
constexpr std::uint32_t kOk = 0x0;
constexpr std::uint32_t kYesNo = 0x4;
constexpr std::uint32_t kRetryCancel = 0x5;
constexpr std::uint32_t kIconError = 0x10;
constexpr std::uint32_t kIconQuestion = 0x20;
constexpr std::uint32_t kIconExclamation = 0x30;
constexpr std::uint32_t kTaskModal = 0x2000;
constexpr std::uint32_t kSetForeground = 0x10000;
constexpr int kIdOk = 1;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;
constexpr int kIdCancel = 2;
constexpr int kIdRetry = 4;
}  // namespace mb

// Registry root handles as the program passes them around.
namespace hkey {
constexpr std::uint32_t kCurrentUser = 0x80000001u;
}

// A registry value as stored: its type (REG_SZ 1, REG_DWORD 4, ...) and raw data.
struct RegistryValue {
  std::uint32_t type;
  std::string data;

  bool operator==(const RegistryValue&) const = default;
};
inline constexpr std::uint32_t kRegistryString = 1;
inline constexpr std::uint32_t kRegistryDword = 4;

// A REG_DWORD value: four bytes, least significant first.
inline RegistryValue DwordValue(std::uint32_t value) {
  std::string data(4, '\0');
  for (std::size_t i = 0; i < 4; ++i) data[i] = static_cast<char>(value >> (8 * i));
  return {kRegistryDword, data};
}

// Local time, as the journal names its sets and the log dates its entries.
struct LocalTime {
  int year, month, day, hour, minute, second;
};

// What tells a file's version without reading it: its size and the time it
// was last written (in the system's own units), and whether it is a folder.
struct FileStamp {
  std::uint64_t size = 0;
  std::uint64_t modified = 0;
  bool folder = false;

  bool operator==(const FileStamp&) const = default;
};

struct DirEntry {
  std::string name;         // plain name, no folder
  std::uint32_t attributes; // attribute:: bits
};

struct ProcessEntry {
  std::uint32_t id;
  std::string exe_name;  // as the process snapshot reports it
};

enum class FileAccess { kReadWrite, kReadOnly };

// Makes `buffer` `size` bytes long to read a whole file into. A file larger
// than the memory the process can have is a failure to report like any other
// (8, not enough memory), not an exception that ends the program.
inline SystemError SizeForWholeFile(std::string& buffer, std::uint64_t size) {
  try {
    buffer.resize(static_cast<std::size_t>(size));
  } catch (const std::bad_alloc&) {
    return error::kNotEnoughMemory;
  } catch (const std::length_error&) {
    return error::kNotEnoughMemory;
  }
  return error::kSuccess;
}

// A file held open, unshared, for the duration of one operation.
class OpenFile {
 public:
  virtual ~OpenFile() = default;
  // Reads the whole file from its first byte.
  virtual SystemError ReadAll(std::string& out) = 0;
  // Reads up to `size` bytes from `offset` on into `buffer`; `read` tells how
  // many arrived, 0 at the end of the file. Lets a file of any size be hashed
  // or copied in pieces of bounded memory.
  virtual SystemError ReadAt(std::uint64_t offset, char* buffer, std::size_t size,
                             std::size_t& read) = 0;
  // Writes `bytes` from the first byte on; `written` tells how many arrived.
  virtual SystemError WriteFromStart(std::string_view bytes, std::size_t& written) = 0;
  // Sets the end of the file at `size` bytes.
  virtual SystemError Truncate(std::uint64_t size) = 0;
  // Returns once everything written has reached the disk.
  virtual SystemError Flush() = 0;
  // Writes `bytes` at the end of the file.
  virtual SystemError Append(std::string_view bytes) = 0;
};

// A small captioned window with one line of text and a progress bar below it,
// shown while a long step runs; destroying the object destroys the window.
class WaitWindow {
 public:
  virtual ~WaitWindow() = default;
  // Fills the bar to `done` of `total`. May be called from the work that runs
  // beside the message loop: it only leaves word for the window, never waits.
  virtual void ShowProgress(std::size_t done, std::size_t total) = 0;
};

class Os {
 public:
  virtual ~Os() = default;

  // --- start-up
  virtual void InitCommonControls() = 0;
  virtual std::optional<std::string> CurrentDirectory() = 0;  // UTF-8, no trailing backslash added
  // The system folder (System32), where the programs the configurator starts by name live.
  virtual std::string SystemDirectory() = 0;

  // --- files (paths are UTF-8 with backslashes)
  // Directory search: true when the first entry matching `pattern` exists
  // (wildcards * and ? apply, a folder matches as well as a file).
  virtual bool FindFirstMatch(const std::string& pattern) = 0;
  // Entries matching `pattern`, in the order the file system returns them,
  // without "." and "..". A pattern that matches nothing, or whose folder does
  // not exist, gives an empty list and success. Any other failure (a folder
  // that may not be read, a listing cut short) is returned; `entries` then
  // holds what was read before it.
  virtual SystemError ListDirectory(const std::string& pattern, std::vector<DirEntry>& entries) = 0;
  // The path of the file `path` names once symbolic links are followed: the
  // path itself when it is no link or nothing is there.
  virtual std::string FinalPath(const std::string& path) = 0;
  // The file's stamp; nullopt when there is nothing at `path`.
  virtual std::optional<FileStamp> Stamp(const std::string& path) = 0;
  // Opens unshared, creating the file when it is missing.
  [[nodiscard]] virtual std::unique_ptr<OpenFile> Open(const std::string& path, FileAccess access,
                                         SystemError& error) = 0;
  virtual SystemError Copy(const std::string& from, const std::string& to) = 0;  // overwrites
  // Copies one file after the other, stopping at the first that fails, whose
  // failure (naming its destination) is the result. One request for a whole
  // folder lets whoever watches the copies prepare for all of them at once.
  // `progress`, when given, hears how many of the files are dealt with, each
  // time one more is.
  struct FileCopy {
    std::string from;
    std::string to;
  };
  using CopyProgress = std::function<void(std::size_t files_done)>;
  virtual Result CopyFiles(const std::vector<FileCopy>& copies, const CopyProgress& progress) {
    for (std::size_t i = 0; i < copies.size(); ++i) {
      const FileCopy& copy = copies[i];
      if (Result copied(Operation::kCopy, copy.to, Copy(copy.from, copy.to)); !copied.ok()) {
        return copied;
      }
      if (progress) progress(i + 1);
    }
    return {};
  }
  // Gives the file `from` the name `to` in one step, replacing `to`; readers see
  // either the old or the new file, never a mix. A replaced file passes on its
  // attributes and security; when `to` is a symbolic link, the link stays and
  // its final target (FinalPath) is replaced. `from` lies on the volume of that
  // target (17 when it does not).
  virtual SystemError MoveReplacing(const std::string& from, const std::string& to) = 0;
  // MoveReplacing for one file after the other, stopping at the first that
  // fails, whose failure (naming its destination) is the result; `moved`
  // learns how many were moved. Each move that was made is on the disk when
  // this returns, as after MoveReplacing; a backend may make them so together.
  struct FileMove {
    std::string from;
    std::string to;
  };
  virtual Result MoveFilesReplacing(const std::vector<FileMove>& moves, std::size_t& moved) {
    for (moved = 0; moved < moves.size(); ++moved) {
      const FileMove& move = moves[moved];
      if (Result made(Operation::kMove, move.to, MoveReplacing(move.from, move.to)); !made.ok()) {
        return made;
      }
    }
    return {};
  }
  virtual SystemError Delete(const std::string& path) = 0;
  // A folder whose parent exists; 183 when it exists already.
  virtual SystemError CreateFolder(const std::string& path) = 0;
  // An empty folder.
  virtual SystemError RemoveFolder(const std::string& path) = 0;

  // The bytes this user may still write on the volume that holds `folder`
  // (an existing folder).
  virtual SystemError FreeSpace(const std::string& folder, std::uint64_t& bytes) = 0;

  // Held while one instance changes the game folder; released when destroyed
  // (or when the process ends, however it ends).
  class FolderLock { public: virtual ~FolderLock() = default; };
  // The lock of `folder`: one holder at a time across every process of the
  // machine (of one Wine prefix under Wine). Null with `error` set when another
  // holds it (error::kLockViolation, 33) or it cannot be made. The lock is let
  // go on the thread that took it: on Windows it is a mutex, which a thread owns.
  [[nodiscard]] virtual std::unique_ptr<FolderLock> LockFolder(const std::string& folder,
                                                               SystemError& error) = 0;

  // --- registry (8-bit value names and data)
  // The value with its type; nullopt when the key or value cannot be read.
  virtual std::optional<RegistryValue> RegistryReadValue(std::uint32_t root,
                                                         const std::string& key,
                                                         const std::string& value_name) = 0;
  // Creates the key with all missing parents, then writes the value.
  virtual SystemError RegistryWriteValue(std::uint32_t root, const std::string& key,
                                         const std::string& value_name,
                                         const RegistryValue& value) = 0;
  // Removes the value; 2 when it or its key does not exist.
  virtual SystemError RegistryDeleteValue(std::uint32_t root, const std::string& key,
                                          const std::string& value_name) = 0;

  // --- windows
  // Builds the dialog and all its controls without showing it.
  virtual std::unique_ptr<Dialog> CreateHiddenDialog(const DialogLayout& layout) = 0;
  // Shows a modeless wait window (width x height dialog units, centred on the
  // work area, no system menu) whose label has the ID `label_id`.
  virtual std::unique_ptr<WaitWindow> OpenWaitWindow(const std::string& caption,
                                                     const std::string& label, int label_id) = 0;
  // Processes at most one pending message of this thread; false when none was pending.
  virtual bool PumpOneMessage() = 0;
  // Runs `work` to its end while this thread's windows stay painted and
  // answering: where there are windows, the work runs on a second thread and
  // this one only dispatches their messages meanwhile, so only the work uses
  // the Os until it returns. An exception the work throws comes out here.
  virtual void RunBesideMessageLoop(const std::function<void()>& work) = 0;

  // --- user interaction and time
  // `caption` empty means the application's default caption.
  virtual int ShowMessage(const std::string& text, const std::string& caption,
                          std::uint32_t flags) = 0;
  virtual void Sleep(std::uint32_t milliseconds) = 0;
  virtual LocalTime Now() = 0;

  // --- the player's language
  // The user's Windows display language as a language identifier (the
  // primary language in the low 10 bits: 0x07 German, 0x09 English).
  virtual std::uint16_t UserInterfaceLanguage() = 0;

  // --- the command line and the console of the program that started this one
  // The arguments after the program's name.
  virtual std::vector<std::string> Arguments() = 0;
  // Writes `text` where the starting program reads this one's output (its
  // console, or a file or pipe it gave); false when there is no such place.
  virtual bool WriteToParentConsole(const std::string& text) = 0;

  // --- processes
  // nullopt when no snapshot can be taken.
  virtual std::optional<std::vector<ProcessEntry>> ProcessSnapshot() = 0;
  // Starts without waiting; `application` may be empty (then the first token
  // of `command_line` names the program and the search path applies). An empty
  // `working_directory` leaves the program in this process's current directory.
  virtual SystemError StartProcess(const std::string& application, const std::string& command_line,
                                   const std::string& working_directory) = 0;
  // Ends the process at once with `exit_code`.
  [[noreturn]] virtual void Terminate(int exit_code) = 0;
};

}  // namespace veyra::platform
