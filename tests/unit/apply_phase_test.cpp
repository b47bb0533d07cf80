#include "install/apply_phase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>

#include "tests/doubles/expected_tables.h"
#include "tests/doubles/fault_injecting_os.h"
#include "tests/doubles/operation_log_os.h"
#include "tests/doubles/test_os.h"

namespace veyra::install {
namespace {

using namespace model;

using Kind = testing::OperationLogOs::Kind;
using Lines = std::vector<std::string>;
namespace error = platform::error;

constexpr const char* kGames[] = {"hl2", "episodic", "ep2"};
constexpr const char* kModFolders[] = {"VYhl2", "VYepisodic", "VYep2"};
constexpr const char* kLoose = "\\custom\\1_VY_looseFiles\\";
constexpr const char* kWeaponSounds[] = {"357",    "ar1", "ar2",     "Irifle",
                                         "pistol", "rpg", "shotgun", "smg1"};
constexpr const char* kWeaponFolders[] = {
    "models\\weapons\\",         "scripts\\",
    "sound\\weapons\\357\\",     "sound\\weapons\\ar1\\",
    "sound\\weapons\\ar2\\",     "sound\\weapons\\Irifle\\",
    "sound\\weapons\\pistol\\",  "sound\\weapons\\rpg\\",
    "sound\\weapons\\shotgun\\", "sound\\weapons\\smg1\\",
};

struct Removal {
  const char* file;
  bool kept_for_reshade;
};
constexpr Removal kSweetFxFiles[] = {
    {"\\bin\\d3d9.dll", true},
    {"\\bin\\d3d9.log", true},
    {"\\bin\\ReShade.fx", true},
    {"\\bin\\dxgi.dll", false},
    {"\\bin\\d3d9.fx", false},
    {"\\bin\\dxgi.fx", false},
    {"\\bin\\injector.ini", false},
    {"\\bin\\shader.fx", false},
    {"\\log.log", false},
    {"\\bin\\SweetFX_settings.txt", false},
    {"\\bin\\SweetFX_preset.txt", false},
    {"\\d3d9.dll", true},
    {"\\d3d9.fx", false},
    {"\\dxgi.dll", false},
    {"\\dxgi.fx", false},
    {"\\shader.fx", false},
    {"\\injector.ini", false},
    {"\\SweetFX_preset.txt", false},
    {"\\SweetFX_settings.txt", false},
    {"\\SweetFX readme.txt", false},
};
constexpr const char* kReShadeOnlyFiles[] = {
    "\\d3d9SMAA.dll",      "\\d3dx9_26.dll", "\\Reshadebloom.fx", "\\Reshadepalette.bmp",
    "\\Reshadeseries.ini", "\\injector.ini", "\\SMAA.fx",         "\\SMAA.h",
    "\\Reshadetag_bloom",
};

constexpr const char* kPresetFile = "\\bin\\SweetFX_preset.txt";

// A precache list as the modification ships it: LF line ends, two tabs.
std::string PrecacheList(char sunrays, char strong) {
  std::string text = "\"postprocessing_precache\"\n{\n";
  for (const auto& [effect, digit] : {std::pair<std::string, char>{"ppe_bloom", '1'},
                                      {"ppe_sunrays", sunrays},
                                      {"ppe_sunrays_strong", strong},
                                      {"ppe_vignette", '0'}}) {
    text += "\t\"effect\"\n\t{\n\t\t\"file\"\t\t\"shadereditorui/effects/" +
            testing::PrecacheSwitch(effect + ".txt", digit) + "\n\t}\n";
  }
  return text + "}\n";
}

Lines Join(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

::testing::AssertionResult SameLog(const Lines& expected, const Lines& actual) {
  if (expected == actual) return ::testing::AssertionSuccess();
  std::size_t first = 0;
  while (first < expected.size() && first < actual.size() && expected[first] == actual[first])
    ++first;
  auto result = ::testing::AssertionFailure() << "logs differ from line " << first << "\n";
  for (std::size_t i = first; i < std::max(expected.size(), actual.size()) && i < first + 12; ++i) {
    result << "  " << i << " expected: " << (i < expected.size() ? expected[i] : "(none)") << "\n"
           << "  " << i << " actual:   " << (i < actual.size() ? actual[i] : "(none)") << "\n";
  }
  return result << "(" << expected.size() << " lines expected, " << actual.size() << " logged)";
}

// A small but complete game folder: the games' custom folders, the
// modification's folders with their precache lists, the content sets of the
// repository and the injector resources. HD_weapons lacks sound\weapons\ar1.
class ApplyPhaseTest : public ::testing::Test {
 protected:
  ApplyPhaseTest() {
    for (const char* game : kGames) {
      for (const char* folder : kWeaponFolders)
        testing::MakeFolder(Path("\\" + std::string(game) + kLoose + folder));
      Put("\\" + std::string(game) + kLoose + "sound\\weapons\\ar1\\fire1.wav", "installed ar1");
    }
    Put("\\hl2\\custom\\1_VY_looseFiles\\materials\\sprites\\glow01.vmt", "installed glow");
    Put("\\hl2\\custom\\1_VY_looseFiles\\maps\\graphs\\d2_coast_01.ain", "installed graph");
    for (const char* mod : kModFolders) {
      testing::MakeFolder(Path("\\" + std::string(mod) + "\\cfg"));
      Put("\\" + std::string(mod) + "\\shadereditorui\\postprocessing_precache.txt",
          PrecacheList('1', '0'));
    }
    Put("\\bin\\engine.dll", "engine");
    for (const char* set : {"HD_weapons", "LO_weapons"}) {
      const std::string branch = "\\Repository\\" + std::string(set) + "\\hl2\\";
      Put(branch + "models\\weapons\\tag", set);
      Put(branch + "models\\weapons\\v_pistol.mdl", set);
      Put(branch + "models\\weapons\\v_smg1.mdl", set);
      Put(branch + "scripts\\weapon_pistol.txt", set);
      for (const char* sound : kWeaponSounds) {
        if (std::string(set) == "HD_weapons" && std::string(sound) == "ar1") continue;
        Put(branch + "sound\\weapons\\" + sound + "\\fire1.wav", set);
      }
    }
    for (const char* set : {"Show_Anamorph_Sprites", "Hide_Anamorph_Sprites"}) {
      Put("\\Repository\\" + std::string(set) + "\\hl2\\materials\\sprites\\tag", set);
      Put("\\Repository\\" + std::string(set) + "\\hl2\\materials\\sprites\\glow01.vmt", set);
    }
    for (const char* set : {"VY_Skill", "VALVE_Skill"}) {
      Put("\\Repository\\" + std::string(set) + "\\tag", set);
      Put("\\Repository\\" + std::string(set) + "\\skill.cfg", set);
    }
    for (const char* time : {"NIGHT", "DAYLIGHT"}) {
      const std::string maps = "\\hl2\\custom\\1_VY_looseFiles\\maps\\" + std::string(time);
      Put(maps + "\\tag", time);
      Put(maps + "\\d2_coast_01.bsp", time);
      Put(maps + "\\graphs\\d2_coast_01.ain", time);
    }
    Put("\\SweetFX_Resources\\bin\\d3d9.dll", "SweetFX d3d9");
    Put("\\SweetFX_Resources\\bin\\injector.ini", "SweetFX injector");
    Put("\\SweetFX_Resources\\Main\\SweetFX_preset.txt",
        "// template\r\n#include \"SweetFX\\Presets\\Default.txt\"\r\n");
    for (const char* preset : {"Default", "SMAA_Sharp", "smaa_soft"}) {
      Put("\\SweetFX\\Presets\\" + std::string(preset) + ".txt", preset);
    }
    Put("\\Reshade_Resources\\ReShade.fx", "ReShade fx");
    Put("\\Reshade_Resources\\d3d9.dll", "ReShade d3d9");
    Put("\\Reshade_Resources\\Reshadebloom.fx", "ReShade bloom");

    model::SetStartDirectory(state, game.path());
    state.SteamLanguage = "english";
    testing::SetSunraysPatterns(state);
  }

  // `relative` begins with a backslash, as the paths below the base do.
  std::string Path(const std::string& relative) const { return game.path() + relative; }
  static std::string Shown(const std::string& relative) { return "BASE" + relative; }
  void Put(const std::string& relative, const std::string& bytes) {
    const std::string path = Path(relative);
    testing::MakeFolder(path.substr(0, path.rfind('\\')));
    testing::WriteFileBytes(path, bytes);
  }
  std::string Read(const std::string& relative) const {
    return testing::ReadFileBytes(Path(relative));
  }
  bool Exists(const std::string& relative) const { return testing::PathExists(Path(relative)); }

  // What the apply phase did, without the listings inside the copies, the
  // reads and writes inside an open file and the progress shown.
  static Lines Logged(const testing::OperationLogOs& log) {
    return log.Lines({Kind::kList, Kind::kFileContent, Kind::kProgress});
  }
  Lines Logged() const { return Logged(os); }

  // ----- the expected log, step by step

  static Lines WaitWindow(bool german = false) {
    return {german ? "wait window \"Kopiere Dateien\" \"Bitte warten Sie...\" label 1035"
                   : "wait window \"Copy files\" \"Please wait...\" label 1035",
            "pump: none", "sleep 1"};
  }

  // The wait window's lines without the pause that is logged apart.
  static Lines OpenedWindow() {
    Lines lines = WaitWindow();
    lines.pop_back();
    return lines;
  }

  // The copies of the files of a folder whose source exists, in the order the
  // platform lists them.
  Lines FileCopies(const std::string& from, const std::string& to) const {
    Lines lines;
    if (!Exists(from.substr(0, from.size() - 1))) return lines;
    for (const platform::DirEntry& entry : testing::Listed(*real, Path(from) + "*.*")) {
      if ((entry.attributes & platform::attribute::kDirectory) != 0) continue;
      lines.push_back("copy " + Shown(from + entry.name) + " -> " + Shown(to + entry.name));
    }
    return lines;
  }

  // Folder copies (source, destination) in a wait window: beside the message
  // loop, the existence test of every source folder, then the copies of the
  // files of those that exist.
  using FolderCopies = std::vector<std::pair<std::string, std::string>>;
  Lines CopiedInWindow(const FolderCopies& folders) const {
    Lines finds{"work begins beside the message loop"};
    Lines copies;
    for (const auto& [from, to] : folders) {
      const std::string folder = from.substr(0, from.size() - 1);
      finds.push_back("find " + Shown(folder) + (Exists(folder) ? ": yes" : ": no"));
      copies = Join({copies, FileCopies(from, to)});
    }
    return Join({finds, copies, {"work ends"}});
  }

  // A whole-file rewrite: the new content is written beside the file and takes its place.
  static Lines Replaced(const std::string& file) {
    return {"open " + Shown(file) + " rw", "open " + Shown(file) + ".veyra-new rw",
            "move " + Shown(file) + ".veyra-new -> " + Shown(file)};
  }

  Lines Sunrays() const {
    Lines lines;
    for (const char* mod : kModFolders) {
      if (mod != kModFolders[0]) lines.push_back("sleep 300");
      const std::string list =
          "\\" + std::string(mod) + "\\shadereditorui\\postprocessing_precache.txt";
      lines.push_back("find " + Shown(list) + (Exists(list) ? ": yes" : ": no"));
      if (Exists(list)) lines = Join({lines, Replaced(list)});
    }
    return lines;
  }

  static Lines SweetFxRemoval(bool reshade_chosen) {
    Lines lines;
    for (const Removal& removal : kSweetFxFiles) {
      if (removal.kept_for_reshade && reshade_chosen) continue;
      lines.insert(lines.end(), {"delete " + Shown(removal.file), "sleep 50"});
    }
    return lines;
  }

  // One reset of the anti-aliasing values; the writes in `refused_key` fail.
  static Lines Reset(const std::string& refused_key = "") {
    Lines lines;
    for (const testing::AntiAliasingKey& key : testing::kAntiAliasingKeys) {
      for (const char* value : testing::kAntiAliasingValueNames) {
        const std::string write = "registry HKCU\\" + std::string(key.path) + " " + value + " = 0";
        if (key.path != refused_key) {
          lines.push_back(write);
          continue;
        }
        lines.push_back(write + " refused");
        lines.push_back("message \"\" 0x12000: " + std::string(key.failure_message));
      }
    }
    return lines;
  }

  // The SweetFX installation with a preset whose name holds "SMAA" (`resets`)
  // or not, and whose file exists or not.
  Lines SweetFxInstall(const std::string& preset, bool resets) const {
    const std::string preset_source = "\\SweetFX\\Presets\\" + preset + ".txt";
    Lines lines =
        Join({WaitWindow(), CopiedInWindow({{"\\SweetFX_Resources\\bin\\", "\\bin\\"}}), {"sleep 50"}});
    if (resets) lines = Join({lines, Reset()});
    lines.push_back("find " + Shown(preset_source) + (Exists(preset_source) ? ": yes" : ": no"));
    if (Exists(preset_source)) {
      const std::string template_file = "\\SweetFX_Resources\\Main\\SweetFX_preset.txt";
      lines.push_back("copy " + Shown(template_file) + " -> " + Shown(kPresetFile) +
                      (Exists(template_file) ? "" : ": error 2"));
      lines =
          Join({lines, {"sleep 50", "open " + Shown(kPresetFile) + " rw"}, Replaced(kPresetFile)});
    }
    lines.push_back("wait window closed");
    return lines;
  }

  Lines ReShadeSwitch(bool install, bool sweetfx_chosen) const {
    Lines lines{"delete BASE\\bin\\d3d9.log", "sleep 50", "delete BASE\\bin\\ReShade.fx",
                "sleep 50"};
    const Lines shared{"delete BASE\\bin\\d3d9.dll", "sleep 50", "delete BASE\\d3d9.dll",
                       "sleep 50"};
    if (!sweetfx_chosen) lines = Join({lines, shared});
    lines = Join({lines, WaitWindow()});
    if (install) {
      const Lines copy = Join({CopiedInWindow({{"\\Reshade_Resources\\", "\\bin\\"}}), {"sleep 50"}});
      lines = Join({lines, copy, copy});
    } else {
      if (!sweetfx_chosen) lines = Join({lines, shared});
      for (const char* file : kReShadeOnlyFiles)
        lines.insert(lines.end(), {"delete " + Shown(file), "sleep 50"});
    }
    lines.push_back("wait window closed");
    return lines;
  }

  static Lines RegistryWrites(const testing::OperationLogOs& log) {
    return log.Lines({Kind::kFind, Kind::kList, Kind::kFile, Kind::kFileContent, Kind::kMessage,
                      Kind::kSleep, Kind::kWindow, Kind::kProgress, Kind::kProcess});
  }

  static Lines VrTagDeleted() { return {"delete BASE\\VR_TAG", "sleep 50"}; }

  struct Steps {
    std::optional<Lines> sweetfx = {};  // the removal when not given
    Lines before_vr_tag = {};           // ReShade, FXAA and the first three switches
    std::optional<Lines> vr_tag = {};   // the deletion when not given
    Lines coast = {};
  };
  // The whole sequence: the steps of every confirmation around the ones given.
  Lines Applied() const { return Applied(Steps{}); }
  Lines Applied(const Steps& steps) const {
    return Join({Sunrays(), steps.sweetfx.value_or(SweetFxRemoval(state.Settings.ReShade == 1)),
                 steps.before_vr_tag, steps.vr_tag.value_or(VrTagDeleted()), steps.coast});
  }

  // Every file and folder below the base with its content.
  std::map<std::string, std::string> Tree(const std::string& relative = "") const {
    std::map<std::string, std::string> tree;
    for (const platform::DirEntry& entry : testing::Listed(*real, Path(relative) + "\\*")) {
      const std::string child = relative + "\\" + entry.name;
      if ((entry.attributes & platform::attribute::kDirectory) == 0) {
        tree[child] = Read(child);
        continue;
      }
      tree[child] = "(folder)";
      tree.merge(Tree(child));
    }
    return tree;
  }

  testing::ScratchFolder game;
  std::unique_ptr<platform::Os> real = testing::MakeRealOs();
  testing::FaultInjectingOs faults{*real};
  // The apply phase makes its changes through the journal; the log above it
  // shows what the program asks for.
  backups::Journal journal{faults, game.path(), "OK"};
  testing::OperationLogOs os{journal, game.path()};
  model::ProgramState state;
};

TEST_F(ApplyPhaseTest, CancelLeavesFoldersAndRegistryAlone) {
  model::SettingsState& chosen = state.Settings;
  chosen.Sunrays = chosen.SweetFx = chosen.ReShade = chosen.Fxaa = chosen.VeyraWeapons = 1;
  chosen.AnamorphFlares = chosen.VeyraSkill = chosen.CoastNight = chosen.VrMode = 1;
  chosen.SelectedSweetFxPreset = "SMAA_Sharp";
  Put("\\VR_TAG", "old tag");
  state.CancelRequested = 1;
  const auto before = Tree();

  RunApplyPhase(os, state, journal);
  EXPECT_TRUE(SameLog({}, os.Lines()));
  EXPECT_EQ(before, Tree());
}

TEST_F(ApplyPhaseTest, ChoicesEqualToTheInstalledStateSwitchNothing) {
  for (const int installed : {0, 1}) {
    testing::OperationLogOs log{journal, game.path()};
    state.Installed = {installed, installed, installed, installed, installed};
    model::SettingsState& chosen = state.Settings;
    chosen.AnamorphFlares = chosen.VeyraWeapons = chosen.CoastNight = chosen.VeyraSkill =
        chosen.ReShade = installed;

    RunApplyPhase(log, state, journal);
    EXPECT_TRUE(SameLog(Applied(), Logged(log)))
        << "installed " << installed;
  }
}

TEST_F(ApplyPhaseTest, WeaponSetsComeFromTheirHl2BranchIntoEveryGame) {
  // HD_weapons lacks sound\weapons\ar1: that folder is passed over for each game.
  for (const int chosen : {1, 0}) {
    testing::OperationLogOs log{journal, game.path()};
    const std::string set = chosen == 1 ? "HD_weapons" : "LO_weapons";
    state.Settings.VeyraWeapons = chosen;
    state.Installed.VeyraWeaponsInstalled = 1 - chosen;

    FolderCopies folders;
    for (const char* game_folder : kGames) {
      for (const char* folder : kWeaponFolders) {
        folders.emplace_back("\\Repository\\" + set + "\\hl2\\" + folder,
                             "\\" + std::string(game_folder) + kLoose + folder);
      }
    }
    const Lines weapons = Join({WaitWindow(), CopiedInWindow(folders), {"wait window closed"}});

    RunApplyPhase(log, state, journal);
    EXPECT_TRUE(
        SameLog(Applied({.before_vr_tag = weapons}), Logged(log)))
        << set;
    EXPECT_EQ(30, std::count_if(weapons.begin(), weapons.end(), [](const std::string& line) {
                return line.rfind("find ", 0) == 0;
              }));
    for (const char* game_folder : kGames) {
      const std::string loose = "\\" + std::string(game_folder) + kLoose;
      EXPECT_EQ(set, Read(loose + "models\\weapons\\v_smg1.mdl")) << game_folder;
      EXPECT_EQ(set, Read(loose + "sound\\weapons\\smg1\\fire1.wav")) << game_folder;
      EXPECT_EQ(chosen == 1 ? "installed ar1" : set, Read(loose + "sound\\weapons\\ar1\\fire1.wav"))
          << game_folder;
    }
  }
}

// A copy refused partway through a switch (a file the game holds open, or a
// read-only one) puts back what the switch had copied, says so once, and the
// apply phase goes on with the next step.
TEST_F(ApplyPhaseTest, AFailedCopyPutsTheWholeSwitchBackAndTheRestGoesOn) {
  const auto weapons = [&] {
    std::map<std::string, std::string> files;
    for (const char* game_folder : kGames) files.merge(Tree("\\" + std::string(game_folder)));
    return files;
  };
  const auto before = weapons();
  state.Settings.VeyraWeapons = 1;
  state.Settings.AnamorphFlares = 1;
  os.FailCopiesTo("\\episodic\\custom\\1_VY_looseFiles\\sound\\weapons\\ar2\\", 32);

  RunApplyPhase(os, state, journal);
  std::map<std::string, std::string> after = weapons();
  // The sprites switch after it still ran.
  EXPECT_EQ("Show_Anamorph_Sprites", after.at("\\hl2\\custom\\1_VY_looseFiles\\materials\\sprites\\glow01.vmt"));
  after.erase("\\hl2\\custom\\1_VY_looseFiles\\materials\\sprites\\glow01.vmt");
  after.erase("\\hl2\\custom\\1_VY_looseFiles\\materials\\sprites\\tag");
  std::map<std::string, std::string> expected = before;
  expected.erase("\\hl2\\custom\\1_VY_looseFiles\\materials\\sprites\\glow01.vmt");
  EXPECT_EQ(expected, after);
  ASSERT_EQ(1u, os.messages.size());
  EXPECT_EQ("Following error occured while trying to copy the file:\r\n" +
                Path("\\episodic\\custom\\1_VY_looseFiles\\sound\\weapons\\ar2\\fire1.wav") +
                "\r\nError: 70, Permission denied\r\n\r\nThe files of this step were put back as "
                "they were.",
            os.messages[0].text);
  EXPECT_EQ("File error!", os.messages[0].caption);
  // The copy and the putting back are work beside the message loop; the
  // message comes after both, from the window's own thread, before it closes.
  EXPECT_EQ(0, os.messages_from_work);
  const Lines windows = os.Lines({Kind::kFind, Kind::kList, Kind::kFile, Kind::kFileContent,
                                  Kind::kRegistry, Kind::kSleep, Kind::kProgress, Kind::kProcess});
  const Lines first_window{windows.begin(),
                           windows.begin() + std::min<std::size_t>(windows.size(), 8)};
  EXPECT_TRUE(SameLog(Join({OpenedWindow(),
                            {"work begins beside the message loop", "work ends",
                             "work begins beside the message loop", "work ends",
                             "message \"File error!\" 0x2030: " + testing::Escaped(os.messages[0].text),
                             "wait window closed"}}),
                      first_window));
}

// A German player reads what became of the step's files in German, under the
// file message's own fixed lines.
TEST_F(ApplyPhaseTest, AFailedStepsAdviceFollowsTheInterfaceLanguage) {
  state.SteamLanguage = "german";
  state.Settings.VeyraWeapons = 1;
  os.FailCopiesTo("\\episodic\\custom\\1_VY_looseFiles\\sound\\weapons\\ar2\\", 32);

  RunApplyPhase(os, state, journal);
  ASSERT_EQ(1u, os.messages.size());
  EXPECT_EQ("Following error occured while trying to copy the file:\r\n" +
                Path("\\episodic\\custom\\1_VY_looseFiles\\sound\\weapons\\ar2\\fire1.wav") +
                "\r\nError: 70, Permission denied\r\n\r\nDie Dateien dieses Schritts wurden "
                "wiederhergestellt, wie sie vorher waren.",
            os.messages[0].text);
  EXPECT_EQ("File error!", os.messages[0].caption);
}

// When the step cannot be put back either, the advice names the file that
// stayed and its error as the other lines do, not in the log's words.
TEST_F(ApplyPhaseTest, AStepThatCannotBePutBackNamesTheFileAndItsError) {
  state.SteamLanguage = "german";
  state.Settings.VeyraWeapons = 1;
  os.FailCopiesTo("\\episodic\\custom\\1_VY_looseFiles\\sound\\weapons\\ar2\\", 32);
  faults.Inject({platform::Operation::kDelete, 5, "\\hl2\\custom\\1_VY_looseFiles\\"});

  RunApplyPhase(os, state, journal);
  ASSERT_EQ(1u, os.messages.size());
  const std::string& text = os.messages[0].text;
  const std::string advice = "\r\n\r\nNicht jede Datei dieses Schritts konnte wiederhergestellt "
                             "werden: " + Path("\\hl2\\custom\\1_VY_looseFiles\\");
  EXPECT_NE(std::string::npos, text.find(advice)) << text;
  EXPECT_NE(std::string::npos, text.find(" (Error: 70, Permission denied). Starten Sie")) << text;
  EXPECT_EQ(std::string::npos, text.find("system error")) << text;
}

// The bar of a switch's window counts the files of all its folders, from none
// to all in order, before the window closes; the same again when the set is
// switched in a second time.
TEST_F(ApplyPhaseTest, ContentSwitchShowsTheFilesDoneOfAllItsFolders) {
  std::size_t files = 0;
  for (const char* game_folder : kGames) {
    for (const char* folder : kWeaponFolders) {
      files += FileCopies("\\Repository\\HD_weapons\\hl2\\" + std::string(folder),
                          "\\" + std::string(game_folder) + kLoose + folder)
                   .size();
    }
  }
  ASSERT_LT(0u, files) << "the fixture's set has no files";
  Lines expected = Join({OpenedWindow(), {"work begins beside the message loop"}});
  for (std::size_t done = 0; done <= files; ++done) {
    expected.push_back("progress " + std::to_string(done) + " of " + std::to_string(files));
  }
  expected.insert(expected.end(), {"work ends", "wait window closed"});

  for (const char* run : {"first", "second"}) {
    testing::OperationLogOs log{journal, game.path()};
    state.Settings.VeyraWeapons = 1;
    state.Installed.VeyraWeaponsInstalled = 0;

    RunApplyPhase(log, state, journal);
    EXPECT_TRUE(SameLog(expected, log.Lines({Kind::kFind, Kind::kList, Kind::kFile,
                                             Kind::kFileContent, Kind::kRegistry, Kind::kMessage,
                                             Kind::kSleep, Kind::kProcess})))
        << run << " run";
    ASSERT_EQ(1u, log.wait_windows.size()) << run << " run";
    EXPECT_TRUE(log.wait_windows[0].closed) << run << " run";
  }
}

TEST_F(ApplyPhaseTest, SpriteSetGoesIntoTheHl2CustomFolderOnly) {
  for (const int chosen : {1, 0}) {
    testing::OperationLogOs log{journal, game.path()};
    const std::string set = chosen == 1 ? "Show_Anamorph_Sprites" : "Hide_Anamorph_Sprites";
    state.Settings.AnamorphFlares = chosen;
    state.Installed.AnamorphFlaresInstalled = 1 - chosen;

    RunApplyPhase(log, state, journal);
    const Lines sprites =
        Join({WaitWindow(),
              CopiedInWindow({{"\\Repository\\" + set + "\\hl2\\materials\\sprites\\",
                               "\\hl2\\custom\\1_VY_looseFiles\\materials\\sprites\\"}}),
              {"wait window closed"}});
    EXPECT_TRUE(
        SameLog(Applied({.before_vr_tag = sprites}), Logged(log)))
        << set;
    EXPECT_EQ(set, Read("\\hl2\\custom\\1_VY_looseFiles\\materials\\sprites\\glow01.vmt"));
    EXPECT_EQ(set, Read("\\hl2\\custom\\1_VY_looseFiles\\materials\\sprites\\tag"));
    EXPECT_FALSE(Exists("\\episodic\\custom\\1_VY_looseFiles\\materials"));
    EXPECT_FALSE(Exists("\\ep2\\custom\\1_VY_looseFiles\\materials"));
  }
}

TEST_F(ApplyPhaseTest, DifficultySetGoesIntoTheThreeCfgFolders) {
  for (const int chosen : {1, 0}) {
    testing::OperationLogOs log{journal, game.path()};
    const std::string set = chosen == 1 ? "VY_Skill" : "VALVE_Skill";
    state.Settings.VeyraSkill = chosen;
    state.Installed.VeyraSkillInstalled = 1 - chosen;

    FolderCopies folders;
    for (const char* mod : kModFolders) {
      folders.emplace_back("\\Repository\\" + set + "\\", "\\" + std::string(mod) + "\\cfg\\");
    }
    const Lines skill = Join({WaitWindow(), CopiedInWindow(folders), {"wait window closed"}});

    RunApplyPhase(log, state, journal);
    for (const char* mod : kModFolders) {
      EXPECT_EQ(set, Read("\\" + std::string(mod) + "\\cfg\\skill.cfg")) << mod;
    }
    EXPECT_TRUE(
        SameLog(Applied({.before_vr_tag = skill}), Logged(log)))
        << set;
  }
}

TEST_F(ApplyPhaseTest, CoastSequenceBringsItsMapsAndTheirGraphs) {
  for (const int chosen : {1, 0}) {
    testing::OperationLogOs log{journal, game.path()};
    const std::string time = chosen == 1 ? "NIGHT" : "DAYLIGHT";
    const std::string maps = "\\hl2\\custom\\1_VY_looseFiles\\maps\\";
    state.Settings.CoastNight = chosen;
    state.Installed.CoastNightInstalled = 1 - chosen;

    RunApplyPhase(log, state, journal);
    const Lines coast =
        Join({WaitWindow(),
              CopiedInWindow({{maps + time + "\\", maps}, {maps + time + "\\graphs\\", maps + "graphs\\"}}),
              {"sleep 300", "wait window closed"}});
    EXPECT_TRUE(SameLog(Applied({.coast = coast}), Logged(log)))
        << time;
    EXPECT_EQ(time, Read(maps + "d2_coast_01.bsp"));
    EXPECT_EQ(time, Read(maps + "graphs\\d2_coast_01.ain"));
  }
}

TEST_F(ApplyPhaseTest, WaitWindowsSpeakTheMappedSteamLanguage) {
  const struct {
    const char* language;
    const char* mapped;
    bool german;
  } kCases[] = {{"deutsch", "german", true},
                {"german", "german", true},
                {"englisch", "english", false},
                {"english", "english", false},
                {"Deutsch", "Deutsch", false}};
  for (const auto& test : kCases) {
    testing::OperationLogOs log{journal, game.path()};
    state.SteamLanguage = test.language;
    state.Settings.AnamorphFlares = 1;

    RunApplyPhase(log, state, journal);
    EXPECT_EQ(test.mapped, state.SteamLanguage);
    ASSERT_EQ(1u, log.wait_windows.size()) << test.language;
    EXPECT_EQ(test.german ? "Kopiere Dateien" : "Copy files", log.wait_windows[0].caption)
        << test.language;
    EXPECT_EQ(test.german ? "Bitte warten Sie..." : "Please wait...", log.wait_windows[0].label)
        << test.language;
  }
}

TEST_F(ApplyPhaseTest, SweetFxIsInstalledWithTheChosenPreset) {
  const struct {
    const char* preset;
    bool resets;
    bool preset_written;
  } kCases[] = {{"SMAA_Sharp", true, true},
                {"Default", false, true},
                {"smaa_soft", false, true},
                {"Missing", false, false},
                {"", false, false}};
  const std::string old_preset =
      "// my notes\r\n#include \"SweetFX\\Presets\\Old.txt\"\r\nmore\r\n";
  for (const auto& test : kCases) {
    testing::OperationLogOs log{journal, game.path()};
    Put(kPresetFile, old_preset);
    state.Settings.SweetFx = 1;
    state.Settings.SelectedSweetFxPreset = test.preset;

    RunApplyPhase(log, state, journal);
    EXPECT_TRUE(SameLog(Applied({.sweetfx = SweetFxInstall(test.preset, test.resets)}),
                        Logged(log)))
        << test.preset;
    EXPECT_EQ("SweetFX injector", Read("\\bin\\injector.ini")) << test.preset;
    EXPECT_EQ(test.preset_written
                  ? "#include \"SweetFX\\Presets\\" + std::string(test.preset) + ".txt\"\r\n"
                  : old_preset,
              Read(kPresetFile))
        << test.preset;
    EXPECT_EQ(test.resets ? 36u : 0u, RegistryWrites(log).size()) << test.preset;
    EXPECT_TRUE(log.messages.empty()) << test.preset << ": " << log.messages[0].text;
  }
}

TEST_F(ApplyPhaseTest, PresetFileIsWrittenWithoutItsTemplate) {
  ASSERT_EQ(error::kSuccess, real->Delete(Path("\\SweetFX_Resources\\Main\\SweetFX_preset.txt")));
  state.Settings.SweetFx = 1;
  state.Settings.SelectedSweetFxPreset = "Default";

  RunApplyPhase(os, state, journal);
  EXPECT_TRUE(SameLog(Applied({.sweetfx = SweetFxInstall("Default", false)}), Logged()));
  EXPECT_EQ("#include \"SweetFX\\Presets\\Default.txt\"\r\n", Read(kPresetFile));
  EXPECT_TRUE(os.messages.empty()) << os.messages[0].text;
}

TEST_F(ApplyPhaseTest, PresetFileThatCannotBeWrittenIsReported) {
  // Held open by another program (neither open works), or read-only (only reading works).
  for (const bool read_only : {false, true}) {
    testing::FaultInjectingOs failing{*real};
    backups::Journal failing_journal{failing, game.path(), "OK"};
    testing::OperationLogOs log{failing_journal, game.path()};
    failing.Inject({testing::Call::kOpenReadWrite,
                    read_only ? error::kAccessDenied : error::kSharingViolation,
                    "SweetFX_preset.txt"});
    if (!read_only)
      failing.Inject(
          {testing::Call::kOpenReadOnly, error::kSharingViolation, "SweetFX_preset.txt"});
    state.Settings.SweetFx = 1;
    state.Settings.SelectedSweetFxPreset = "Default";

    RunApplyPhase(log, state, failing_journal);
    ASSERT_EQ(1u, log.messages.size()) << "read-only " << read_only;
    EXPECT_EQ("The following error occured while trying to open the file:\r\n" + Path(kPresetFile) +
                  "\r\nError: 70, Permission denied\r\n\r\nThe file could not be opened.",
              log.messages[0].text);
    EXPECT_EQ("File error!", log.messages[0].caption);
    EXPECT_EQ(0x2030u, log.messages[0].flags);
    // The rest of the sequence goes on.
    const Lines logged = log.Lines();
    EXPECT_EQ(VrTagDeleted(), Lines(logged.end() - 2, logged.end())) << "read-only " << read_only;
  }
}

TEST_F(ApplyPhaseTest, ReShadeSwitchKeepsTheLibrarySweetFxShares) {
  const struct {
    int reshade;
    int sweetfx;
  } kCases[] = {{1, 0}, {1, 1}, {0, 0}, {0, 1}};
  for (const auto& test : kCases) {
    testing::OperationLogOs log{journal, game.path()};
    for (const char* file :
         {"\\bin\\d3d9.dll", "\\d3d9.dll", "\\bin\\d3d9.log", "\\Reshadebloom.fx", "\\SMAA.h"}) {
      Put(file, "installed");
    }
    state.Settings.ReShade = test.reshade;
    state.Installed.ReShadeInstalled = 1 - test.reshade;
    state.Settings.SweetFx = test.sweetfx;
    state.Settings.SelectedSweetFxPreset = "Default";

    RunApplyPhase(log, state, journal);
    const Lines sweetfx =
        test.sweetfx == 1 ? SweetFxInstall("Default", false) : SweetFxRemoval(test.reshade == 1);
    EXPECT_TRUE(
        SameLog(Applied({.sweetfx = sweetfx,
                         .before_vr_tag = ReShadeSwitch(test.reshade == 1, test.sweetfx == 1)}),
                Logged(log)))
        << "ReShade " << test.reshade << ", SweetFX " << test.sweetfx;
    const bool library_stays = test.reshade == 1 || test.sweetfx == 1;
    EXPECT_EQ(library_stays, Exists("\\bin\\d3d9.dll"))
        << "ReShade " << test.reshade << ", SweetFX " << test.sweetfx;
    EXPECT_EQ(test.sweetfx == 1, Exists("\\d3d9.dll"))
        << "ReShade " << test.reshade << ", SweetFX " << test.sweetfx;
    EXPECT_EQ(test.reshade == 1, Exists("\\bin\\ReShade.fx"))
        << "ReShade " << test.reshade << ", SweetFX " << test.sweetfx;
    EXPECT_EQ(test.reshade == 1, Exists("\\Reshadebloom.fx"))
        << "ReShade " << test.reshade << ", SweetFX " << test.sweetfx;
  }
}

TEST_F(ApplyPhaseTest, FxaaWithAnSmaaPresetResetsAntiAliasingTwice) {
  state.Settings.Fxaa = 1;
  state.Settings.SweetFx = 1;
  state.Settings.SelectedSweetFxPreset = "SMAA_Sharp";

  RunApplyPhase(os, state, journal);
  EXPECT_TRUE(
      SameLog(Applied({.sweetfx = SweetFxInstall("SMAA_Sharp", true), .before_vr_tag = Reset()}),
              Logged()));
  EXPECT_EQ(72u, RegistryWrites(os).size());
  std::map<std::pair<std::string, std::string>, std::uint32_t> zeroes;
  for (const testing::AntiAliasingKey& key : testing::kAntiAliasingKeys) {
    for (const char* value : testing::kAntiAliasingValueNames) zeroes[{key.path, value}] = 0;
  }
  EXPECT_EQ(zeroes, os.registry);
}

TEST_F(ApplyPhaseTest, KeyThatRefusesWritesIsReportedForEachValue) {
  state.Settings.Fxaa = 1;
  for (const testing::AntiAliasingKey& refused : testing::kAntiAliasingKeys) {
    testing::OperationLogOs log{journal, game.path()};
    log.refusing_keys = {refused.path};

    RunApplyPhase(log, state, journal);
    EXPECT_TRUE(SameLog(Applied({.before_vr_tag = Reset(refused.path)}),
                        Logged(log)))
        << refused.path;
    const std::size_t rows =
        std::count_if(std::begin(testing::kAntiAliasingKeys), std::end(testing::kAntiAliasingKeys),
                      [&](const testing::AntiAliasingKey& key) { return key.path == refused.path; });
    EXPECT_EQ(4 * rows, log.messages.size()) << refused.path;
    EXPECT_EQ(4 * (6 - 1), log.registry.size()) << refused.path;
  }
}

TEST_F(ApplyPhaseTest, VrTagFollowsTheVrMode) {
  const struct {
    int vr_mode;
    bool present;
    Lines step;
    const char* content_after;  // nullptr: no file
  } kCases[] = {
      {1,
       false,
       {"find BASE\\VR_TAG: no", "open BASE\\VR_TAG rw", "sleep 50", "find BASE\\VR_TAG: yes"},
       "Holodeck\r\n"},
      {1, true, {"find BASE\\VR_TAG: yes"}, "kept"},
      {0, true, VrTagDeleted(), nullptr},
      {0, false, VrTagDeleted(), nullptr},
  };
  for (const auto& test : kCases) {
    testing::OperationLogOs log{journal, game.path()};
    if (test.present) Put("\\VR_TAG", "kept");
    state.Settings.VrMode = test.vr_mode;

    RunApplyPhase(log, state, journal);
    EXPECT_TRUE(
        SameLog(Applied({.vr_tag = test.step}), Logged(log)))
        << "VR " << test.vr_mode << ", present " << test.present;
    EXPECT_EQ(test.content_after != nullptr, Exists("\\VR_TAG"));
    if (test.content_after) {
      EXPECT_EQ(test.content_after, Read("\\VR_TAG"));
    }
    EXPECT_TRUE(log.messages.empty()) << log.messages[0].text;
  }
}

TEST_F(ApplyPhaseTest, VrTagThatCannotBeCreatedIsReported) {
  faults.Inject({testing::Call::kOpenReadWrite, error::kAccessDenied, "VR_TAG"});
  state.Settings.VrMode = 1;
  state.Settings.CoastNight = 1;

  RunApplyPhase(os, state, journal);
  const std::string maps = "\\hl2\\custom\\1_VY_looseFiles\\maps\\";
  EXPECT_TRUE(SameLog(
      Applied({.vr_tag =
                   Lines{"find BASE\\VR_TAG: no", "open BASE\\VR_TAG rw: error 5", "sleep 50",
                         "find BASE\\VR_TAG: no",
                         "message \"File error!\" 0x2030: Following error occured while trying "
                         "to save the file:\\r\\n" +
                             Path("\\VR_TAG") +
                             "\\r\\nError: 70, Permission denied\\r\\n\\r\\nThe file could not be "
                             "opened."},
               .coast = Join({WaitWindow(),
                              CopiedInWindow({{maps + "NIGHT\\", maps},
                                              {maps + "NIGHT\\graphs\\", maps + "graphs\\"}}),
                              {"sleep 300", "wait window closed"}})}),
      Logged()));
}

TEST_F(ApplyPhaseTest, SunraysChoiceSwitchesBothEntriesOfEveryList) {
  const struct {
    int sunrays;
    int level;
    char normal;
    char strong;
  } kCases[] = {
      {1, 2, '0', '1'}, {1, 1, '1', '0'}, {1, 0, '1', '0'}, {0, 1, '0', '0'}, {0, 2, '0', '0'}};
  for (const auto& test : kCases) {
    for (const char* mod : kModFolders) {
      Put("\\" + std::string(mod) + "\\shadereditorui\\postprocessing_precache.txt",
          PrecacheList('1', '1'));
    }
    state.Settings.Sunrays = test.sunrays;
    state.Settings.SunraysLevel = test.level;

    // The same confirmation twice gives the same lists.
    for (int run = 1; run <= 2; ++run) {
      RunApplyPhase(os, state, journal);
      for (const char* mod : kModFolders) {
        EXPECT_EQ(PrecacheList(test.normal, test.strong),
                  Read("\\" + std::string(mod) + "\\shadereditorui\\postprocessing_precache.txt"))
            << mod << ", sunrays " << test.sunrays << ", level " << test.level << ", run " << run;
      }
    }
  }
}

TEST_F(ApplyPhaseTest, MissingPrecacheListIsPassedOverAndThePausesStay) {
  ASSERT_EQ(error::kSuccess,
            real->Delete(Path("\\VYepisodic\\shadereditorui\\postprocessing_precache.txt")));
  state.Settings.Sunrays = 1;

  RunApplyPhase(os, state, journal);
  EXPECT_TRUE(SameLog(Applied(), Logged()));
  EXPECT_FALSE(Exists("\\VYepisodic\\shadereditorui\\postprocessing_precache.txt"));
  EXPECT_EQ(PrecacheList('1', '0'), Read("\\VYep2\\shadereditorui\\postprocessing_precache.txt"));
  EXPECT_TRUE(os.messages.empty()) << os.messages[0].text;
}

}  // namespace
}  // namespace veyra::install
