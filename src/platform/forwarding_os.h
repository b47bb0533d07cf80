// An Os that hands every call to another one. What watches or changes the
// program's requests (the change journal, the test doubles) derives from it
// and overrides only what it watches.
#pragma once

#include "platform/os.h"

namespace veyra::platform {

// An open file that hands every call to another one, for the same purpose.
class ForwardingFile : public OpenFile {
 public:
  explicit ForwardingFile(std::unique_ptr<OpenFile> inner) : inner_(std::move(inner)) {}

  SystemError ReadAll(std::string& out) override { return inner_->ReadAll(out); }
  SystemError ReadAt(std::uint64_t offset, char* buffer, std::size_t size,
                     std::size_t& read) override {
    return inner_->ReadAt(offset, buffer, size, read);
  }
  SystemError WriteFromStart(std::string_view bytes, std::size_t& written) override {
    return inner_->WriteFromStart(bytes, written);
  }
  SystemError Truncate(std::uint64_t size) override { return inner_->Truncate(size); }
  SystemError Flush() override { return inner_->Flush(); }
  SystemError Append(std::string_view bytes) override { return inner_->Append(bytes); }

 protected:
  std::unique_ptr<OpenFile> inner_;
};

class ForwardingOs : public Os {
 public:
  explicit ForwardingOs(Os& inner) : inner_(inner) {}

  void InitCommonControls() override { inner_.InitCommonControls(); }
  std::optional<std::string> CurrentDirectory() override { return inner_.CurrentDirectory(); }
  std::string SystemDirectory() override { return inner_.SystemDirectory(); }
  bool FindFirstMatch(const std::string& pattern) override {
    return inner_.FindFirstMatch(pattern);
  }
  SystemError ListDirectory(const std::string& pattern, std::vector<DirEntry>& entries) override {
    return inner_.ListDirectory(pattern, entries);
  }
  std::string FinalPath(const std::string& path) override { return inner_.FinalPath(path); }
  std::optional<FileStamp> Stamp(const std::string& path) override { return inner_.Stamp(path); }
  std::unique_ptr<OpenFile> Open(const std::string& path, FileAccess access,
                                 SystemError& error) override {
    return inner_.Open(path, access, error);
  }
  SystemError Copy(const std::string& from, const std::string& to) override {
    return inner_.Copy(from, to);
  }
  Result CopyFiles(const std::vector<FileCopy>& copies, const CopyProgress& progress) override {
    return inner_.CopyFiles(copies, progress);
  }
  SystemError MoveReplacing(const std::string& from, const std::string& to) override {
    return inner_.MoveReplacing(from, to);
  }
  Result MoveFilesReplacing(const std::vector<FileMove>& moves, std::size_t& moved) override {
    return inner_.MoveFilesReplacing(moves, moved);
  }
  SystemError Delete(const std::string& path) override { return inner_.Delete(path); }
  SystemError CreateFolder(const std::string& path) override { return inner_.CreateFolder(path); }
  SystemError RemoveFolder(const std::string& path) override { return inner_.RemoveFolder(path); }
  SystemError FreeSpace(const std::string& folder, std::uint64_t& bytes) override {
    return inner_.FreeSpace(folder, bytes);
  }
  std::unique_ptr<FolderLock> LockFolder(const std::string& folder, SystemError& error) override {
    return inner_.LockFolder(folder, error);
  }
  std::optional<RegistryValue> RegistryReadValue(std::uint32_t root, const std::string& key,
                                                 const std::string& value_name) override {
    return inner_.RegistryReadValue(root, key, value_name);
  }
  SystemError RegistryWriteValue(std::uint32_t root, const std::string& key,
                                 const std::string& value_name,
                                 const RegistryValue& value) override {
    return inner_.RegistryWriteValue(root, key, value_name, value);
  }
  SystemError RegistryDeleteValue(std::uint32_t root, const std::string& key,
                                  const std::string& value_name) override {
    return inner_.RegistryDeleteValue(root, key, value_name);
  }
  std::unique_ptr<Dialog> CreateHiddenDialog(const DialogLayout& layout) override {
    return inner_.CreateHiddenDialog(layout);
  }
  std::unique_ptr<WaitWindow> OpenWaitWindow(const std::string& caption, const std::string& label,
                                             int label_id) override {
    return inner_.OpenWaitWindow(caption, label, label_id);
  }
  bool PumpOneMessage() override { return inner_.PumpOneMessage(); }
  void RunBesideMessageLoop(const std::function<void()>& work) override {
    inner_.RunBesideMessageLoop(work);
  }
  int ShowMessage(const std::string& text, const std::string& caption,
                  std::uint32_t flags) override {
    return inner_.ShowMessage(text, caption, flags);
  }
  void Sleep(std::uint32_t milliseconds) override { inner_.Sleep(milliseconds); }
  LocalTime Now() override { return inner_.Now(); }
  std::uint16_t UserInterfaceLanguage() override { return inner_.UserInterfaceLanguage(); }
  std::vector<std::string> Arguments() override { return inner_.Arguments(); }
  bool WriteToParentConsole(const std::string& text) override {
    return inner_.WriteToParentConsole(text);
  }
  std::optional<std::vector<ProcessEntry>> ProcessSnapshot() override {
    return inner_.ProcessSnapshot();
  }
  SystemError StartProcess(const std::string& application, const std::string& command_line,
                           const std::string& working_directory) override {
    return inner_.StartProcess(application, command_line, working_directory);
  }
  [[noreturn]] void Terminate(int exit_code) override {
    inner_.Terminate(exit_code);
    __builtin_unreachable();
  }

 protected:
  Os& inner_;
};

}  // namespace veyra::platform
