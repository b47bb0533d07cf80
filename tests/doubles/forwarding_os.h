// An Os that hands every call to another one; the doubles override what they watch.
#pragma once

#include "platform/os.h"

namespace veyra::testing {

class ForwardingOs : public platform::Os {
 public:
  explicit ForwardingOs(platform::Os& inner) : inner_(inner) {}

  void InitCommonControls() override { inner_.InitCommonControls(); }
  std::optional<std::string> CurrentDirectory() override { return inner_.CurrentDirectory(); }
  std::string SystemDirectory() override { return inner_.SystemDirectory(); }
  bool FindFirstMatch(const std::string& pattern) override { return inner_.FindFirstMatch(pattern); }
  std::vector<platform::DirEntry> ListDirectory(const std::string& pattern) override {
    return inner_.ListDirectory(pattern);
  }
  std::unique_ptr<platform::OpenFile> Open(const std::string& path, platform::FileAccess access,
                                           platform::SystemError& error) override {
    return inner_.Open(path, access, error);
  }
  platform::SystemError Copy(const std::string& from, const std::string& to) override {
    return inner_.Copy(from, to);
  }
  platform::SystemError MoveReplacing(const std::string& from, const std::string& to) override {
    return inner_.MoveReplacing(from, to);
  }
  platform::SystemError Delete(const std::string& path) override {
    return inner_.Delete(path);
  }
  std::optional<std::string> RegistryReadValue(std::uint32_t root, const std::string& key,
                                               const std::string& value_name) override {
    return inner_.RegistryReadValue(root, key, value_name);
  }
  platform::SystemError RegistryWriteDword(std::uint32_t root, const std::string& key,
                                           const std::string& value_name,
                                           std::uint32_t value) override {
    return inner_.RegistryWriteDword(root, key, value_name, value);
  }
  std::unique_ptr<platform::Dialog> CreateHiddenDialog(const platform::DialogLayout& layout) override {
    return inner_.CreateHiddenDialog(layout);
  }
  std::unique_ptr<platform::WaitWindow> OpenWaitWindow(const std::string& caption,
                                                       const std::string& label,
                                                       int label_id) override {
    return inner_.OpenWaitWindow(caption, label, label_id);
  }
  bool PumpOneMessage() override { return inner_.PumpOneMessage(); }
  int ShowMessage(const std::string& text, const std::string& caption,
                  std::uint32_t flags) override {
    return inner_.ShowMessage(text, caption, flags);
  }
  void Sleep(std::uint32_t milliseconds) override { inner_.Sleep(milliseconds); }
  std::optional<std::vector<platform::ProcessEntry>> ProcessSnapshot() override {
    return inner_.ProcessSnapshot();
  }
  platform::SystemError StartProcess(const std::string& application,
                                     const std::string& command_line,
                                     const std::string& working_directory) override {
    return inner_.StartProcess(application, command_line, working_directory);
  }
  [[noreturn]] void Terminate(int exit_code) override {
    inner_.Terminate(exit_code);
    __builtin_unreachable();
  }

 protected:
  platform::Os& inner_;
};

}  // namespace veyra::testing
