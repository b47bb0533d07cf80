// The sun-rays choice written into the three post-processing precache lists.
#pragma once

#include "app/program_state.h"
#include "platform/os.h"

namespace veyra::install {

// Switches the normal and strong sun-rays entries of the three precache lists
// to the confirmed choice, 300 ms apart. Missing lists are passed over.
void ApplySunraysChoice(platform::Os& os, const app::ProgramState& state);

}  // namespace veyra::install
