#include "install/apply_phase.h"

#include "config/text_file.h"
#include "install/anti_aliasing.h"
#include "install/directory_copy.h"
#include "install/effect_files.h"
#include "install/injectors.h"
#include "model/game_paths.h"

namespace veyra::install {
namespace {

namespace paths = model::paths;

struct LanguageName {
  const char* german_name;
  const char* steam_key;
};

constexpr LanguageName kLanguageNames[] = {
    {"englisch", "english"},       {"deutsch", "german"},       {"französisch", "french"},
    {"italienisch", "italian"},    {"japanisch", "japanese"},   {"koreanisch", "korean"},
    {"portugiesisch", "portuguese"}, {"russisch", "russian"},   {"chinesisch", "schinese"},
    {"spanisch", "spanish"},       {"thai-chinesisch", "tchinese"}, {"thailändisch", "thai"},
};

// The weapon set's folders, below the set's hl2 branch and below each game's
// custom folder alike.
constexpr const char* kWeaponFolders[] = {
    "models\\weapons\\",      "scripts\\",
    "sound\\weapons\\357\\",  "sound\\weapons\\ar1\\",
    "sound\\weapons\\ar2\\",  "sound\\weapons\\Irifle\\",
    "sound\\weapons\\pistol\\", "sound\\weapons\\rpg\\",
    "sound\\weapons\\shotgun\\", "sound\\weapons\\smg1\\",
};

// One folder of a content set copied over its destination. A failed copy ends
// that folder's copy alone, as it always has; the switch goes on with the rest.
void CopySetFolder(platform::Os& os, const std::string& source, const std::string& destination) {
  platform::Ignore(GuardedCopy(os, source, destination),
                   "a switch has never stopped at a folder whose copy failed");
}

void SwitchWeapons(platform::Os& os, const model::ProgramState& state) {
  const std::string set = state.Settings.VeyraWeapons == 1 ? "HD_weapons" : "LO_weapons";
  const struct {
    const std::string& base;
    const char* folder;
  } games[] = {
      {state.BasePath, "\\hl2"}, {state.EpisodicBasePath, "\\episodic"}, {state.Ep2BasePath, "\\ep2"}};
  for (const auto& game : games) {
    for (const char* folder : kWeaponFolders) {
      CopySetFolder(os, game.base + paths::kRepository + set + "\\hl2\\" + folder + ">",
                  game.base + game.folder + paths::kLooseFiles + folder);
    }
  }
}

void SwitchSprites(platform::Os& os, const model::ProgramState& state) {
  const std::string set =
      state.Settings.AnamorphFlares == 1 ? "Show_Anamorph_Sprites" : "Hide_Anamorph_Sprites";
  CopySetFolder(os, state.BasePath + paths::kRepository + set + "\\hl2\\materials\\sprites\\>",
              state.BasePath + "\\hl2" + paths::kLooseFiles + "materials\\sprites\\");
}

void SwitchDifficulty(platform::Os& os, const model::ProgramState& state) {
  const std::string source = state.BasePath + paths::kRepository +
                             (state.Settings.VeyraSkill == 1 ? "VY_Skill" : "VALVE_Skill") + "\\>";
  for (const char* mod : paths::kModFolders) {
    CopySetFolder(os, source, state.BasePath + mod + paths::kCfgFolder);
  }
}

void SwitchCoastSequence(platform::Os& os, const model::ProgramState& state) {
  const std::string maps = state.BasePath + paths::kCoastMaps;
  // Each time of day brings its maps and, where it has them, their node graphs.
  const std::string set = state.Settings.CoastNight == 1 ? "NIGHT\\" : "DAYLIGHT\\";
  CopySetFolder(os, maps + set + ">", maps);
  CopySetFolder(os, maps + set + "graphs\\>", maps + "graphs\\");
  os.Sleep(300);
}

// Runs a content switch in its wait window when the choice differs from what is installed.
void SwitchWhenChanged(platform::Os& os, const model::ProgramState& state, int chosen, int installed,
                       void (*switch_content)(platform::Os&, const model::ProgramState&)) {
  if (chosen == installed) return;
  auto window = ShowWaitWindow(os, state.SteamLanguage);
  switch_content(os, state);
}

void ApplyVrTag(platform::Os& os, const model::ProgramState& state) {
  const std::string tag = state.BasePath + paths::kVrTag;
  if (state.Settings.VrMode != 1) {
    platform::Ignore(os.Delete(tag), "no VR_TAG is the usual case, and no failure");
    os.Sleep(50);
    return;
  }
  if (config::FileExists(os, tag)) return;
  platform::SystemError code = platform::error::kSuccess;
  if (std::unique_ptr<platform::OpenFile> file = os.Open(tag, platform::FileAccess::kReadWrite, code)) {
    std::size_t written = 0;
    code = file->WriteFromStart("Holodeck\r\n", written);
  }
  os.Sleep(50);
  if (!config::FileExists(os, tag)) {
    config::ReportFileFailure(os, config::OpenFailureMessage::kCreateMarker, tag,
                              config::FileErrorFor(code));
  }
}

}  // namespace

void RunApplyPhase(platform::Os& os, model::ProgramState& state) {
  if (state.CancelRequested != 0) return;
  const model::SettingsState& chosen = state.Settings;
  const model::InstalledState& installed = state.Installed;

  ApplySunraysChoice(os, state);
  state.SteamLanguage = LanguageNameMapping(state.SteamLanguage);
  ApplySweetFx(os, state);
  ApplyReShade(os, state);
  if (chosen.Fxaa == 1) ResetAntiAliasing(os);
  SwitchWhenChanged(os, state, chosen.VeyraWeapons, installed.VeyraWeaponsInstalled, SwitchWeapons);
  SwitchWhenChanged(os, state, chosen.AnamorphFlares, installed.AnamorphFlaresInstalled, SwitchSprites);
  SwitchWhenChanged(os, state, chosen.VeyraSkill, installed.VeyraSkillInstalled, SwitchDifficulty);
  ApplyVrTag(os, state);
  SwitchWhenChanged(os, state, chosen.CoastNight, installed.CoastNightInstalled, SwitchCoastSequence);
}

std::string LanguageNameMapping(const std::string& name) {
  for (const LanguageName& entry : kLanguageNames) {
    if (name == entry.german_name) return entry.steam_key;
  }
  return name;
}

}  // namespace veyra::install
