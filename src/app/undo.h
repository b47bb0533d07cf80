// Undoing what the program changed: the offer at start to undo a run that
// was interrupted (or to finish an undo that was), and the commands /restore,
// /history and /?. Whatever changes the game folder here holds its lock.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "backups/backup_set.h"
#include "model/program_state.h"
#include "platform/os.h"

namespace veyra::app {

// Exit codes of the commands.
inline constexpr int kExitDone = 0;
inline constexpr int kExitNothingDone = 1;  // nothing to restore, or the player said No
inline constexpr int kExitFailed = 2;       // reported in a message

// Says in one message that another instance is at work in the game folder.
void SayBusy(platform::Os& os, const model::ProgramState& state);

// The game folder's lock; without it (another instance is at work there) one
// message says so and the result is null.
std::unique_ptr<platform::Os::FolderLock> LockOrSay(platform::Os& os,
                                                    const model::ProgramState& state);

// Tidies up after a run that was cut short, then: when the newest backup set
// is an undo that was cut short, finishes it; when it is a change that was
// interrupted, asks whether to undo it (Yes puts it back, No leaves the files
// as they are; either way it is not offered again). Nothing happens while
// another instance is at work in the folder.
void OfferRecovery(platform::Os& os, const model::ProgramState& state);

// The undo button's click: asks whether to undo the change next in the walk
// back, naming its time and what comes back, and on Yes undoes it as /restore
// does (an undo cut short is finished instead, without asking). True when
// files or values may have changed.
bool UndoNextChange(platform::Os& os, const model::ProgramState& state);

// After an OK some step of which failed: asks whether to undo all of it, the
// set `set_name`; Yes puts it back, No keeps it. The log says which.
void OfferUndoOfUnfinishedOk(platform::Os& os, const model::ProgramState& state,
                             const std::string& set_name);

// The words of the /history lines in the interface language.
backups::SummaryWords HistoryWords(const std::string& language);

// Runs the command the arguments name; returns the exit code.
int RunCommand(platform::Os& os, const model::ProgramState& state,
               const std::vector<std::string>& arguments);

}  // namespace veyra::app
