// The dialog's undo button: enabled while there is a recorded change the
// player can undo, its tip naming that change; a click asks, undoes it, and
// leaves the dialog open showing what the game's files then hold.
#pragma once

#include "model/program_state.h"
#include "platform/dialog.h"
#include "platform/os.h"

namespace veyra::app {

// Enables the button and names the change in its tip, or greys it out and
// says why: nothing to undo, or sets that cannot all be read.
void RefreshUndoButton(platform::Os& os, const model::ProgramState& state,
                       platform::DialogControls& dialog);

// Every control as a start on the game folder now would show it: what the
// player clicked since is dropped, and the detection runs again.
void ShowStateOnDisk(platform::Os& os, model::ProgramState& state,
                     platform::DialogControls& dialog);

// The button's click.
void UndoFromDialog(platform::Os& os, model::ProgramState& state,
                    platform::DialogControls& dialog);

}  // namespace veyra::app
