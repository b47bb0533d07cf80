// The dialog seen through control IDs: what the logic reads and sets on the
// live controls, and the events the dialog delivers. The Win32 backend drives
// real controls; tests use an in-memory dialog with the same interface.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>

namespace veyra::platform {

enum class ControlKind {
  kPushButton,        // plain push button
  kFlatButton,        // flat, text centred both ways
  kFlatBorderButton,  // the same with a thin border
  kCheckBox,          // automatic check box
  kFrame,             // group box
  kLabel,             // left-aligned static text
  kDropDownList,      // non-editable combo box with vertical scroll bar
};

// One control of a dialog, positions in dialog units.
struct ControlLayout {
  int id;
  const char* name;
  ControlKind kind;
  short x, y, width, height;  // for a drop-down list `height` is the opened list's
  const char* text;           // UTF-8
  bool grey_text;             // drawn in RGB(128,128,128) on the dialog's background
};

struct DialogLayout {
  const char* caption;  // UTF-8
  short width, height;  // dialog units; the dialog is centred
  const char* font_face;
  short font_points;
  std::span<const ControlLayout> controls;  // creation order = tab order
};

// Opaque handle of the control that holds the keyboard focus; 0 = none.
using FocusToken = std::uintptr_t;

class DialogControls {
 public:
  virtual ~DialogControls() = default;

  virtual std::string Caption() = 0;
  virtual void SetCaption(const std::string& text) = 0;

  virtual std::string Text(int id) = 0;
  virtual void SetText(int id, const std::string& text) = 0;

  // Check and enabled states are independent: disabling never unchecks.
  virtual bool IsChecked(int id) = 0;
  virtual void SetChecked(int id, bool checked) = 0;
  virtual bool IsEnabled(int id) = 0;
  virtual void SetEnabled(int id, bool enabled) = 0;

  // Lists count their items from 1; selection 0 means none.
  virtual int ItemCount(int id) = 0;
  virtual std::string ItemText(int id, int item) = 0;  // "" for an item the list lacks
  virtual void AddItem(int id, const std::string& text) = 0;
  // Adds `texts` at the end, in order, as AddItem one by one would. A whole
  // list in one request lets a real list reserve its storage and redraw once.
  virtual void AddItems(int id, std::span<const std::string> texts) {
    for (const std::string& text : texts) AddItem(id, text);
  }
  virtual void RemoveItem(int id, int item) = 0;
  virtual void InsertItem(int id, int item, const std::string& text) = 0;  // becomes item `item`
  virtual int Selection(int id) = 0;
  virtual void Select(int id, int item) = 0;  // an item the list lacks leaves no selection

  // The help shown while the mouse rests on the control: `text` while it is
  // enabled, `unavailable_text` (why it is greyed out) while it is disabled;
  // an empty `unavailable_text` keeps `text` then. Setting it again replaces both.
  virtual void SetToolTip(int id, const std::string& text, const std::string& unavailable_text) = 0;

  virtual FocusToken FocusedControl() = 0;
  virtual void SetFocus(FocusToken control) = 0;

  // Ends the modal loop; the dialog is destroyed when RunModal returns.
  virtual void EndDialog() = 0;
};

// One change the program makes to a control: the steps the detection and the
// dialog's rules are written in, and what tests expect of them.
struct ControlChange {
  enum class Action { kCheck, kUncheck, kEnable, kDisable, kSelect };
  Action action;
  int control;
  int item = 0;  // kSelect: the 1-based item, 0 for none

};

// The changes of one table cell, run in this order.
using ControlChanges = std::initializer_list<ControlChange>;

constexpr ControlChange Check(int control) { return {ControlChange::Action::kCheck, control}; }
constexpr ControlChange Uncheck(int control) { return {ControlChange::Action::kUncheck, control}; }
constexpr ControlChange Enable(int control) { return {ControlChange::Action::kEnable, control}; }
constexpr ControlChange Disable(int control) { return {ControlChange::Action::kDisable, control}; }
constexpr ControlChange Select(int control, int item) {
  return {ControlChange::Action::kSelect, control, item};
}

void Apply(DialogControls& dialog, const ControlChange& change);
void Apply(DialogControls& dialog, std::span<const ControlChange> changes);

// What the open dialog tells the program. Handlers change only controls,
// except where a command hands over to the tools, the save or the end.
class DialogEvents {
 public:
  virtual ~DialogEvents() = default;
  // A command from a control: `code` is the notification code (0 or 1 for a click).
  // Returns true when the command ended the dialog.
  virtual bool OnCommand(DialogControls& dialog, int id, int code) = 0;
  // Non-client activation change: `active` false when the dialog loses activation.
  virtual void OnActivationChange(DialogControls& dialog, bool active) = 0;
  // A system close request (Alt+F4, the taskbar's close command).
  virtual void OnCloseRequest(DialogControls& dialog) = 0;
};

class Dialog : public DialogControls {
 public:
  // Shows the dialog and dispatches its events until EndDialog is called.
  virtual void RunModal(DialogEvents& events) = 0;
};

}  // namespace veyra::platform
