// The steps of an interrupted change that the player chose to keep as they
// were: after No to the recovery question their content may be half switched.
// The detection shows those options as not installed and marks them neither
// installed nor not (model::kCutShort), so the next OK runs their steps again
// in full, whatever is chosen. The list lies in "VeyraConfig backups\" beside
// the sets: it is the program's own, and goes when those steps ran whole.
#pragma once

#include <string>
#include <vector>

#include "model/program_state.h"
#include "platform/dialog.h"
#include "platform/os.h"

namespace veyra::app {

std::string CutShortFile(const std::string& game_folder);

// Adds the options `controls` (content switches and injectors), cut short in
// the set `set_name`, to the list; a failure to write it is the result.
[[nodiscard]] platform::Result MarkCutShort(platform::Os& os, const std::string& game_folder,
                                            const std::string& set_name,
                                            const std::vector<int>& controls);

// The options on the list; none when there is no list.
std::vector<int> CutShortOptions(platform::Os& os, const std::string& game_folder);

// Whether every step on the list was cut short in the set `set_name`: once
// that set is undone, nothing on the list is half switched any more.
bool CutShortOnlyIn(platform::Os& os, const std::string& game_folder,
                    const std::string& set_name);

// Removes the list: the steps on it ran whole, or their set was undone.
void ClearCutShort(platform::Os& os, const std::string& game_folder);

// The detection's last word: every option on the list unchecked and cut short.
void ShowCutShortSteps(platform::Os& os, model::ProgramState& state,
                       platform::DialogControls& dialog);

}  // namespace veyra::app
