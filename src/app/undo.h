// Undoing what the program changed: the offer at start to undo a run that
// was interrupted, and the commands /restore, /history and /?.
#pragma once

#include <string>
#include <vector>

#include "model/program_state.h"
#include "platform/os.h"

namespace veyra::app {

// Exit codes of the commands.
inline constexpr int kExitDone = 0;
inline constexpr int kExitNothingDone = 1;  // nothing to restore, or the player said No
inline constexpr int kExitFailed = 2;       // reported in a message

// When the newest backup set was interrupted (the program ended during a
// change), asks whether to undo it: Yes puts it back, No leaves the files as
// they are. Either way the set is not offered again.
void OfferRecovery(platform::Os& os, const model::ProgramState& state);

// Runs the command the arguments name; returns the exit code.
int RunCommand(platform::Os& os, const model::ProgramState& state,
               const std::vector<std::string>& arguments);

}  // namespace veyra::app
