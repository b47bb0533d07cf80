// A dialog held in memory, with the observable behaviour of the Win32 one:
// lists count from 1, removing or inserting an item shifts the selection as a
// combo box does, and check and enabled states are independent. The native
// build shows it nowhere; tests drive it directly.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/dialog.h"

namespace veyra::platform {

class MemoryDialog : public Dialog {
 public:
  struct Control {
    ControlKind kind;
    std::string text;
    bool checked = false;
    bool enabled = true;
    std::vector<std::string> items;
    int selection = 0;
    std::string tooltip;
    std::string unavailable_tooltip;
  };

  explicit MemoryDialog(const DialogLayout& layout);

  std::string Caption() override { return caption_; }
  void SetCaption(const std::string& text) override { caption_ = text; }
  std::string Text(int id) override;
  void SetText(int id, const std::string& text) override;
  bool IsChecked(int id) override;
  void SetChecked(int id, bool checked) override;
  bool IsEnabled(int id) override;
  void SetEnabled(int id, bool enabled) override;
  int ItemCount(int id) override;
  std::string ItemText(int id, int item) override;
  void AddItem(int id, const std::string& text) override;
  void RemoveItem(int id, int item) override;
  void InsertItem(int id, int item, const std::string& text) override;
  int Selection(int id) override;
  void Select(int id, int item) override;
  void SetToolTip(int id, const std::string& text, const std::string& unavailable_text) override;
  FocusToken FocusedControl() override { return focus_; }
  void SetFocus(FocusToken control) override { focus_ = control; }
  void EndDialog() override { ended_ = true; }

  // Runs `script` (the user's actions) with the events. A dialog the script did
  // not end is then closed as the system closes a window, with a close request.
  void RunModal(DialogEvents& events) override;
  void SetScript(std::function<void(MemoryDialog&, DialogEvents&)> script) {
    script_ = std::move(script);
  }

  bool ended() const { return ended_; }
  bool shown() const { return shown_; }
  // The control, or nullptr when the dialog has none with this ID.
  const Control* Find(int id) const;

 private:
  Control* Lookup(int id);

  std::string caption_;
  std::map<int, Control> controls_;
  FocusToken focus_ = 0;
  bool ended_ = false;
  bool shown_ = false;
  std::function<void(MemoryDialog&, DialogEvents&)> script_;
};

}  // namespace veyra::platform
