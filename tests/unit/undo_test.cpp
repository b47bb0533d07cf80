#include "app/undo.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "app/configurator.h"
#include "backups/journal.h"
#include "model/control_ids.h"
#include "backups/content_hash.h"
#include "tests/doubles/fault_injecting_os.h"
#include "tests/doubles/listed_sets.h"
#include "tests/doubles/power_loss_os.h"
#include "tests/doubles/recording_os.h"
#include "tests/doubles/test_os.h"

namespace veyra::app {
namespace {

namespace fs = std::filesystem;
using platform::mb::kIdNo;
using platform::mb::kIdYes;

class UndoTest : public ::testing::Test {
 protected:
  UndoTest() {
    os.current_directory = game.path();
    os.registry_overlay[{"Software\\Valve\\Steam", "Language"}] = std::nullopt;
    Put("hl2\\custom\\a.txt", "old a");
    Put("Repository\\a.txt", "new a");
    Put("bin\\d3d9.dll", "injector");
    for (const char* mod : {"VYhl2", "VYepisodic", "VYep2"}) {
      testing::MakeFolder(game.Join(std::string(mod) + "\\cfg"));
    }
  }

  void Put(const std::string& relative, const std::string& bytes) {
    const std::string path = game.Join(relative);
    testing::MakeFolder(fs::path(testing::FileSystemPath(path)).parent_path().string());
    testing::WriteFileBytes(path, bytes);
  }

  // One change recorded as an OK records it; unfinished, as a run that was ended.
  void Change(bool finished) {
    backups::Journal journal(*real, game.path(), "OK");
    ASSERT_EQ(0u, journal.Copy(game.Join("Repository\\a.txt"), game.Join("hl2\\custom\\a.txt")));
    ASSERT_EQ(0u, journal.Delete(game.Join("bin\\d3d9.dll")));
    if (finished) journal.Finish();
  }

  int Command(std::vector<std::string> arguments) {
    os.arguments = std::move(arguments);
    model::ProgramState state;
    return RunConfigurator(os, state);
  }

  // A set written by hand, as anyone who can put files into the game folder can.
  void PlantSet(const std::string& name, std::uint64_t sequence, const std::string& lines,
                bool complete) {
    testing::MakeFolder(backups::SetsFolder(game.path()));
    const platform::LocalTime time{2099, 12, 31, 23, 59, 59};
    testing::WriteFileBytes(backups::SetFile(game.path(), name),
                            backups::ManifestHeader("OK", time, sequence, {}) + lines +
                                (complete ? backups::ManifestCompleteLine(time) : ""));
  }

  testing::ScratchFolder game;
  std::unique_ptr<platform::Os> real = testing::MakeRealOs();
  // The clock and the power, between the program and the machine.
  testing::PowerLossOs machine{*real};
  testing::RecordingOs os{machine};
};

TEST_F(UndoTest, RestoreAsksThenPutsTheChangeBackAndCanBeUndoneItself) {
  const auto before = testing::FilesBelow(game.path());
  Change(true);
  const auto after = testing::FilesBelow(game.path());
  ASSERT_NE(before, after);

  os.answers = {kIdNo};
  EXPECT_EQ(kExitNothingDone, Command({"/restore"}));
  EXPECT_EQ(after, testing::FilesBelow(game.path()));
  ASSERT_EQ(1u, os.messages.size());
  EXPECT_NE(std::string::npos,
            os.messages[0].text.find("This puts back 2 files and 0 registry values"))
      << os.messages[0].text;
  EXPECT_EQ(0x12024u, os.messages[0].flags);  // Yes/No, question, task-modal, foreground

  os.answers = {kIdYes};
  EXPECT_EQ(kExitDone, Command({"/RESTORE"}));
  EXPECT_EQ(before, testing::FilesBelow(game.path()));
  // The walk back does not toggle: with the one change undone, nothing is left.
  EXPECT_EQ(kExitNothingDone, Command({"-restore", "/quiet"}));
  EXPECT_EQ(before, testing::FilesBelow(game.path()));
  // Undoing the undo by its name redoes the change, which then stands again
  // and is the next to undo.
  const std::string undo = testing::ListedSets(*real, game.path()).back();
  EXPECT_EQ(kExitDone, Command({"/restore", undo, "/quiet"}));
  EXPECT_EQ(after, testing::FilesBelow(game.path()));
  EXPECT_EQ(kExitDone, Command({"/restore", "3", "/quiet"}));
  EXPECT_EQ(before, testing::FilesBelow(game.path()));
  EXPECT_EQ(kExitFailed, Command({"/restore", "000099-20990101-000000", "/quiet"}));
  EXPECT_EQ(before, testing::FilesBelow(game.path()));
  ASSERT_EQ(3u, os.messages.size());
  EXPECT_NE(std::string::npos, os.messages[2].text.find("000099-20990101-000000"))
      << os.messages[2].text;
}

// Cancel writes nothing; an OK that changes nothing leaves no set, only its
// line in the log.
// What /history and the question of /restore say follows the Steam language,
// each noun in the number of its count: a set of one file and one value, and
// one of two each, the latter interrupted and an undo.
TEST_F(UndoTest, HistoryAndRestoreQuestionCountInTheSteamLanguage) {
  const std::string hash = backups::ContentHash("old");
  const std::string key = "HKCU\\Software\\Valve\\Source\\hl2\\Settings";
  const std::string one = "file\thl2\\custom\\a.txt\t" + hash + "\t" + hash + "\r\n" +
                          "value\t" + key + "\tmat_antialias\t" + hash + "\t" + hash + "\r\n";
  const std::string two = one + "file\tbin\\d3d9.dll\t" + hash + "\tabsent\r\n" + "value\t" +
                          key + "\tmat_aaquality\tabsent\t" + hash + "\r\n";
  const struct {
    const char* language;
    bool two;
    const char* history;   // the set's line, after its name
    const char* question;  // the whole question of /restore
  } kCases[] = {
      {"english", false, "2099-12-31 23:59:59  OK: 1 file in hl2, 1 registry value",
       "Undo the change of 31 December 2099, 23:59?\r\n\r\nThis puts back 1 file and 1 registry "
       "value as they were before it."},
      {"english", true,
       "2099-12-31 23:59:59  restore: 2 files in hl2, bin, 2 registry values (interrupted)",
       "Undo the change of 31 December 2099, 23:59?\r\n\r\nThis puts back 2 files and 2 registry "
       "values as they were before it."},
      {"german", false, "2099-12-31 23:59:59  OK: 1 Datei in hl2, 1 Registrierungswert",
       "Die \u00c4nderung vom 31. Dezember 2099, 23:59 Uhr r\u00fcckg\u00e4ngig machen?\r\n\r\n"
       "Dabei werden 1 Datei und 1 Registrierungswert wiederhergestellt."},
      {"german", true,
       "2099-12-31 23:59:59  R\u00fcckg\u00e4ngigmachung: 2 Dateien in hl2, bin, 2 "
       "Registrierungswerte (unterbrochen)",
       "Die \u00c4nderung vom 31. Dezember 2099, 23:59 Uhr r\u00fcckg\u00e4ngig machen?\r\n\r\n"
       "Dabei werden 2 Dateien und 2 Registrierungswerte wiederhergestellt."},
  };
  os.has_console = true;
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::string(c.language) + (c.two ? " two" : " one"));
    std::filesystem::remove_all(testing::FileSystemPath(backups::SetsFolder(game.path())));
    os.registry_overlay[{"Software\\Valve\\Steam", "Language"}] = std::string(c.language);
    const std::string name = "000001-20991231-235959";
    PlantSet(name, 1, c.two ? two : one, !c.two);
    if (c.two) {
      // An undo's manifest: the action is the only difference the history shows.
      const std::string file = backups::SetFile(game.path(), name);
      std::string text = testing::ReadFileBytes(file);
      text.replace(text.find("action\tOK"), 9, "action\trestore");
      testing::WriteFileBytes(file, text);
    }
    os.console.clear();
    ASSERT_EQ(kExitDone, Command({"/history"}));
    EXPECT_NE(std::string::npos, os.console.find(name + "  " + c.history + "\n")) << os.console;
    os.messages.clear();
    os.answers = {kIdNo};
    EXPECT_EQ(kExitNothingDone, Command({"/restore", name}));
    ASSERT_EQ(1u, os.messages.size());
    EXPECT_EQ(c.question, os.messages[0].text);
  }
}

TEST_F(UndoTest, OnlyAnOkThatChangesSomethingLeavesASet) {
  const std::string backups = backups::BackupsFolder(game.path());
  os.dialog_script = [](platform::MemoryDialog& dialog, platform::DialogEvents& events) {
    events.OnCommand(dialog, model::IDC_CANCEL, 0);
  };
  ASSERT_EQ(0, Command({}));
  EXPECT_FALSE(testing::PathExists(backups));
  os.dialog_script = [](platform::MemoryDialog& dialog, platform::DialogEvents& events) {
    events.OnCommand(dialog, model::IDC_OK, 0);
  };
  for (const std::size_t sets : {1u, 1u}) {
    ASSERT_EQ(0, Command({}));
    EXPECT_EQ(sets, testing::ListedSets(*real, game.path()).size());
  }
  const std::string log = testing::ReadFileBytes(backups::LogFile(game.path()));
  EXPECT_NE(std::string::npos, log.find("  changed VYhl2\\cfg\\autoexec.cfg\r\n")) << log;
  EXPECT_NE(std::string::npos, log.find("  OK: nothing changed\r\n")) << log;
}

TEST_F(UndoTest, NothingToRestoreAndWrongArgumentsSaySoWithTheirExitCodes) {
  EXPECT_EQ(kExitNothingDone, Command({"/restore", "/quiet"}));
  EXPECT_TRUE(os.messages.empty());
  EXPECT_EQ(kExitNothingDone, Command({"/restore"}));
  ASSERT_EQ(1u, os.messages.size());
  EXPECT_EQ("There is no recorded change to undo.", os.messages[0].text);

  os.has_console = true;
  for (const std::vector<std::string>& wrong : {std::vector<std::string>{"/restore", "0"},
                                                {"/restore", "2", "2"},
                                                {"/undo"},
                                                {"restore"},
                                                {"/history", "1"}}) {
    os.console.clear();
    EXPECT_EQ(kExitFailed, Command(wrong)) << wrong[0];
    EXPECT_NE(std::string::npos, os.console.find("VeyraConfig.exe /restore [N] [/quiet]"))
        << os.console;
  }
  os.console.clear();
  EXPECT_EQ(kExitDone, Command({"/?"}));
  EXPECT_EQ(0u, os.console.find("Veyra Mod Configurator " VEYRA_PROJECT_VERSION "\n\n"))
      << os.console;
  EXPECT_EQ(std::string::npos, os.console.find("\r")) << "a console takes plain line ends";
  EXPECT_EQ(1u, os.messages.size());
}

TEST_F(UndoTest, HistoryGoesToTheConsoleOrElseIntoAMessage) {
  Change(true);
  {
    backups::Journal journal(*real, game.path(), "OK");  // ended before it finished
    ASSERT_EQ(0u, journal.Copy(game.Join("Repository\\a.txt"), game.Join("VYhl2\\cfg\\a.txt")));
  }
  os.has_console = true;
  EXPECT_EQ(kExitDone, Command({"/history"}));
  const std::vector<std::string> names = testing::ListedSets(*real, game.path());
  ASSERT_EQ(2u, names.size());
  EXPECT_NE(std::string::npos, os.console.find("OK: 2 files in hl2, bin, 0 registry values\n"))
      << os.console;
  EXPECT_NE(std::string::npos,
            os.console.find("OK: 1 file in VYhl2, 0 registry values (interrupted)\n"))
      << os.console;
  EXPECT_TRUE(os.messages.empty());

  os.has_console = false;
  EXPECT_EQ(kExitDone, Command({"/history"}));
  ASSERT_EQ(1u, os.messages.size());
  EXPECT_EQ(0u, os.messages[0].text.find("Recorded changes, newest last:\r\n"))
      << os.messages[0].text;
}

// At start, an interrupted run is offered for undoing before the dialog
// shows what is installed; Yes undoes it, No keeps the files, and neither
// asks again.
TEST_F(UndoTest, AnInterruptedRunIsOfferedOnceInTheSteamLanguage) {
  const auto cancel = [](platform::MemoryDialog& dialog, platform::DialogEvents& events) {
    events.OnCommand(dialog, model::IDC_CANCEL, 0);
  };
  os.dialog_script = cancel;
  ASSERT_EQ(0, Command({}));  // the first start writes the missing console scripts
  const auto before = testing::FilesBelow(game.path());
  for (const int answer : {kIdYes, kIdNo}) {
    Change(false);
    const auto interrupted = testing::FilesBelow(game.path());
    os.messages.clear();
    os.answers = {answer};
    os.registry_overlay[{"Software\\Valve\\Steam", "Language"}] = std::string("german\0", 7);
    bool restored_before_dialog = false;
    os.dialog_script = [&](platform::MemoryDialog& dialog, platform::DialogEvents& events) {
      restored_before_dialog = testing::FilesBelow(game.path()) == before;
      events.OnCommand(dialog, model::IDC_CANCEL, 0);
    };
    EXPECT_EQ(0, Command({}));
    ASSERT_FALSE(os.messages.empty());
    EXPECT_EQ("Konfigurator", os.messages[0].caption);
    EXPECT_NE(std::string::npos, os.messages[0].text.find("unterbrochen")) << os.messages[0].text;
    EXPECT_EQ(answer == kIdYes, restored_before_dialog);
    EXPECT_EQ(answer == kIdYes ? before : interrupted, testing::FilesBelow(game.path()));

    os.messages.clear();
    os.dialog_script = cancel;
    EXPECT_EQ(0, Command({}));
    EXPECT_TRUE(os.messages.empty()) << "asked again: " << os.messages[0].text;
    if (answer == kIdNo) break;
    // The recovery undid the change: nothing is left to walk back to.
    ASSERT_EQ(kExitNothingDone, Command({"/restore", "/quiet"}));
    // Undoing the recovery by name brings the interrupted state back, and the
    // change is then the next to undo.
    const std::string recovery = testing::ListedSets(*real, game.path()).back();
    ASSERT_EQ(0, Command({"/restore", recovery, "/quiet"}));
    ASSERT_EQ(interrupted, testing::FilesBelow(game.path()));
    ASSERT_EQ(0, Command({"/restore", "/quiet"}));
    ASSERT_EQ(before, testing::FilesBelow(game.path()));
  }
}

// A set is a file anyone can put into the game folder: one that names
// anything but the files below the game folder and the values the program
// writes is refused whole, by /restore and at start, and nothing changes.
TEST_F(UndoTest, ASetThatReachesOutsideIsRefusedWholeAndNothingChanges) {
  testing::ScratchFolder outside;
  const std::string victim = outside.Join("victim.txt");
  testing::WriteFileBytes(victim, "the player's own file");
  const std::string away = "..\\" + fs::path(testing::FileSystemPath(outside.path())).filename().string();
  const std::string hash = backups::ContentHash("planted");
  testing::MakeFolder(backups::StoreFolder(game.path()));
  testing::WriteFileBytes(backups::StoreFolder(game.path()) + "\\" + hash, "planted");
  // Restorable on its own: the file the planted set would put back in the game folder.
  const std::string fine = "file\tbin\\planted.dll\tabsent\t" + hash + "\r\n";
  std::vector<std::string> forbidden = {
      "file\t" + away + "\\victim.txt\t" + hash + "\tabsent",
      "file\t" + away + "\\planted.txt\tabsent\t" + hash,
      "file\tC:\\victim.txt\t" + hash + "\tabsent",
      "file\t\\\\server\\share\\victim.txt\t" + hash + "\tabsent",
      "file\t\\bin\\victim.txt\t" + hash + "\tabsent",
      "file\tbin\\d3d9.dll:hidden\t" + hash + "\tabsent",
      "file\tbin\\..\\..\\victim.txt\t" + hash + "\tabsent",
      "file\tbin\\CON\t" + hash + "\tabsent",
      "file\tbin.\\d3d9.dll\t" + hash + "\tabsent",
      "file\tVeyraConfig backups\\sets\\x.txt\t" + hash + "\tabsent",
      "folder\t" + away + "\\emptydir\tabsent\tpresent",
      "value\tHKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\tplanted\tabsent\t" + hash,
      "value\t0x80000002\\Software\\Valve\\Source\\hl2\\Settings\tmat_antialias\tabsent\t" + hash,
      "value\tHKCU\\Software\\Valve\\Source\\hl2\\Settings\tLanguage\tabsent\t" + hash,
      "erase\teverything",
  };
#ifndef _WIN32
  // A folder of the game that is a link to somewhere else.
  fs::create_directory_symlink(testing::FileSystemPath(outside.path()),
                               testing::FileSystemPath(game.Join("linked")));
  forbidden.push_back("file\tlinked\\victim.txt\t" + hash + "\tabsent");
#endif
  const auto before = testing::FilesBelow(game.path());
  for (const std::string& line : forbidden) {
    SCOPED_TRACE(line);
    PlantSet("000005-20991231-235959", 5, fine + line + "\r\n", true);
    os.messages.clear();
    EXPECT_EQ(kExitFailed, Command({"/restore", "/quiet"}));
    ASSERT_EQ(1u, os.messages.size());
    EXPECT_NE(std::string::npos, os.messages[0].text.find("000005-20991231-235959"))
        << os.messages[0].text;
    EXPECT_NE(std::string::npos, os.messages[0].text.find(line)) << os.messages[0].text;
    EXPECT_EQ("the player's own file", testing::ReadFileBytes(victim));
    EXPECT_EQ(std::vector<std::string>{"victim.txt"}, [&] {
      std::vector<std::string> names;
      for (const auto& entry : fs::directory_iterator(testing::FileSystemPath(outside.path())))
        names.push_back(entry.path().filename().string());
      return names;
    }());
    EXPECT_FALSE(testing::PathExists(game.Join("bin\\planted.dll"))) << "the set was acted on";
    EXPECT_FALSE(machine.RegistryReadValue(0x80000002u, "Software\\Valve\\Source\\hl2\\Settings",
                                           "mat_antialias"));

    // Interrupted and named in the future, it is not offered at start either.
    PlantSet("000005-20991231-235959", 5, fine + line + "\r\n", false);
    os.messages.clear();
    os.dialog_script = [](platform::MemoryDialog& dialog, platform::DialogEvents& events) {
      events.OnCommand(dialog, model::IDC_CANCEL, 0);
    };
    EXPECT_EQ(0, Command({}));
    EXPECT_TRUE(os.messages.empty()) << os.messages[0].text;
    EXPECT_NE(std::string::npos, testing::ReadFileBytes(backups::LogFile(game.path()))
                                     .find("000005-20991231-235959 not offered"));
    EXPECT_EQ("the player's own file", testing::ReadFileBytes(victim));
  }
  fs::remove(testing::FileSystemPath(game.Join("linked")));
  std::error_code ignored;
  fs::remove_all(testing::FileSystemPath(backups::BackupsFolder(game.path())), ignored);
  auto after = testing::FilesBelow(game.path());
  for (const char* mod : {"VYhl2", "VYepisodic", "VYep2"}) {  // written by the first start
    after.erase(std::string(mod) + "/cfg/autoexec.cfg");
  }
  after.erase("VYhl2/cfg/config.cfg");
  EXPECT_EQ(before, after);
}

// Kept contents are checked against their names before anything comes back:
// one that no longer matches refuses the whole restore, naming what it protects.
TEST_F(UndoTest, DamagedBackupsRefuseTheWholeRestore) {
  Change(true);
  const auto after = testing::FilesBelow(game.path());
  for (const auto& entry : fs::directory_iterator(
           testing::FileSystemPath(backups::StoreFolder(game.path())))) {
    testing::WriteFileBytes(testing::ProgramPath(entry.path()), "other bytes");
  }
  EXPECT_EQ(kExitFailed, Command({"/restore", "/quiet"}));
  ASSERT_EQ(1u, os.messages.size());
  for (const char* file : {"hl2\\custom\\a.txt", "bin\\d3d9.dll"}) {
    EXPECT_NE(std::string::npos, os.messages[0].text.find(file)) << os.messages[0].text;
  }
  EXPECT_EQ(after, testing::FilesBelow(game.path()));
  EXPECT_EQ(1u, testing::ListedSets(*real, game.path()).size()) << "the refusal was recorded";
}

// A restore the drive has no room for says so once, with the room it needs
// and the folder, and changes nothing.
TEST_F(UndoTest, ARestoreWithoutRoomSaysWhatItNeedsAndChangesNothing) {
  Change(true);
  const auto after = testing::FilesBelow(game.path());
  testing::FaultInjectingOs full(machine);
  full.free_space = 0;
  testing::RecordingOs on_full_disk(full);
  on_full_disk.current_directory = game.path();
  on_full_disk.registry_overlay = os.registry_overlay;
  on_full_disk.arguments = {"/restore", "/quiet"};
  model::ProgramState state;
  EXPECT_EQ(kExitFailed, RunConfigurator(on_full_disk, state));
  ASSERT_EQ(1u, on_full_disk.messages.size());
  const std::string& text = on_full_disk.messages[0].text;
  // The two old contents, 13 bytes, and the room kept spare, 1 MiB, rounded up.
  for (const std::string& part : {game.path(), std::string("Needed: 1.1 MB"),
                                  std::string("Free: 0 KB"), std::string("Nothing was changed")}) {
    EXPECT_NE(std::string::npos, text.find(part)) << part << " in " << text;
  }
  EXPECT_EQ(after, testing::FilesBelow(game.path()));
  EXPECT_EQ(1u, testing::ListedSets(*real, game.path()).size());
}

// Newest is what was done last, whatever the clock said: at the end of summer
// time, with a clock an hour behind, and with a clock years back.
TEST_F(UndoTest, SetsFollowTheOrderTheyWereMadeInWhateverTheClockSays) {
  const std::string a = game.Join("hl2\\custom\\a.txt");
  const auto change_at = [&](platform::LocalTime time, const std::string& bytes) {
    machine.now = time;
    Put("Repository\\a.txt", bytes);
    backups::Journal journal(os, game.path(), "OK");
    ASSERT_EQ(0u, journal.Copy(game.Join("Repository\\a.txt"), a));
    journal.Finish();
  };
  change_at({2026, 10, 25, 2, 30, 0}, "first");
  change_at({2026, 10, 25, 2, 10, 0}, "second");  // an hour later, by a clock turned back
  EXPECT_EQ(kExitDone, Command({"/restore", "/quiet"}));
  EXPECT_EQ("first", testing::ReadFileBytes(a));
  for (int n = 0; n < 12; ++n) change_at({2026, 12, 8, 10, 0, n}, "round " + std::to_string(n));
  change_at({2001, 1, 1, 0, 0, 0}, "a dead clock battery");
  EXPECT_EQ(backups::kKeptSets, testing::ListedSets(*real, game.path()).size());
  EXPECT_EQ(kExitDone, Command({"/restore", "/quiet"}));
  EXPECT_EQ("round 11", testing::ReadFileBytes(a));
}

// A restore cut short at any point is finished at the next start, or by the
// next /restore: the game ends as it was before the change, and the undo of
// an undo is never offered.
TEST_F(UndoTest, AnUndoCutShortIsFinishedNotUndone) {
  os.dialog_script = [](platform::MemoryDialog& dialog, platform::DialogEvents& events) {
    events.OnCommand(dialog, model::IDC_CANCEL, 0);
  };
  ASSERT_EQ(0, Command({}));  // the first start writes the missing console scripts
  for (int n = 0; n < 6; ++n) Put("Repository\\" + std::to_string(n) + ".txt", "new");
  for (int n = 0; n < 6; ++n) Put("hl2\\custom\\" + std::to_string(n) + ".txt", "old");
  const auto before = testing::FilesBelow(game.path());
  const auto change = [&] {
    backups::Journal journal(*real, game.path(), "OK");
    for (int n = 0; n < 6; ++n) {
      ASSERT_EQ(0u, journal.Copy(game.Join("Repository\\" + std::to_string(n) + ".txt"),
                                 game.Join("hl2\\custom\\" + std::to_string(n) + ".txt")));
    }
    journal.Finish();
  };
  // Under Wine every call is slower: there every fourth is cut.
#ifdef _WIN32
  const int stride = 4;
#else
  const int stride = 1;
#endif
  int cuts = 0;
  for (int call = 1;; call += stride) {
    SCOPED_TRACE("cut at call " + std::to_string(call) + " of the restore");
    std::error_code ignored;
    fs::remove_all(testing::FileSystemPath(backups::BackupsFolder(game.path())), ignored);
    machine.Settle();
    change();
    machine.CutAt(call);
    bool cut = false;
    try {
      const int code = Command({"/restore", "/quiet"});
      ASSERT_EQ(kExitDone, code) << (os.messages.empty() ? "" : os.messages[0].text);
    } catch (const testing::PowerCut&) {
      cut = true;
    }
    machine.CutAt(0);
    if (!cut) break;
    ++cuts;
    machine.Lose(call % 2 ? testing::PowerLossOs::Loss::kDropped
                          : testing::PowerLossOs::Loss::kGarbage,
                 static_cast<std::uint32_t>(call));
    os.messages.clear();
    // The next start (or, every other time, the next /restore) finishes it.
    std::vector<backups::BackupSet> sets;
    ASSERT_TRUE(backups::ListSets(*real, game.path(), sets).ok());
    const bool unfinished = !sets.empty() && !sets.back().complete;
    EXPECT_EQ(0, unfinished && call % 2 == 0 ? Command({"/restore", "/quiet"}) : Command({}));
    EXPECT_TRUE(os.messages.empty()) << os.messages[0].text;
    if (testing::FilesBelow(game.path()) != before) {
      // Cut before the restore had recorded anything: nothing was changed,
      // and the change is still the newest, to undo as before.
      EXPECT_EQ(1u, testing::ListedSets(*real, game.path()).size());
      EXPECT_EQ(0, Command({"/restore", "/quiet"}));
    }
    EXPECT_EQ(before, testing::FilesBelow(game.path()));
    EXPECT_EQ(0, Command({}));
    EXPECT_TRUE(os.messages.empty()) << "asked: " << os.messages[0].text;
    if (::testing::Test::HasFailure()) break;
  }
  EXPECT_GT(cuts * stride, 40) << "the restore was cut short too few times to prove anything";
}

// While one instance changes the folder, a second one changes nothing and
// says why: not /restore, not the tidying up at start, not OK.
TEST_F(UndoTest, ASecondInstanceChangesNothingWhileTheFirstIsAtWork) {
  Change(true);
  const auto after = testing::FilesBelow(game.path());
  platform::SystemError code = 0;
  const auto first = backups::LockGameFolder(*real, game.path(), code);
  ASSERT_NE(nullptr, first) << code;
  EXPECT_EQ(kExitFailed, Command({"/restore", "/quiet"}));
  ASSERT_EQ(1u, os.messages.size());
  EXPECT_NE(std::string::npos, os.messages[0].text.find("already at work")) << os.messages[0].text;
  EXPECT_EQ(after, testing::FilesBelow(game.path()));

  // The first instance's OK, half written: not an interrupted run, not a leftover.
  Put("VYhl2\\cfg\\autoexec.cfg", "bind \"F5\" \"jpeg\"\r\n");
  Put("VYhl2\\cfg\\autoexec.cfg.veyra-new", "being written");
  os.messages.clear();
  int oks = 0;
  os.dialog_script = [&](platform::MemoryDialog& dialog, platform::DialogEvents& events) {
    events.OnCommand(dialog, model::IDC_OK, 0);
    ++oks;
    events.OnCommand(dialog, model::IDC_CANCEL, 0);  // still open: give up
  };
  EXPECT_EQ(0, Command({}));
  EXPECT_EQ(1, oks);
  ASSERT_EQ(1u, os.messages.size());
  EXPECT_NE(std::string::npos, os.messages[0].text.find("already at work")) << os.messages[0].text;
  EXPECT_EQ("being written", testing::ReadFileBytes(game.Join("VYhl2\\cfg\\autoexec.cfg.veyra-new")));
  EXPECT_EQ(1u, testing::ListedSets(*real, game.path()).size());
}

}  // namespace
}  // namespace veyra::app
