// What is checked after OK and before the first change: that the game does
// not use the files the change would write, that the drive has room for it,
// and whether libraries of the player's own would be deleted.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "install/injectors.h"
#include "model/program_state.h"
#include "platform/os.h"

namespace veyra::app {

// Runs the checks for the change `planned` (the state with the confirmed
// choices). While the game runs or another program holds a file the change
// would write, one message says so and asks to close it: Retry checks again,
// Cancel gives up. Too little free space is said in one message. The
// post-processing libraries the removal would delete that are not the
// modification's are named in one question: No keeps them.
// The files the apply phase is to leave in place, or nullopt when nothing may
// change now (the player has been told why).
std::optional<install::KeptFiles> CheckBeforeChanges(platform::Os& os,
                                                     const model::ProgramState& planned);

// A number of bytes as the player reads it: KB below one megabyte, else MB
// with one decimal (a decimal comma in German); rounded up or down.
enum class Rounding { kUp, kDown };
std::string ByteCount(std::uint64_t bytes, bool german, Rounding rounding);

}  // namespace veyra::app
