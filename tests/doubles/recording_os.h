// Records what the program shows, waits for and starts, instead of doing it,
// and keeps the dialogs it creates in memory so tests can read and drive them.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/posix/memory_dialog.h"
#include "platform/forwarding_os.h"

namespace veyra::testing {

struct ShownMessage {
  std::string text;
  std::string caption;
  std::uint32_t flags;
};

struct StartedProcess {
  std::string application;
  std::string command_line;
  std::string working_directory;
};

struct WaitWindowRecord {
  std::string caption;
  std::string label;
  int label_id;
  std::vector<std::pair<std::size_t, std::size_t>> progress;  // done and total, as shown
  bool closed = false;
};

// Thrown by Terminate so a test can see that the program would have ended.
struct TerminateCalled : std::runtime_error {
  explicit TerminateCalled(int code) : std::runtime_error("terminated"), exit_code(code) {}
  int exit_code;
};

class RecordingOs : public platform::ForwardingOs {
 public:
  using ForwardingOs::ForwardingOs;

  // The dialog's user: runs while the dialog is shown.
  std::function<void(platform::MemoryDialog&, platform::DialogEvents&)> dialog_script;
  // The start directory the program is given; nullopt makes the query fail.
  std::optional<std::string> current_directory;
  // Registry values seen instead of the real ones, by key path and value name
  // (exact spelling); a nullopt entry reads as missing.
  std::map<std::pair<std::string, std::string>, std::optional<std::string>> registry_overlay;

  std::vector<ShownMessage> messages;
  std::vector<std::uint32_t> sleeps;
  std::vector<StartedProcess> started;
  std::vector<WaitWindowRecord> wait_windows;
  // Messages shown from inside work beside the message loop, where no window
  // may be opened: on Windows that work runs on a thread without a message loop.
  int messages_from_work = 0;
  // The player's answers to questions (Yes/No boxes), in order; a question
  // asked when none is left is answered No.
  std::vector<int> answers;
  // The program's command line after its name.
  std::vector<std::string> arguments;
  // The user's Windows display language (a language identifier).
  std::uint16_t user_interface_language = 0x0409;
  // Whether the program was started from a console; what it wrote there.
  bool has_console = false;
  std::string console;

  std::optional<std::string> CurrentDirectory() override { return current_directory; }
  std::vector<std::string> Arguments() override { return arguments; }
  std::uint16_t UserInterfaceLanguage() override { return user_interface_language; }
  bool WriteToParentConsole(const std::string& text) override {
    if (has_console) console += text;
    return has_console;
  }
  std::optional<platform::RegistryValue> RegistryReadValue(std::uint32_t root,
                                                           const std::string& key,
                                                           const std::string& value_name) override {
    auto found = registry_overlay.find({key, value_name});
    if (found == registry_overlay.end()) return inner_.RegistryReadValue(root, key, value_name);
    if (!found->second) return std::nullopt;
    return platform::RegistryValue{platform::kRegistryString, *found->second};
  }
  std::unique_ptr<platform::Dialog> CreateHiddenDialog(const platform::DialogLayout& layout) override {
    auto dialog = std::make_unique<platform::MemoryDialog>(layout);
    dialog->SetScript(dialog_script);
    return dialog;
  }
  std::unique_ptr<platform::WaitWindow> OpenWaitWindow(const std::string& caption,
                                                       const std::string& label,
                                                       int label_id) override {
    wait_windows.push_back({caption, label, label_id, {}, false});
    return std::make_unique<RecordedWaitWindow>(*this, wait_windows.size() - 1);
  }
  // The work runs here: the tests have no windows to keep answering.
  void RunBesideMessageLoop(const std::function<void()>& work) override {
    ++work_depth_;
    try {
      work();
    } catch (...) {
      --work_depth_;
      throw;
    }
    --work_depth_;
  }
  int ShowMessage(const std::string& text, const std::string& caption,
                  std::uint32_t flags) override {
    messages.push_back({text, caption, flags});
    if (work_depth_ > 0) ++messages_from_work;
    if ((flags & platform::mb::kYesNo) == 0) return platform::mb::kIdOk;
    if (answers.empty()) return platform::mb::kIdNo;
    const int answer = answers.front();
    answers.erase(answers.begin());
    return answer;
  }
  void Sleep(std::uint32_t milliseconds) override { sleeps.push_back(milliseconds); }
  platform::SystemError StartProcess(const std::string& application,
                                     const std::string& command_line,
                                     const std::string& working_directory) override {
    started.push_back({application, command_line, working_directory});
    return platform::error::kSuccess;
  }
  [[noreturn]] void Terminate(int exit_code) override { throw TerminateCalled(exit_code); }

 private:
  int work_depth_ = 0;

  class RecordedWaitWindow : public platform::WaitWindow {
   public:
    RecordedWaitWindow(RecordingOs& os, std::size_t index) : os_(os), index_(index) {}
    ~RecordedWaitWindow() override { os_.wait_windows[index_].closed = true; }
    void ShowProgress(std::size_t done, std::size_t total) override {
      os_.wait_windows[index_].progress.emplace_back(done, total);
    }

   private:
    RecordingOs& os_;
    std::size_t index_;
  };
};

// ---------------------------------------------------------------- the dialog as the player sees it

struct ControlState {
  std::string name;
  bool checked = false;
  bool enabled = true;
  int selection = 0;
  std::vector<std::string> items;

  bool operator==(const ControlState&) const = default;
};

// Every control of a dialog, by ID.
using DialogState = std::map<int, ControlState>;

inline DialogState StateOf(platform::DialogControls& dialog, const platform::DialogLayout& layout) {
  DialogState state;
  for (const platform::ControlLayout& control : layout.controls) {
    ControlState& seen = state[control.id];
    seen.name = control.name;
    seen.checked = dialog.IsChecked(control.id);
    seen.enabled = dialog.IsEnabled(control.id);
    seen.selection = dialog.Selection(control.id);
    for (int item = 1; item <= dialog.ItemCount(control.id); ++item) {
      seen.items.push_back(dialog.ItemText(control.id, item));
    }
  }
  return state;
}

// One line for each control whose state differs; "" when they all agree.
inline std::string Differences(const DialogState& expected, const DialogState& actual) {
  const auto describe = [](const ControlState& control) {
    std::string text = std::string(control.checked ? "checked" : "unchecked") +
                       (control.enabled ? " enabled" : " disabled") + " item " +
                       std::to_string(control.selection) + " of [";
    for (const std::string& item : control.items) text += item + ";";
    return text + "]";
  };
  std::string lines;
  for (const auto& [id, want] : expected) {
    const auto got = actual.find(id);
    if (got == actual.end()) {
      lines += want.name + ": missing\n";
    } else if (!(got->second == want)) {
      lines += want.name + ": " + describe(got->second) + ", expected " + describe(want) + "\n";
    }
  }
  return lines;
}

// The state after `changes`, as the dialog would show it.
inline void Apply(DialogState& state, const std::vector<platform::ControlChange>& changes) {
  using Action = platform::ControlChange::Action;
  for (const platform::ControlChange& change : changes) {
    ControlState& control = state.at(change.control);
    switch (change.action) {
      case Action::kCheck: control.checked = true; break;
      case Action::kUncheck: control.checked = false; break;
      case Action::kEnable: control.enabled = true; break;
      case Action::kDisable: control.enabled = false; break;
      case Action::kSelect: control.selection = change.item; break;
    }
  }
}

}  // namespace veyra::testing
