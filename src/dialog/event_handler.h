// The event handler of the open settings dialog: keeps dependent options
// consistent, applies the preset buttons, starts the tools, keeps the focus
// across deactivation, and ends the dialog with OK or Cancel.
#pragma once

#include <functional>

#include "model/program_state.h"
#include "platform/dialog.h"
#include "platform/os.h"

namespace veyra::dialog {

// True when a command's notification code counts as a click (0 or 1).
inline bool IsClick(int code) { return code == 0 || code == 1; }

// Asked when OK is pressed, before anything is written: false keeps the
// dialog open with the player's choices (it has said why).
using BeforeChanges = std::function<bool()>;

// Run when the undo button is clicked: asks, undoes and shows the dialog's
// controls as the game's files then are.
using UndoRequested = std::function<void(platform::DialogControls&)>;

class SettingsDialogEvents : public platform::DialogEvents {
 public:
  SettingsDialogEvents(platform::Os& os, model::ProgramState& state,
                       BeforeChanges before_changes = {}, UndoRequested undo = {})
      : os_(os),
        state_(state),
        before_changes_(std::move(before_changes)),
        undo_(std::move(undo)) {}

  bool OnCommand(platform::DialogControls& dialog, int id, int code) override;
  void OnActivationChange(platform::DialogControls& dialog, bool active) override;
  // A system close request leaves the installation untouched, as Cancel does.
  void OnCloseRequest(platform::DialogControls& dialog) override;

 private:
  void Confirm(platform::DialogControls& dialog);
  void Cancel(platform::DialogControls& dialog);

  platform::Os& os_;
  model::ProgramState& state_;
  BeforeChanges before_changes_;
  UndoRequested undo_;
  // While an undo runs, its windows keep the dialog's messages flowing: a
  // click or a close request then would act on files half put back.
  bool undoing_ = false;
  platform::FocusToken RememberedFocus = 0;
};

}  // namespace veyra::dialog
