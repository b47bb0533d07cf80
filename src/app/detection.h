// Works out what is installed and configured from the game's own files,
// before the dialog is shown: creates missing configuration files, sets every
// control, and fills the settings and installed state.
#pragma once

#include <string>
#include <vector>

#include "model/program_state.h"
#include "platform/dialog.h"
#include "platform/os.h"

namespace veyra::app {

void DetectInstalledState(platform::Os& os, model::ProgramState& state,
                          platform::DialogControls& dialog);

// The check box of each console-settings test of the detection, in the order
// the tests run: every box a console setting keeps has one.
std::vector<int> ControlsOfDetectionRows();

// The preset names offered: the plain files matching "SweetFX\Presets\*.*"
// below the start directory, in directory order, at most 1000, each with every
// ".txt" removed. A folder that cannot be listed whole is reported with the
// open-failure message naming it; what was read before is offered.
std::vector<std::string> ListSweetFxPresets(platform::Os& os, const std::string& start_directory);

}  // namespace veyra::app
