// The last line of defence around the program's work: an exception that
// would otherwise end the process without a word is shown, and the program
// ends with an exit code that says it failed.
#pragma once

#include <functional>

#include "platform/os.h"

namespace veyra::app {

// The exit code after an unexpected failure (0 to 2 are those of the commands,
// 3 that of a start outside the game folder).
inline constexpr int kExitUnexpected = 4;

// Runs `work` and returns its exit code. When it throws, one message names
// the reason and kExitUnexpected is returned: by then the stack has been
// unwound, so every file the work held is closed and an unfinished change
// stays recorded, to be offered for undoing at the next start. The message is
// in the interface language `language` holds by then (the work finds it out).
int RunGuarded(platform::Os& os, const std::string& language, const std::function<int()>& work);

}  // namespace veyra::app
