// The real operating system: kernel32, user32, advapi32. Its members are
// defined by concept: files (win32_files.cpp), the settings dialog
// (win32_dialog.cpp), the wait window and the message loop
// (win32_wait_window.cpp), and the rest (win32_os.cpp).
#pragma once

#include "platform/os.h"

namespace veyra::platform::win32 {

// The caption of message boxes that bring none of their own.
inline constexpr const char* kDefaultMessageCaption = "Veyra Mod Configurator";

// Makes every later library load search System32 only: the game folder
// holds injector DLLs, and none of them may ever be loaded by this program.
void RestrictDllSearchToSystem32();

class Win32Os : public Os {
 public:
  void InitCommonControls() override;
  std::optional<std::string> CurrentDirectory() override;
  std::string SystemDirectory() override;

  bool FindFirstMatch(const std::string& pattern) override;
  SystemError ListDirectory(const std::string& pattern, std::vector<DirEntry>& entries) override;
  std::string FinalPath(const std::string& path) override;
  std::optional<FileStamp> Stamp(const std::string& path) override;
  std::unique_ptr<OpenFile> Open(const std::string& path, FileAccess access,
                                 SystemError& error) override;
  SystemError Copy(const std::string& from, const std::string& to) override;
  SystemError MoveReplacing(const std::string& from, const std::string& to) override;
  SystemError Delete(const std::string& path) override;
  SystemError CreateFolder(const std::string& path) override;
  SystemError RemoveFolder(const std::string& path) override;
  SystemError FreeSpace(const std::string& folder, std::uint64_t& bytes) override;
  // A named mutex, owned by the thread that took it.
  std::unique_ptr<FolderLock> LockFolder(const std::string& folder, SystemError& error) override;

  std::optional<RegistryValue> RegistryReadValue(std::uint32_t root, const std::string& key,
                                                 const std::string& value_name) override;
  SystemError RegistryWriteValue(std::uint32_t root, const std::string& key,
                                 const std::string& value_name, const RegistryValue& value) override;
  SystemError RegistryDeleteValue(std::uint32_t root, const std::string& key,
                                  const std::string& value_name) override;

  std::unique_ptr<Dialog> CreateHiddenDialog(const DialogLayout& layout) override;
  std::unique_ptr<WaitWindow> OpenWaitWindow(const std::string& caption, const std::string& label,
                                             int label_id) override;
  bool PumpOneMessage() override;
  // The work on a second thread; this one dispatches messages until it ends.
  void RunBesideMessageLoop(const std::function<void()>& work) override;

  int ShowMessage(const std::string& text, const std::string& caption,
                  std::uint32_t flags) override;
  void Sleep(std::uint32_t milliseconds) override;
  LocalTime Now() override;
  std::uint16_t UserInterfaceLanguage() override;
  std::vector<std::string> Arguments() override;
  bool WriteToParentConsole(const std::string& text) override;

  std::optional<std::vector<ProcessEntry>> ProcessSnapshot() override;
  SystemError StartProcess(const std::string& application, const std::string& command_line,
                           const std::string& working_directory) override;
  [[noreturn]] void Terminate(int exit_code) override;
};

}  // namespace veyra::platform::win32
