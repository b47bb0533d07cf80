// The post-processing injectors: SweetFX with its preset file, and ReShade.
#pragma once

#include "model/program_state.h"
#include "platform/os.h"

namespace veyra::install {

// Installs SweetFX with the chosen preset when it is chosen, and otherwise
// removes its files (leaving those ReShade shares while ReShade stays chosen).
// The first copy, delete or rewrite that fails ends the step and is the result.
platform::Result ApplySweetFx(platform::Os& os, const model::ProgramState& state);

// Installs or removes ReShade when the choice differs from what was installed;
// the result as for SweetFX.
platform::Result ApplyReShade(platform::Os& os, const model::ProgramState& state);

}  // namespace veyra::install
