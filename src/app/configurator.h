// The program from start to end, over the operating-system interface.
#pragma once

#include "model/program_state.h"
#include "platform/os.h"

namespace veyra::app {

// The message shown when the start directory cannot be read.
inline constexpr const char* kStartDirectoryFailure = "Kann Directory Puffer nicht anlegen";

// Start-up: common controls, value tables, start directory and base paths,
// then the settings dialog routine, or the command the arguments name.
// Returns the process exit code: 0 after the dialog, the command's otherwise.
int RunConfigurator(platform::Os& os, model::ProgramState& state);

// The settings dialog routine: builds the hidden dialog, sets its texts and
// initial state, runs it modally and, unless cancelled, the apply phase.
void RunSettingsDialog(platform::Os& os, model::ProgramState& state);

}  // namespace veyra::app
