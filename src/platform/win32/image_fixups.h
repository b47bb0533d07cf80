// The configurator's exports are called by programs that load the .exe as a
// library. A loader maps an executable loaded that way without binding its
// imports (and Wine also without applying its relocations), so before an
// export touches anything else it completes the image itself.
#pragma once

namespace veyra::platform::win32 {

// True when this module's relocations are applied and its imports bound: at
// once when it runs as the process's program, otherwise after doing both
// (system libraries from System32 only). Touches no import and no absolute
// address before that is done.
bool EnsureImageReady();

}  // namespace veyra::platform::win32
