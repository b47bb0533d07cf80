// The program from start to end, over the operating-system interface.
#pragma once

#include "model/program_state.h"
#include "platform/os.h"

namespace veyra::app {

// The message shown when the start directory cannot be read.
inline constexpr const char* kStartDirectoryFailure = "Kann Directory Puffer nicht anlegen";

// The exit code when the program was not started in the game's installation
// folder (ERROR_PATH_NOT_FOUND): one message says so, and nothing is touched.
inline constexpr int kExitWrongFolder = 3;

// Start-up: common controls, value tables, start directory and base paths,
// the interface language, then the command the arguments name or, in the
// game's installation folder, the settings dialog routine. Returns the
// process exit code: 0 after the dialog, kExitWrongFolder when the folder
// is not the game's, the command's otherwise.
int RunConfigurator(platform::Os& os, model::ProgramState& state);

// The settings dialog routine: builds the hidden dialog, sets its texts (in
// the language read at start) and initial state, runs it modally and, unless
// cancelled, the apply phase.
void RunSettingsDialog(platform::Os& os, model::ProgramState& state);

}  // namespace veyra::app
