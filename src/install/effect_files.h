// The sun-rays choice written into the three post-processing precache lists.
#pragma once

#include <string>

#include "model/program_state.h"
#include "platform/os.h"

namespace veyra::install {

// Switch the sun-ray effects in one precache list, using the patterns of
// `state`. A missing list has nothing to switch, which is no failure; any
// other failure is reported where it happens.
platform::Result EnableSunraysNormal(platform::Os& os, const model::ProgramState& state,
                                     const std::string& path);
platform::Result EnableSunraysStrong(platform::Os& os, const model::ProgramState& state,
                                     const std::string& path);
platform::Result DisableSunrays(platform::Os& os, const model::ProgramState& state,
                                const std::string& path);

// Switches the normal and strong sun-rays entries of the three precache lists
// to the confirmed choice, 300 ms apart. Missing lists are passed over.
void ApplySunraysChoice(platform::Os& os, const model::ProgramState& state);

}  // namespace veyra::install
