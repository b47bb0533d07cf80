// The dialog's texts in the interface language, which follows the Steam client.
#pragma once

#include <string>
#include <vector>

#include "model/program_state.h"
#include "platform/dialog.h"

namespace veyra::app {

// The rule lies with the model, so that the install steps follow it too.
using model::IsGermanInterface;

// "1 file", "2 registry values": a count with its noun in the language's number.
enum class Counted { kFiles, kRegistryValues };
std::string CountText(const std::string& language, Counted noun, std::size_t count);

// Sets the caption, every translated control text, the tooltips of the check
// boxes, lists and buttons, and the items of the two level lists. Changes no
// check mark and no enabled state.
void InterfaceTexts(const std::string& language, platform::DialogControls& dialog,
                    const model::ProgramState& state);

// The control of each translated text, those of the other controls' table
// (0 stands for the caption), then those of the option rows; a check box whose
// layout fixes its text has none.
std::vector<int> ControlsOfTextRows();
// The control of each tooltip: the other controls' table, then the option rows.
std::vector<int> ControlsOfToolTipRows();

// A list's or button's tip in the language, as InterfaceTexts sets it: what
// it does, and why it is greyed out ("" when it never is).
struct ToolTip {
  std::string text;
  std::string unavailable;
};
ToolTip ToolTipOf(const std::string& language, int control);

// The texts of the messages about backups, about the start folder and of the
// command line. "%1", "%2" ... stand for what MessageText is given, in order.
enum class Message {
  kCaption,              // the caption of these messages
  kRecoveryQuestion,     // %1 the time of the interrupted change
  kRestoreQuestion,      // %1 the time of the change, %2 the files, %3 the values (CountText)
  kRestoreManyQuestion,  // %1 how many changes, %2 the time of the oldest, %3 files, %4 values
  kNothingToRestore,
  kRestoreFailed,        // %1 what failed
  kHistoryTitle,
  kNoHistory,
  kUsage,
  kWrongFolder,          // %1 the folder the program was started in
  kBusy,                 // %1 the game folder
  kSetRefused,           // %1 the set, %2 the line
  kContentsDamaged,      // %1 the files and values, one a line
  kNoRoomToRestore,      // %1 needed, %2 free, %3 the game folder
  kNoSuchSet,            // %1 the name asked for
  kUndoneBy,             // %1 the set that undid it (ends a line of the history)
  kGameInUse,            // %1 what uses the game's files, one a line
  kGameRunning,          // a line of kGameInUse
  kFileInUse,            // a line of kGameInUse: %1 the file
  kFileAndOneMoreInUse,  // a line of kGameInUse: %1 the first file
  kFilesInUse,           // a line of kGameInUse: %1 the first file, %2 how many more (2 or more)
  kNotEnoughSpace,       // %1 the bytes needed, %2 those free, %3 the game folder
  kForeignLibrary,       // %1 the file
  kForeignLibraries,     // %1 the files, one a line
  kUndoButtonTip,        // %1 the time of the change, %2 what it changed
  kChangesUnreadable,    // %1 the file that cannot be read
  kUndoQuestion,         // %1 the time of the change, %2 what comes back, one a line
  kUnfinishedOkQuestion, // %1 what comes back, one a line
  kUnexpectedError,      // %1 the reason
  kUnknownError,         // the reason of a failure that names none
  kHistoryRestore,       // the action of a set that undid others, in a line of the history
  kHistoryRecovery,      // the action of a set that undid an interrupted change
  kHistoryFilesIn,       // %1 the files, %2 the folders they lie in
  kHistoryInterrupted,   // ends the line of a set that did not finish
};

std::string MessageText(const std::string& language, Message message,
                        const std::vector<std::string>& inserts = {});

}  // namespace veyra::app
