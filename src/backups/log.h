// "VeyraConfig backups\log.txt": every change and every failure, for the
// player to read. It keeps its newer half once it passes one mebibyte.
#pragma once

#include <string>

#include "platform/os.h"

namespace veyra::backups {

// The log keeps its newer half once it passes this size.
inline constexpr std::size_t kLogLimit = 1 << 20;

// Appends `lines` (each ended by CR LF). A log that cannot be written loses
// the lines: the changes are recorded in the sets all the same.
void AppendToLog(platform::Os& os, const std::string& game_folder, const std::string& lines);

// "  failed copy C:\...: system error 5 (Error: 70, Permission denied)" and its line end.
std::string FailureLine(const platform::Result& failure);

}  // namespace veyra::backups
