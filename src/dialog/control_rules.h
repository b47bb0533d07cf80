// How the options of the settings dialog hang together: the reactions to a
// click on a check box, and the three preset buttons.
#pragma once

#include "platform/dialog.h"

namespace veyra::dialog {

// Runs the reaction to a click on a check box, given its new check state.
// Returns false when the control has no reaction.
bool ReactToCheckBoxClick(platform::DialogControls& dialog, int control);

// Sets every control a preset button names to the button's state. Returns
// false when `button` is not one of the three preset buttons.
bool ApplyPresetButton(platform::DialogControls& dialog, int button);

}  // namespace veyra::dialog
