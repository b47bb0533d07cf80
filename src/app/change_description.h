// A recorded change in the player's words: what undoing a backup set brings
// back, option by option, and when the change was made. The undo button's
// tip and its question, and the offer after an OK that could not finish, say
// it so.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "backups/backup_set.h"
#include "platform/os.h"

namespace veyra::app {

// The kept content under a hash; nothing when it cannot be read.
using KeptContent = std::function<std::optional<std::string>(const std::string& hash)>;

// The contents kept in the game folder's store.
KeptContent KeptContentOf(platform::Os& os, const std::string& game_folder);

// What undoing `set` brings back, one item per option it changed, in a fixed
// order: "Weapons: Veyra Mod's weapons → original weapons" (what is there now,
// then what comes back), "SweetFX: on → off", "the console scripts of the
// three games", and "2 other files" for what belongs to no option. A content
// set's direction is read from its tag's kept old content, an injector's from
// whether its marker file was there before; where neither tells, the item
// names the option and its files only.
std::vector<std::string> WhatUndoingBringsBack(const backups::BackupSet& set,
                                               const std::string& language,
                                               const KeptContent& kept);

// The options (content switches and injectors) whose step made the set's last
// change: in a run that was ended, the step it was ended in. A file both
// injectors use names both.
std::vector<int> OptionsOfLastChange(const backups::BackupSet& set);

// When the set was begun, as the player reads a date in the interface
// language: "7 December 2026, 14:30", "7. Dezember 2026, 14:30 Uhr". A time
// of another form is given back as it is.
std::string ChangeTimeText(const std::string& started, const std::string& language);

}  // namespace veyra::app
