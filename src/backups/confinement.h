// What a set may ask of a restore. A set is a file in the game folder, and
// anyone who can put files there (a mod, a settings pack) can write one, so
// nothing it names is trusted: every line must name a file or folder below the
// game folder (links followed), outside the backups themselves, or one of the
// registry values the program itself writes. A set with one line that does
// not is refused whole.
#pragma once

#include <optional>
#include <string>

#include "backups/backup_set.h"
#include "platform/os.h"

namespace veyra::backups {

// True when `relative` is a plain path below a folder: no drive, no UNC or
// device prefix, no root, no "." or ".." part, no stream, no device name, no
// part that Windows would trim to another name.
bool IsPlainRelativePath(const std::string& relative);

// True when `path` (below `game_folder`) still lies in the game folder once
// every link on the way is followed.
bool StaysInGameFolder(platform::Os& os, const std::string& game_folder, const std::string& path);

// The first line of `set` that a restore must not act on, as the manifest
// holds it; nullopt when there is none.
std::optional<std::string> FirstForbiddenLine(platform::Os& os, const std::string& game_folder,
                                              const BackupSet& set);

}  // namespace veyra::backups
