// How the options of the settings dialog hang together: the reactions to a
// click on a check box, and the three preset buttons.
#pragma once

#include <vector>

#include "platform/dialog.h"

namespace veyra::dialog {

// Runs the reaction to a click on a check box, given its new check state; any
// other control has none.
void ReactToCheckBoxClick(platform::DialogControls& dialog, int control);

// Sets every control a preset button names to the button's state. Returns
// false when `button` is not one of the three preset buttons.
bool ApplyPresetButton(platform::DialogControls& dialog, int button);

// The control of each row of the click reactions and of the preset buttons'
// table, in table order: every check box has one row in each.
std::vector<int> ControlsOfReactionRows();
std::vector<int> ControlsOfPresetRows();

}  // namespace veyra::dialog
