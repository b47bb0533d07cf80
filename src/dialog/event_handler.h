// The event handler of the open settings dialog: keeps dependent options
// consistent, applies the preset buttons, starts the tools, keeps the focus
// across deactivation, and ends the dialog with OK or Cancel.
#pragma once

#include "model/program_state.h"
#include "platform/dialog.h"
#include "platform/os.h"

namespace veyra::dialog {

// True when a command's notification code counts as a click (0 or 1).
inline bool IsClick(int code) { return code == 0 || code == 1; }

class SettingsDialogEvents : public platform::DialogEvents {
 public:
  SettingsDialogEvents(platform::Os& os, model::ProgramState& state) : os_(os), state_(state) {}

  bool OnCommand(platform::DialogControls& dialog, int id, int code) override;
  void OnActivationChange(platform::DialogControls& dialog, bool active) override;
  // A system close request leaves the installation untouched, as Cancel does.
  void OnCloseRequest(platform::DialogControls& dialog) override;

 private:
  void Confirm(platform::DialogControls& dialog);
  void Cancel(platform::DialogControls& dialog);

  platform::Os& os_;
  model::ProgramState& state_;
  platform::FocusToken RememberedFocus = 0;
};

}  // namespace veyra::dialog
