#include "install/apply_phase.h"

#include "config/file_errors.h"
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
    {"englisch", "english"},         {"deutsch", "german"},           {"französisch", "french"},
    {"italienisch", "italian"},      {"japanisch", "japanese"},       {"koreanisch", "korean"},
    {"portugiesisch", "portuguese"}, {"russisch", "russian"},         {"chinesisch", "schinese"},
    {"spanisch", "spanish"},         {"thai-chinesisch", "tchinese"}, {"thailändisch", "thai"},
};

// The folders each content set copies for the state's choice.
std::vector<FolderCopy> WeaponCopies(const model::ProgramState& state) {
  const std::string set = state.Settings.VeyraWeapons == 1 ? "HD_weapons" : "LO_weapons";
  const struct {
    const std::string& base;
    const char* folder;
  } games[] = {{state.BasePath, "\\hl2"},
               {state.EpisodicBasePath, "\\episodic"},
               {state.Ep2BasePath, "\\ep2"}};
  std::vector<FolderCopy> copies;
  for (const auto& game : games) {
    for (const char* folder : kWeaponFolders) {
      copies.push_back({game.base + paths::kRepository + set + "\\hl2\\" + folder + ">",
                        game.base + game.folder + paths::kLooseFiles + folder});
    }
  }
  return copies;
}

std::vector<FolderCopy> SpriteCopies(const model::ProgramState& state) {
  const std::string set =
      state.Settings.AnamorphFlares == 1 ? "Show_Anamorph_Sprites" : "Hide_Anamorph_Sprites";
  return {{state.BasePath + paths::kRepository + set + "\\hl2\\materials\\sprites\\>",
           state.BasePath + "\\hl2" + paths::kLooseFiles + "materials\\sprites\\"}};
}

std::vector<FolderCopy> DifficultyCopies(const model::ProgramState& state) {
  const std::string source = state.BasePath + paths::kRepository +
                             (state.Settings.VeyraSkill == 1 ? "VY_Skill" : "VALVE_Skill") + "\\>";
  std::vector<FolderCopy> copies;
  for (const char* mod : paths::kModFolders) {
    copies.push_back({source, state.BasePath + mod + paths::kCfgFolder});
  }
  return copies;
}

// Each time of day brings its maps and, where it has them, their node graphs.
std::vector<FolderCopy> CoastCopies(const model::ProgramState& state) {
  const std::string maps = state.BasePath + paths::kCoastMaps;
  const std::string set = state.Settings.CoastNight == 1 ? "NIGHT\\" : "DAYLIGHT\\";
  return {{maps + set + ">", maps}, {maps + set + "graphs\\>", maps + "graphs\\"}};
}

// A content set switched when the choice differs from what is installed.
struct ContentSwitch {
  int model::SettingsState::*chosen;
  int model::InstalledState::*installed;
  std::vector<FolderCopy> (*copies)(const model::ProgramState&);
  std::uint32_t pause_after_ms;
};

constexpr ContentSwitch kWeaponSwitch{&model::SettingsState::VeyraWeapons,
                                      &model::InstalledState::VeyraWeaponsInstalled, WeaponCopies, 0};
constexpr ContentSwitch kSpriteSwitch{&model::SettingsState::AnamorphFlares,
                                      &model::InstalledState::AnamorphFlaresInstalled, SpriteCopies, 0};
constexpr ContentSwitch kDifficultySwitch{&model::SettingsState::VeyraSkill,
                                          &model::InstalledState::VeyraSkillInstalled,
                                          DifficultyCopies, 0};
constexpr ContentSwitch kCoastSwitch{&model::SettingsState::CoastNight,
                                     &model::InstalledState::CoastNightInstalled, CoastCopies, 300};
constexpr const ContentSwitch* kContentSwitches[] = {&kWeaponSwitch, &kSpriteSwitch,
                                                     &kDifficultySwitch, &kCoastSwitch};

bool SwitchChanges(const ContentSwitch& content, const model::ProgramState& state) {
  return state.Settings.*content.chosen != state.Installed.*content.installed;
}

// What became of a failed step's files, under its file message, in the interface language.
std::string StepAdvice(const std::string& language, const platform::Result& put_back) {
  const bool german = model::IsGermanInterface(language);
  if (put_back.ok()) {
    return german ? "Die Dateien dieses Schritts wurden wiederhergestellt, wie sie vorher waren."
                  : "The files of this step were put back as they were.";
  }
  // The file and its error as the messages show them, in either language.
  const std::string what = put_back.subject() + " (" +
                           config::ErrorLine(config::FileErrorFor(put_back.code())) + ")";
  return german ? "Nicht jede Datei dieses Schritts konnte wiederhergestellt werden: " + what +
                      ". Starten Sie den Konfigurator mit /restore, um die ganze Änderung "
                      "rückgängig zu machen."
                : "Not every file of this step could be put back: " + what +
                      ". Start the configurator with /restore to undo the whole change.";
}

// The message for a step that was put back: the file and the error, in the
// layout of the program's other file messages.
void ShowStepFailure(platform::Os& os, const std::string& language,
                     const platform::Result& failure, const platform::Result& put_back) {
  config::ShowFileError(
      os,
      "Following error occured while trying to " +
          std::string(platform::OperationName(failure.operation())) + " the file:",
      failure.subject(), config::FileErrorFor(failure.code()), StepAdvice(language, put_back));
}

// Runs a step so that its files stay whole: at the first change that fails,
// everything the step changed is put back and one message says why (unless
// the failure was shown where it happened and everything went back).
template <typename Step>
void RunWholeStep(platform::Os& os, backups::Journal& journal, const std::string& language,
                  Step&& step) {
  journal.BeginStep();
  const platform::Result failure = step();
  if (failure.ok()) return;
  // Putting back as much as a content set copied takes as long: the windows
  // keep answering meanwhile.
  platform::Result put_back;
  os.RunBesideMessageLoop([&] { put_back = journal.RollbackStep(failure); });
  // These errors have never been shown: the program ends, with the step put back.
  if (config::FileErrorFor(failure.code()).number == config::kFatalFileErrorNumber) {
    os.Terminate(config::kFatalFileErrorExitCode);
  }
  if (!failure.reported() || !put_back.ok()) ShowStepFailure(os, language, failure, put_back);
}

// Runs a content switch, as a whole step in its wait window, when the choice
// differs from what is installed.
void SwitchWhenChanged(platform::Os& os, backups::Journal& journal, const model::ProgramState& state,
                       const ContentSwitch& content) {
  if (!SwitchChanges(content, state)) return;
  auto window = ShowWaitWindow(os, state.SteamLanguage);
  RunWholeStep(os, journal, state.SteamLanguage, [&] {
    const platform::Result copied = CopyInWaitWindow(os, *window, content.copies(state));
    if (content.pause_after_ms != 0) os.Sleep(content.pause_after_ms);
    return copied;
  });
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
  if (std::unique_ptr<platform::OpenFile> file =
          os.Open(tag, platform::FileAccess::kReadWrite, code)) {
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

void RunApplyPhase(platform::Os& os, model::ProgramState& state, backups::Journal& journal,
                   const KeptFiles& kept) {
  if (state.CancelRequested != 0) return;
  ApplySunraysChoice(os, state);
  state.SteamLanguage = LanguageNameMapping(state.SteamLanguage);
  RunWholeStep(os, journal, state.SteamLanguage, [&] { return ApplySweetFx(os, state, kept); });
  RunWholeStep(os, journal, state.SteamLanguage, [&] { return ApplyReShade(os, state, kept); });
  if (state.Settings.Fxaa == 1) ResetAntiAliasing(os);
  SwitchWhenChanged(os, journal, state, kWeaponSwitch);
  SwitchWhenChanged(os, journal, state, kSpriteSwitch);
  SwitchWhenChanged(os, journal, state, kDifficultySwitch);
  ApplyVrTag(os, state);
  SwitchWhenChanged(os, journal, state, kCoastSwitch);
}

ChangePlan PlanApplyPhase(platform::Os& os, const model::ProgramState& state) {
  ChangePlan plan;
  std::vector<FolderCopy> copies;
  for (const ContentSwitch* content : kContentSwitches) {
    if (!SwitchChanges(*content, state)) continue;
    const std::vector<FolderCopy> switched = content->copies(state);
    copies.insert(copies.end(), switched.begin(), switched.end());
  }
  plan.injectors = PlanInjectors(state);
  copies.insert(copies.end(), plan.injectors.copied.begin(), plan.injectors.copied.end());
  platform::Ignore(ListFolderCopies(os, copies, plan.written),
                   "a folder that cannot be listed fails its own step, which says so");
  for (const char* list : paths::kPrecacheLists) plan.rewritten.push_back(state.BasePath + list);
  for (const char* script : paths::kConsoleScripts) plan.rewritten.push_back(state.BasePath + script);
  plan.rewritten.insert(plan.rewritten.end(), plan.injectors.rewritten.begin(),
                        plan.injectors.rewritten.end());
  plan.deleted = plan.injectors.deleted;
  if (state.Settings.VrMode != 1) plan.deleted.push_back(state.BasePath + paths::kVrTag);
  return plan;
}

std::string LanguageNameMapping(const std::string& name) {
  for (const LanguageName& entry : kLanguageNames) {
    if (name == entry.german_name) return entry.steam_key;
  }
  return name;
}

}  // namespace veyra::install
