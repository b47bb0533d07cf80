// Leaving the dialog with OK: the options are taken from the controls and the
// console scripts of the three games are rewritten with them.
#pragma once

#include "model/program_state.h"
#include "platform/dialog.h"
#include "platform/os.h"

namespace veyra::dialog {

// Every option from its control: check boxes whether enabled or not, the
// level lists as 1-based selections (0 for none), the SweetFX preset as the
// selected item's text. VrMode becomes 0: the dialog has no control for it.
void CaptureSettings(platform::DialogControls& dialog, model::SettingsState& settings);

// Rewrites VYhl2, VYepisodic and VYep2's cfg\autoexec.cfg, in this order,
// through RegenerateSettingsBlock. A file that cannot be
// opened is reported and skipped; the others are still rewritten.
void SaveConsoleScripts(platform::Os& os, const model::ProgramState& state);

}  // namespace veyra::dialog
