#include "dialog/event_handler.h"

#include "app/control_ids.h"

namespace veyra::dialog {

using namespace app;

bool SettingsDialogEvents::OnCommand(platform::DialogControls& dialog, int id, int code) {
  if (!IsClick(code)) return false;
  switch (id) {
    case IDC_OK:
      dialog.EndDialog();
      return true;
    case IDC_CANCEL:
      Cancel(dialog);
      return true;
    default:
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

void SettingsDialogEvents::OnCloseRequest(platform::DialogControls& dialog) { Cancel(dialog); }

void SettingsDialogEvents::Cancel(platform::DialogControls& dialog) {
  state_.CancelRequested = 1;
  dialog.EndDialog();
}

}  // namespace veyra::dialog
