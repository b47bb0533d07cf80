// Switching the game's own anti-aliasing off when post-processing
// anti-aliasing (FXAA, or SMAA through a SweetFX preset) takes its place.
#pragma once

#include "platform/os.h"

namespace veyra::install {

// Writes 0 to the four anti-aliasing values of the games' and the
// modification's Settings keys: 36 writes, each failure shown on its own.
void ResetAntiAliasing(platform::Os& os);

}  // namespace veyra::install
