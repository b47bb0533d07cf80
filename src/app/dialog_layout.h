// The settings dialog as data: caption, size, font and its 61 controls.
#pragma once

#include "platform/dialog.h"

namespace veyra::app {

const platform::DialogLayout& SettingsDialogLayout();

// Provisional items of the two level lists, replaced by the interface texts.
extern const char* const kProvisionalBloomItems[8];
extern const char* const kProvisionalSunraysItems[2];

}  // namespace veyra::app
