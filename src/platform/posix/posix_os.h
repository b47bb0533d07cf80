// The native backend: files on Linux (backslashes taken as slashes), the
// registry kept in memory, the dialog in memory. It serves the native build
// of the logic and its tests; the program itself runs on the Win32 backend.
#pragma once

#include <map>
#include <string>

#include "platform/os.h"

namespace veyra::platform::posix {

// The Windows system error code for an errno value.
SystemError ToSystemError(int errno_value);

// The path with every backslash taken as a folder separator.
std::string NativePath(const std::string& path);

class PosixOs : public Os {
 public:
  explicit PosixOs(std::string current_directory = {}, std::vector<std::string> arguments = {});

  void InitCommonControls() override {}
  std::optional<std::string> CurrentDirectory() override;
  std::string SystemDirectory() override { return "C:\\windows\\system32"; }

  bool FindFirstMatch(const std::string& pattern) override;
  SystemError ListDirectory(const std::string& pattern, std::vector<DirEntry>& entries) override;
  std::string FinalPath(const std::string& path) override;
  std::optional<FileStamp> Stamp(const std::string& path) override;
  std::unique_ptr<OpenFile> Open(const std::string& path, FileAccess access,
                                 SystemError& error) override;
  SystemError Copy(const std::string& from, const std::string& to) override;
  SystemError MoveReplacing(const std::string& from, const std::string& to) override;
  Result MoveFilesReplacing(const std::vector<FileMove>& moves, std::size_t& moved) override;
  SystemError Delete(const std::string& path) override;
  SystemError CreateFolder(const std::string& path) override;
  SystemError RemoveFolder(const std::string& path) override;
  SystemError FreeSpace(const std::string& folder, std::uint64_t& bytes) override;
  // flock on the folder itself, which ends with the process.
  std::unique_ptr<FolderLock> LockFolder(const std::string& folder, SystemError& error) override;

  std::optional<RegistryValue> RegistryReadValue(std::uint32_t root, const std::string& key,
                                                 const std::string& value_name) override;
  SystemError RegistryWriteValue(std::uint32_t root, const std::string& key,
                                 const std::string& value_name, const RegistryValue& value) override;
  SystemError RegistryDeleteValue(std::uint32_t root, const std::string& key,
                                  const std::string& value_name) override;
  // Removes a key with its subkeys and values, as a test starts afresh.
  void RegistryDeleteKey(std::uint32_t root, const std::string& key);
  // Stores a string value, as a test sets the Steam language.
  void RegistrySetValue(std::uint32_t root, const std::string& key, const std::string& value_name,
                        const std::string& data);

  std::unique_ptr<Dialog> CreateHiddenDialog(const DialogLayout& layout) override;
  std::unique_ptr<WaitWindow> OpenWaitWindow(const std::string& caption, const std::string& label,
                                             int label_id) override;
  bool PumpOneMessage() override { return false; }
  // Without windows there is nothing to keep answering: the work runs here.
  void RunBesideMessageLoop(const std::function<void()>& work) override { work(); }

  int ShowMessage(const std::string& text, const std::string& caption,
                  std::uint32_t flags) override;
  void Sleep(std::uint32_t milliseconds) override;
  LocalTime Now() override;
  // From the locale the environment names for messages (LC_ALL, LC_MESSAGES,
  // then LANG): German for "de" and "de_..." names, English for any other.
  std::uint16_t UserInterfaceLanguage() override;
  std::vector<std::string> Arguments() override { return arguments_; }
  // The native build's output is this process's standard output.
  bool WriteToParentConsole(const std::string& text) override;

  std::optional<std::vector<ProcessEntry>> ProcessSnapshot() override;
  SystemError StartProcess(const std::string& application, const std::string& command_line,
                           const std::string& working_directory) override;
  [[noreturn]] void Terminate(int exit_code) override;

 private:
  // Renames `from` to `to` (its final target when it is a link) as
  // MoveReplacing does, but leaves the folder unsynced; `folder` learns
  // which folder's names changed.
  SystemError Rename(const std::string& from, const std::string& to, std::string& folder);
  // Registry keys and value names compare without regard to case, as on Windows.
  using ValueMap = std::map<std::string, RegistryValue>;
  std::map<std::string, ValueMap> registry_;
  std::string current_directory_;
  std::vector<std::string> arguments_;
};

}  // namespace veyra::platform::posix
