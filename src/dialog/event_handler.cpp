#include "dialog/event_handler.h"

#include "dialog/confirmation.h"
#include "dialog/control_rules.h"
#include "dialog/external_tools.h"
#include "model/control_ids.h"

namespace veyra::dialog {

using namespace model;

bool SettingsDialogEvents::OnCommand(platform::DialogControls& dialog, int id, int code) {
  if (undoing_) return false;
  if (id == IDC_MIENWERK) {  // every command of this button starts the tool
    StartCompanionTool(os_, state_);
    return false;
  }
  // Anything but a click, such as a list's selection change, needs no reaction.
  if (!IsClick(code)) return false;
  switch (id) {
    case IDC_OK:
      Confirm(dialog);
      return true;
    case IDC_CANCEL:
      Cancel(dialog);
      return true;
    case IDC_PRESET_EDIT:
      EditPreset(os_, dialog, state_);
      return false;
    case IDC_UNDO:
      if (undo_) {
        undoing_ = true;
        undo_(dialog);
        undoing_ = false;
      }
      return false;
    default:
      if (!ApplyPresetButton(dialog, id)) ReactToCheckBoxClick(dialog, id);
      return false;
  }
}

void SettingsDialogEvents::OnActivationChange(platform::DialogControls& dialog, bool active) {
  if (!active) {
    RememberedFocus = dialog.FocusedControl();
  } else if (RememberedFocus != 0) {
    dialog.SetFocus(RememberedFocus);
    RememberedFocus = 0;
  }
}

void SettingsDialogEvents::OnCloseRequest(platform::DialogControls& dialog) {
  if (!undoing_) Cancel(dialog);
}

void SettingsDialogEvents::Confirm(platform::DialogControls& dialog) {
  if (before_changes_ && !before_changes_()) return;
  CaptureSettings(dialog, state_.Settings);
  SaveConsoleScripts(os_, state_);
  dialog.EndDialog();
}

void SettingsDialogEvents::Cancel(platform::DialogControls& dialog) {
  state_.CancelRequested = 1;
  dialog.EndDialog();
}

}  // namespace veyra::dialog
