// The two tool buttons: the SweetFX preset in the system's text editor, and
// the companion character tool.
#pragma once

#include <string>

#include "model/program_state.h"
#include "platform/dialog.h"
#include "platform/os.h"

namespace veyra::dialog {

// Opens the selected SweetFX preset (Default.txt when none is selected) in
// notepad.exe from the system folder, without waiting for it.
void EditPreset(platform::Os& os, platform::DialogControls& dialog, const model::ProgramState& state);

// Starts Mienwerk\Mienwerk.exe below the start directory unless a process of
// that name runs already; does not wait for it.
void StartCompanionTool(platform::Os& os, const model::ProgramState& state);

// 1 when `name` occurs in the list of running processes (one line per process,
// "ID: <id>", a tab, "File: <executable>", CR LF), case-sensitively and also
// inside a longer name; 1 as well when the processes cannot be listed.
int IsProcessRunning(platform::Os& os, const std::string& name);

}  // namespace veyra::dialog
