// The dialog's texts in the interface language, which follows the Steam client.
#pragma once

#include <string>
#include <vector>

#include "model/program_state.h"
#include "platform/dialog.h"

namespace veyra::app {

// True when `language` selects the German texts (exactly "german" or "deutsch").
bool IsGermanInterface(const std::string& language);

// Sets the caption, every translated control text and the items of the two
// level lists. Changes no check mark and no enabled state.
void InterfaceTexts(const std::string& language, platform::DialogControls& dialog,
                    const model::ProgramState& state);

// The control of each row of the translated texts, in table order; 0 stands
// for the caption.
std::vector<int> ControlsOfTextRows();

}  // namespace veyra::app
