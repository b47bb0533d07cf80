#include "app/undo.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "app/configurator.h"
#include "backups/journal.h"
#include "model/control_ids.h"
#include "tests/doubles/listed_sets.h"
#include "tests/doubles/recording_os.h"
#include "tests/doubles/test_os.h"

namespace veyra::app {
namespace {

namespace fs = std::filesystem;
using platform::mb::kIdNo;
using platform::mb::kIdYes;

class UndoTest : public ::testing::Test {
 protected:
  UndoTest() : os(*real) {
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

  testing::ScratchFolder game;
  std::unique_ptr<platform::Os> real = testing::MakeRealOs();
  testing::RecordingOs os;
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
  EXPECT_EQ(kExitDone, Command({"-restore", "/quiet"}));
  EXPECT_EQ(after, testing::FilesBelow(game.path()));
  // Two sets back from there: the restore and then the OK, to before the OK.
  EXPECT_EQ(kExitDone, Command({"/restore", "3", "/quiet"}));
  EXPECT_EQ(before, testing::FilesBelow(game.path()));
  EXPECT_EQ(2u, os.messages.size());
}

// Cancel writes nothing; an OK that changes nothing leaves no set, only its
// line in the log.
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
    ASSERT_EQ(0,
              Command({"/restore", "/quiet"}));  // undo the recovery: back to the interrupted state
    ASSERT_EQ(interrupted, testing::FilesBelow(game.path()));
    ASSERT_EQ(0, Command({"/restore", "/quiet"}));
    ASSERT_EQ(before, testing::FilesBelow(game.path()));
  }
}

}  // namespace
}  // namespace veyra::app
