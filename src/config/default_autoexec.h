// The autoexec.cfg a modification folder gets when it has none: the
// recommended console settings, commented, then a first generated block that
// the first confirmation replaces.
#pragma once

#include <string>

#include "platform/os.h"

namespace veyra::config {

// The 204 lines, each ended by CR LF.
const std::string& DefaultAutoexecText();

// Creates (or overwrites) the file with the default text. A failed open is
// reported with the save-failure message without the path line; a failed
// write, which leaves the old content, with the message naming the path.
[[nodiscard]] bool WriteDefaultAutoexec(platform::Os& os, const std::string& path);

}  // namespace veyra::config
