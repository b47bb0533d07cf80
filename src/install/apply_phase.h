// After OK: brings the game folders in line with the confirmed options.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "backups/journal.h"
#include "install/injectors.h"
#include "model/program_state.h"
#include "platform/os.h"

namespace veyra::install {

// The weapon set's folders, below the set's hl2 branch and below each game's
// custom folder alike.
inline constexpr std::array<const char*, 10> kWeaponFolders = {
    "models\\weapons\\",         "scripts\\",
    "sound\\weapons\\357\\",     "sound\\weapons\\ar1\\",
    "sound\\weapons\\ar2\\",     "sound\\weapons\\Irifle\\",
    "sound\\weapons\\pistol\\",  "sound\\weapons\\rpg\\",
    "sound\\weapons\\shotgun\\", "sound\\weapons\\smg1\\",
};

// The whole apply sequence; does nothing when the player cancelled. Content
// sets and ReShade change only where the choice differs from what was
// installed; the effect files, SweetFX, FXAA and VR steps run every time.
// Each content switch and injector step completes or, through `journal` (on
// which `os` makes its changes), is put back whole. The injector steps leave
// the `kept` files where they are.
void RunApplyPhase(platform::Os& os, model::ProgramState& state, backups::Journal& journal,
                   const KeptFiles& kept = {});

// The files one OK would change, as its steps would plan them now: the copies
// the content switches and injectors would make, the text files rewritten in
// place (the console scripts the dialog saves, the precache lists, the preset
// file) and the files deleted, the last two whether they exist or not.
struct ChangePlan {
  std::vector<platform::Os::FileCopy> written;
  std::vector<std::string> rewritten;
  std::vector<std::string> deleted;
  InjectorPlan injectors;
};
ChangePlan PlanApplyPhase(platform::Os& os, const model::ProgramState& state);

// Turns a German language name into Steam's language key, as the wait windows
// choose their texts by the key; any other name comes back unchanged.
std::string LanguageNameMapping(const std::string& name);

}  // namespace veyra::install
