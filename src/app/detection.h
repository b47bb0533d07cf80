// Works out what is installed and configured from the game's own files,
// before the dialog is shown: creates missing configuration files, sets every
// control, and fills the settings and installed state.
#pragma once

#include <string>
#include <vector>

#include "model/control_ids.h"
#include "model/game_paths.h"
#include "model/program_state.h"
#include "platform/dialog.h"
#include "platform/os.h"

namespace veyra::app {

// The tag file each content set brings, and the word in it that tells the
// mod's own set (the box checked) from the other.
struct ContentMarker {
  int control;
  const char* tag;   // below the game folder, as model::paths spells it
  const char* word;  // found in the tag (case matters): the box's content is installed
};
inline constexpr ContentMarker kContentMarkers[] = {
    {model::IDC_VEYRA_WEAPONS, model::paths::kWeaponsTag, "VY"},
    {model::IDC_ANAMORPH_FLARES, model::paths::kSpritesTag, "anamorph"},
    {model::IDC_VEYRA_SKILL, model::paths::kSkillTag, "vy"},
    {model::IDC_COAST_NIGHT, model::paths::kMapsTag, "night"},
};
constexpr const ContentMarker& MarkerOf(int control) {
  for (const ContentMarker& marker : kContentMarkers) {
    if (marker.control == control) return marker;
  }
  throw "no content set for this control";  // at compile time: does not build
}

void DetectInstalledState(platform::Os& os, model::ProgramState& state,
                          platform::DialogControls& dialog);

// The check box of each console-settings test of the detection, in the order
// the tests run: every box a console setting keeps has one.
std::vector<int> ControlsOfDetectionRows();

// The preset names offered: the plain files matching "SweetFX\Presets\*.*"
// below the start directory, in directory order, at most 1000, each with every
// ".txt" removed. A folder that cannot be listed whole is reported with the
// open-failure message naming it; what was read before is offered.
std::vector<std::string> ListSweetFxPresets(platform::Os& os, const std::string& start_directory);

}  // namespace veyra::app
