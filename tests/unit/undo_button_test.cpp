#include "app/undo_button.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/change_description.h"
#include "app/configurator.h"
#include "app/cut_short_steps.h"
#include "app/dialog_layout.h"
#include "backups/content_hash.h"
#include "backups/journal.h"
#include "backups/sets.h"
#include "model/control_ids.h"
#include "tests/doubles/fault_injecting_os.h"
#include "tests/doubles/listed_sets.h"
#include "tests/doubles/recording_os.h"
#include "tests/doubles/test_os.h"

namespace veyra::app {
namespace {

namespace fs = std::filesystem;
using backups::BackupSet;
using backups::Change;
using platform::mb::kIdNo;
using platform::mb::kIdYes;
using namespace model;

// ------------------------------------------------------------ what a set brings back

Change File(std::string subject, std::optional<std::string> old_hash,
            std::optional<std::string> new_hash) {
  return {Change::Kind::kFile, std::move(subject), "", std::move(old_hash), std::move(new_hash)};
}

Change Value(std::string key, std::string name) {
  return {Change::Kind::kValue, std::move(key), std::move(name), "h-old", "h-new"};
}

const Change kHl2Script = File("VYhl2\\cfg\\autoexec.cfg", "s1", "s2");
const Change kEpisodicScript = File("VYepisodic\\cfg\\autoexec.cfg", "s3", "s4");
const Change kEp2Script = File("VYep2\\cfg\\autoexec.cfg", "s5", "s6");

struct DescriptionCase {
  const char* name;
  std::vector<Change> changes;
  std::vector<std::string> english;
  std::vector<std::string> german;
};

void PrintTo(const DescriptionCase& c, std::ostream* out) { *out << c.name; }

// The kept contents the cases' old hashes name: the tags as the content sets bring them.
const std::map<std::string, std::string> kKept = {
    {"tag-vy", "VY weapons\r\n"},     {"tag-original", "original weapons\r\n"},
    {"tag-anamorph", "anamorph\r\n"}, {"tag-night", "night\r\n"},
    {"tag-daylight", "daylight\r\n"}, {"tag-vy-skill", "vy skill\r\n"},
};

const DescriptionCase kDescriptionCases[] = {
    {"ConsoleScriptsAndWeaponsSwitchedOn",
     {kHl2Script, kEpisodicScript, kEp2Script,
      File("hl2\\custom\\1_VY_looseFiles\\models\\weapons\\tag", "tag-original", "tag-vy"),
      File("ep2\\custom\\1_VY_looseFiles\\sound\\weapons\\smg1\\fire.wav", "w1", "w2")},
     {"the console scripts of the three games", "Weapons: Veyra Mod's weapons → original weapons"},
     {"die Konsolenskripte der drei Spiele", "Waffen: Veyra-Mod-Waffen → originale Waffen"}},
    {"WeaponsSwitchedOffAndSweetFxInstalledWithItsLibrary",
     {File("HL2\\Custom\\1_VY_looseFiles\\Models\\Weapons\\tag", "tag-vy", "tag-original"),
      File("bin\\SweetFX_preset.txt", std::nullopt, "p"),
      File("bin\\d3d9.dll", std::nullopt, "d")},
     {"Weapons: original weapons → Veyra Mod's weapons", "SweetFX: on → off"},
     {"Waffen: originale Waffen → Veyra-Mod-Waffen", "SweetFX: an → aus"}},
    {"ReShadeRemovedAndTheMsaaValuesReset",
     {File("bin\\ReShade.fx", "r", std::nullopt), File("d3d9.dll", "d", std::nullopt),
      Value("HKCU\\Software\\Valve\\Source\\hl2\\Settings", "ScreenMSAA"),
      Value("HKCU\\Software\\Valve\\Source\\VYep2\\Settings", "mat_antialias")},
     {"ReShade: off → on", "Anti-aliasing: the games' MSAA values"},
     {"Reshade: aus → an", "Kantenglättung: die MSAA-Werte der Spiele"}},
    {"AnotherSweetFxPresetOneScriptAndTheSunRays",
     {kEp2Script, File("bin\\SweetFX_preset.txt", "p1", "p2"),
      File("VYhl2\\shadereditorui\\postprocessing_precache.txt", "l1", "l2")},
     {"the console script of VYep2", "SweetFX: its preset", "Sun rays: the effect lists of the games"},
     {"das Konsolenskript von VYep2", "SweetFX: die Voreinstellung",
      "Sonnenstrahlen: die Effektlisten der Spiele"}},
    {"FlaresWithoutATagBeforeCoastAtNightDifficulty",
     {File("hl2\\custom\\1_VY_looseFiles\\materials\\sprites\\tag", std::nullopt, "t"),
      File("hl2\\custom\\1_VY_looseFiles\\maps\\tag", "tag-night", "tag-daylight"),
      File("hl2\\custom\\1_VY_looseFiles\\maps\\graphs\\d1_coast.ain", "g1", "g2"),
      File("VYhl2\\cfg\\tag", "tag-vy-skill", "x"), File("VYep2\\cfg\\skill.cfg", "k1", "k2"),
      kHl2Script, kEpisodicScript},
     {"the console scripts of VYhl2 and VYepisodic", "Lens flares: anamorphic → round",
      "Difficulty: original → Veyra Mod's", "Coast sequence: by day → at night"},
     {"die Konsolenskripte von VYhl2 und VYepisodic", "Lichteffekte: anamorph → rund",
      "Schwierigkeit: original → Veyra Mod", "Küstensequenz: bei Tag → bei Nacht"}},
    // Without its tag, or with its old tag unreadable, a switch's direction is unknown.
    {"WeaponFilesWithoutTheirTagAndATagNotKept",
     {File("episodic\\custom\\1_VY_looseFiles\\scripts\\weapon_smg1.txt", "a", "b"),
      File("hl2\\custom\\1_VY_looseFiles\\materials\\sprites\\tag", "lost", "t")},
     {"Weapons: the files", "Lens flares: the files"},
     {"Waffen: die Dateien", "Lichteffekte: die Dateien"}},
    {"OneOtherFileAndVrMode",
     {File("hl2\\custom\\other.vmt", "a", "b"), File("VR_TAG", std::nullopt, "v")},
     {"VR mode: on → off", "1 other file"},
     {"VR-Modus: an → aus", "1 weitere Datei"}},
    // An injector's library without its marker belongs to no option that the set tells.
    {"InjectorFilesAloneAndAFolder",
     {File("bin\\d3d9.dll", "a", "b"), File("bin\\dxgi.dll", std::nullopt, "b"),
      {Change::Kind::kFolder, "hl2\\maps", "", std::nullopt, "present"}},
     {"3 other files"},
     {"3 weitere Dateien"}},
    {"NothingChanged", {}, {}, {}},
};

class DescriptionTest : public ::testing::TestWithParam<DescriptionCase> {};

TEST_P(DescriptionTest, NamesEachOptionAndWhatComesBackInBothLanguages) {
  BackupSet set;
  set.changes = GetParam().changes;
  const KeptContent kept = [](const std::string& hash) -> std::optional<std::string> {
    const auto found = kKept.find(hash);
    if (found == kKept.end()) return std::nullopt;
    return found->second;
  };
  EXPECT_EQ(GetParam().english, WhatUndoingBringsBack(set, "english", kept));
  EXPECT_EQ(GetParam().german, WhatUndoingBringsBack(set, "german", kept));
}

INSTANTIATE_TEST_SUITE_P(Sets, DescriptionTest, ::testing::ValuesIn(kDescriptionCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ChangeTimeTest, ReadsAsADateInTheInterfaceLanguage) {
  const struct {
    const char* started;
    const char* english;
    const char* german;
  } cases[] = {
      {"2026-12-07 14:30:05", "7 December 2026, 14:30", "7. Dezember 2026, 14:30 Uhr"},
      {"2027-03-01 09:05:59", "1 March 2027, 09:05", "1. März 2027, 09:05 Uhr"},
      {"2027-13-01 09:05:59", "2027-13-01 09:05:59", "2027-13-01 09:05:59"},
      {"yesterday", "yesterday", "yesterday"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.english, ChangeTimeText(c.started, "english")) << c.started;
    EXPECT_EQ(c.german, ChangeTimeText(c.started, "deutsch")) << c.started;
  }
}

// The step a run was ended in is the one its last change belongs to.
TEST(CutShortStepTest, IsTheStepOfTheLastChange) {
  const struct {
    std::vector<Change> changes;
    std::vector<int> options;
  } cases[] = {
      {{}, {}},
      {{kHl2Script}, {}},
      {{kHl2Script, File("hl2\\custom\\1_VY_looseFiles\\models\\weapons\\a.mdl", "a", "b")},
       {IDC_VEYRA_WEAPONS}},
      {{File("hl2\\custom\\1_VY_looseFiles\\models\\weapons\\a.mdl", "a", "b"),
        File("hl2\\custom\\1_VY_looseFiles\\maps\\d1_coast01.bsp", "a", "b")},
       {IDC_COAST_NIGHT}},
      {{File("VYepisodic\\cfg\\skill.cfg", "a", "b")}, {IDC_VEYRA_SKILL}},
      {{File("hl2\\custom\\1_VY_looseFiles\\materials\\sprites\\flare.vmt", "a", "b")},
       {IDC_ANAMORPH_FLARES}},
      {{File("bin\\SweetFX_preset.txt", std::nullopt, "p")}, {IDC_SWEETFX}},
      {{File("bin\\d3d9.dll", std::nullopt, "p")}, {IDC_SWEETFX, IDC_RESHADE}},
      {{File("bin\\ReShade.fx", "r", std::nullopt)}, {IDC_SWEETFX, IDC_RESHADE}},
      {{Value("HKCU\\Software\\Valve\\Source\\hl2\\Settings", "ScreenMSAA")}, {}},
  };
  for (const auto& c : cases) {
    BackupSet set;
    set.changes = c.changes;
    EXPECT_EQ(c.options, OptionsOfLastChange(set))
        << (c.changes.empty() ? "no change" : c.changes.back().subject);
  }
}

// ------------------------------------------------------------ the button in the dialog

constexpr const char* kWeaponsFolder = "hl2\\custom\\1_VY_looseFiles\\models\\weapons\\";

class UndoButtonTest : public ::testing::Test {
 protected:
  UndoButtonTest() {
    os.current_directory = game.path();
    os.registry_overlay[{"Software\\Valve\\Steam", "Language"}] = std::nullopt;
    for (const char* mod : {"VYhl2", "VYepisodic", "VYep2"}) {
      testing::MakeFolder(game.Join(std::string(mod) + "\\cfg"));
    }
    // Two weapon sets, each with its tag as the detection reads it.
    Put("Repository\\HD_weapons\\hl2\\models\\weapons\\tag", "VY weapons\r\n");
    Put("Repository\\HD_weapons\\hl2\\models\\weapons\\v_smg1.mdl", "mod smg");
    Put("Repository\\HD_weapons\\hl2\\models\\weapons\\v_pistol.mdl", "mod pistol");
    Put("Repository\\LO_weapons\\hl2\\models\\weapons\\tag", "original weapons\r\n");
    Put("Repository\\LO_weapons\\hl2\\models\\weapons\\v_smg1.mdl", "original smg");
    Put("Repository\\LO_weapons\\hl2\\models\\weapons\\v_pistol.mdl", "original pistol");
    for (const char* loose : {"hl2", "episodic", "ep2"}) {
      testing::MakeFolder(game.Join(std::string(loose) + "\\custom\\1_VY_looseFiles\\models\\weapons"));
    }
    for (const char* file : {"tag", "v_smg1.mdl", "v_pistol.mdl"}) {
      Put(std::string(kWeaponsFolder) + file,
          testing::ReadFileBytes(game.Join(std::string("Repository\\LO_weapons\\hl2\\models\\weapons\\") + file)));
    }
    // The first start writes the missing console scripts.
    Cancel();
  }

  void Put(const std::string& relative, const std::string& bytes) {
    const std::string path = game.Join(relative);
    testing::MakeFolder(fs::path(testing::FileSystemPath(path)).parent_path().string());
    testing::WriteFileBytes(path, bytes);
  }

  // Runs the program with `user` acting in its dialog, which is then cancelled.
  void Run(const std::function<void(platform::MemoryDialog&, platform::DialogEvents&)>& user) {
    os.dialog_script = user;
    model::ProgramState state;
    ASSERT_EQ(0, RunConfigurator(os, state));
  }
  void Cancel() {
    Run([](platform::MemoryDialog& dialog, platform::DialogEvents& events) {
      events.OnCommand(dialog, IDC_CANCEL, 0);
    });
  }
  // An OK with the weapons box as `mod_weapons` and every other control as detected.
  void Ok(bool mod_weapons) {
    Run([&](platform::MemoryDialog& dialog, platform::DialogEvents& events) {
      if (dialog.IsChecked(IDC_VEYRA_WEAPONS) != mod_weapons) {
        dialog.SetChecked(IDC_VEYRA_WEAPONS, mod_weapons);
        events.OnCommand(dialog, IDC_VEYRA_WEAPONS, 0);
      }
      events.OnCommand(dialog, IDC_OK, 0);
    });
  }
  // The dialog as a start now shows it, and its undo button's tips.
  testing::DialogState Fresh() {
    testing::DialogState state;
    Run([&](platform::MemoryDialog& dialog, platform::DialogEvents& events) {
      state = testing::StateOf(dialog, SettingsDialogLayout());
      events.OnCommand(dialog, IDC_CANCEL, 0);
    });
    return state;
  }

  testing::ScratchFolder game;
  std::unique_ptr<platform::Os> real = testing::MakeRealOs();
  testing::FaultInjectingOs faults{*real};
  testing::RecordingOs os{faults};
};

TEST_F(UndoButtonTest, GreyWithNothingRecordedAndSaysSo) {
  for (const char* language : {"english", "german"}) {
    os.registry_overlay[{"Software\\Valve\\Steam", "Language"}] = std::string(language) + '\0';
    Run([&](platform::MemoryDialog& dialog, platform::DialogEvents& events) {
      EXPECT_FALSE(dialog.IsEnabled(IDC_UNDO));
      EXPECT_EQ(std::string(language) == "german"
                    ? "Es gibt keine gespeicherte Änderung, die rückgängig gemacht werden kann."
                    : "There is no recorded change to undo.",
                dialog.Find(IDC_UNDO)->unavailable_tooltip);
      events.OnCommand(dialog, IDC_CANCEL, 0);
    });
  }
  EXPECT_TRUE(os.messages.empty()) << os.messages[0].text;
}

// After two OKs the button walks back: each click names the change it undoes
// (in the tip and in the question), undoes it on Yes only, and leaves the
// dialog open showing what a start would show.
TEST_F(UndoButtonTest, TwoClicksWalkBackTwoOksAndTheDialogShowsTheFilesEachTime) {
  const auto before = testing::FilesBelow(game.path());
  const testing::DialogState shown_before = Fresh();
  Ok(true);
  const auto after_first = testing::FilesBelow(game.path());
  ASSERT_EQ("VY weapons\r\n", after_first.at("hl2/custom/1_VY_looseFiles/models/weapons/tag"));
  const testing::DialogState shown_after_first = Fresh();
  Ok(false);
  ASSERT_EQ(before.at("hl2/custom/1_VY_looseFiles/models/weapons/tag"),
            testing::FilesBelow(game.path()).at("hl2/custom/1_VY_looseFiles/models/weapons/tag"));
  const std::vector<std::string> sets = testing::ListedSets(*real, game.path());
  ASSERT_EQ(2u, sets.size());

  os.messages.clear();
  os.answers = {kIdNo, kIdYes, kIdYes};
  Run([&](platform::MemoryDialog& dialog, platform::DialogEvents& events) {
    ASSERT_TRUE(dialog.IsEnabled(IDC_UNDO));
    const std::string tip = dialog.Find(IDC_UNDO)->tooltip;
    EXPECT_EQ(0u, tip.find("Undoes the change of ")) << tip;
    EXPECT_NE(std::string::npos,
              tip.find("Weapons: original weapons → Veyra Mod's weapons")) << tip;

    // No changes nothing, and the dialog goes on as it was.
    const auto after_second = testing::FilesBelow(game.path());
    dialog.SetChecked(IDC_FILMGRAIN, true);
    EXPECT_FALSE(events.OnCommand(dialog, IDC_UNDO, 0));
    EXPECT_TRUE(dialog.IsChecked(IDC_FILMGRAIN));
    EXPECT_EQ(after_second, testing::FilesBelow(game.path()));

    // Yes: what the player clicked meanwhile gives way to what the files say.
    EXPECT_FALSE(events.OnCommand(dialog, IDC_UNDO, 0));
    EXPECT_FALSE(dialog.ended());
    EXPECT_EQ("", testing::Differences(shown_after_first,
                                       testing::StateOf(dialog, SettingsDialogLayout())));
    const std::string older_tip = dialog.Find(IDC_UNDO)->tooltip;
    EXPECT_NE(std::string::npos,
              older_tip.find("Weapons: Veyra Mod's weapons → original weapons")) << older_tip;

    EXPECT_FALSE(events.OnCommand(dialog, IDC_UNDO, 0));
    EXPECT_EQ("", testing::Differences(shown_before,
                                       testing::StateOf(dialog, SettingsDialogLayout())));
    EXPECT_FALSE(dialog.IsEnabled(IDC_UNDO));
    events.OnCommand(dialog, IDC_CANCEL, 0);
  });
  EXPECT_EQ(before, testing::FilesBelow(game.path()));
  ASSERT_EQ(3u, os.messages.size());
  const struct {
    std::size_t message;
    const char* comes_back;
    bool scripts;  // only the first OK wrote a settings block into them
  } questions[] = {{0, "Weapons: original weapons → Veyra Mod's weapons", false},
                   {1, "Weapons: original weapons → Veyra Mod's weapons", false},
                   {2, "Weapons: Veyra Mod's weapons → original weapons", true}};
  for (const auto& question : questions) {
    const testing::ShownMessage& message = os.messages[question.message];
    EXPECT_EQ(0x12024u, message.flags);  // Yes/No, question, task-modal, foreground
    EXPECT_EQ(0u, message.text.find("Undo the change of ")) << message.text;
    EXPECT_NE(std::string::npos, message.text.find(question.comes_back)) << message.text;
    EXPECT_EQ(question.scripts,
              message.text.find("the console scripts of the three games") != std::string::npos)
        << message.text;
  }
  // Each undo is a set of its own; the walk back is over.
  EXPECT_EQ(4u, testing::ListedSets(*real, game.path()).size());
}

TEST_F(UndoButtonTest, WhileAnotherInstanceWorksAClickSaysSoAndChangesNothing) {
  Ok(true);
  const auto after = testing::FilesBelow(game.path(), true);
  os.messages.clear();
  os.answers = {kIdYes};
  Run([&](platform::MemoryDialog& dialog, platform::DialogEvents& events) {
    platform::SystemError code = 0;
    const auto other = backups::LockGameFolder(*real, game.path(), code);
    ASSERT_NE(nullptr, other) << code;
    events.OnCommand(dialog, IDC_UNDO, 0);
    EXPECT_TRUE(dialog.IsEnabled(IDC_UNDO));
    events.OnCommand(dialog, IDC_CANCEL, 0);
  });
  EXPECT_EQ(after, testing::FilesBelow(game.path(), true));
  ASSERT_EQ(1u, os.messages.size());
  EXPECT_EQ(0u, os.messages[0].text.find("The configurator is already at work in this folder"))
      << os.messages[0].text;
}

// A weapons switch that fails in its last game is put back and reported as
// ever; then one question offers to undo the whole OK, console scripts too.
TEST_F(UndoButtonTest, AnOkThatCannotFinishOffersToUndoAllOfIt) {
  for (const int answer : {kIdYes, kIdNo}) {
    SCOPED_TRACE(answer == kIdYes ? "Yes" : "No");
    const auto before = testing::FilesBelow(game.path());
    faults.Inject({platform::Operation::kCopy, 5,
                   "ep2\\custom\\1_VY_looseFiles\\models\\weapons\\v_pistol", 0, 1});
    os.messages.clear();
    os.answers = {answer};
    Ok(true);
    ASSERT_EQ(2u, os.messages.size());
    EXPECT_NE(std::string::npos, os.messages[0].text.find("v_pistol.mdl")) << os.messages[0].text;
    const testing::ShownMessage& question = os.messages[1];
    EXPECT_EQ(0x12024u, question.flags);
    EXPECT_EQ(0u, question.text.find("Not everything could be changed")) << question.text;
    EXPECT_NE(std::string::npos, question.text.find("the console scripts of the three games"))
        << question.text;
    const auto now = testing::FilesBelow(game.path());
    EXPECT_EQ(answer == kIdYes, now == before);
    // The weapons went back in either case; No keeps the new console scripts.
    EXPECT_EQ(before.at("hl2/custom/1_VY_looseFiles/models/weapons/tag"),
              now.at("hl2/custom/1_VY_looseFiles/models/weapons/tag"));
    EXPECT_EQ(answer == kIdNo, before.at("VYhl2/cfg/autoexec.cfg") != now.at("VYhl2/cfg/autoexec.cfg"));
    const std::string log = testing::ReadFileBytes(backups::LogFile(game.path()));
    EXPECT_NE(std::string::npos,
              log.find(answer == kIdYes ? "not everything could be changed; undone at the player's"
                                        : "not everything could be changed; kept at the player's"))
        << log;
  }
}

TEST_F(UndoButtonTest, AnOkThatFinishesAsksNothingMore) {
  os.messages.clear();
  Ok(true);
  EXPECT_TRUE(os.messages.empty()) << os.messages[0].text;
}

// No to the recovery leaves the half switch as it is; the dialog shows the
// weapons as not installed, and the OK that follows copies the chosen set whole.
TEST_F(UndoButtonTest, NoAfterAnInterruptedSwitchAndTheNextOkRunsTheSwitchInFull) {
  for (const bool mod_weapons : {false, true}) {
    SCOPED_TRACE(mod_weapons ? "the mod's weapons chosen" : "the original weapons chosen");
    {
      backups::Journal ended(*real, game.path(), "OK");
      for (const char* file : {"tag", "v_smg1.mdl"}) {
        ASSERT_EQ(0u, ended.Copy(game.Join(std::string("Repository\\HD_weapons\\hl2\\models\\weapons\\") + file),
                                 game.Join(std::string(kWeaponsFolder) + file)));
      }
    }
    os.messages.clear();
    os.answers = {kIdNo};
    bool shown_as_installed = true;
    Run([&](platform::MemoryDialog& dialog, platform::DialogEvents& events) {
      shown_as_installed = dialog.IsChecked(IDC_VEYRA_WEAPONS);
      dialog.SetChecked(IDC_VEYRA_WEAPONS, mod_weapons);
      events.OnCommand(dialog, IDC_VEYRA_WEAPONS, 0);
      events.OnCommand(dialog, IDC_OK, 0);
    });
    EXPECT_FALSE(shown_as_installed);
    ASSERT_FALSE(os.messages.empty());
    EXPECT_NE(std::string::npos, os.messages[0].text.find("No: the files stay as they are"))
        << os.messages[0].text;
    const auto now = testing::FilesBelow(game.path());
    const std::string set = mod_weapons ? "HD_weapons" : "LO_weapons";
    for (const char* loose : {"hl2", "episodic", "ep2"}) {
      for (const char* file : {"tag", "v_smg1.mdl", "v_pistol.mdl"}) {
        const std::string copied = std::string(loose) + "/custom/1_VY_looseFiles/models/weapons/" + file;
        ASSERT_TRUE(now.count(copied)) << copied;
        EXPECT_EQ(now.at("Repository/" + set + "/hl2/models/weapons/" + file), now.at(copied))
            << copied;
      }
    }
    EXPECT_FALSE(testing::PathExists(CutShortFile(game.path())));
    // Whole again, the weapons show as they are.
    Run([&](platform::MemoryDialog& dialog, platform::DialogEvents& events) {
      EXPECT_EQ(mod_weapons, dialog.IsChecked(IDC_VEYRA_WEAPONS));
      events.OnCommand(dialog, IDC_CANCEL, 0);
    });
  }
}

}  // namespace
}  // namespace veyra::app
