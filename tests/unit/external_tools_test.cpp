// The two tool buttons: the selected SweetFX preset in the system's text
// editor, and the companion tool, started only while no process of its name
// runs. Programs are recorded, not started.
#include "dialog/external_tools.h"

#include <gtest/gtest.h>

#include "app/dialog_layout.h"
#include "dialog/event_handler.h"
#include "model/control_ids.h"
#include "tests/doubles/recording_os.h"
#include "tests/doubles/test_os.h"

namespace veyra::dialog {
namespace {

using namespace app;
using namespace model;
using platform::ProcessEntry;

// A system whose running processes the test chooses; a program started here
// runs until the test ends it.
class ProcessTableOs : public testing::RecordingOs {
 public:
  using RecordingOs::RecordingOs;

  // nullopt: no snapshot can be taken.
  std::optional<std::vector<ProcessEntry>> processes = std::vector<ProcessEntry>{};

  std::optional<std::vector<ProcessEntry>> ProcessSnapshot() override { return processes; }
  platform::SystemError StartProcess(const std::string& application,
                                     const std::string& command_line,
                                     const std::string& working_directory) override {
    if (processes) {
      processes->push_back({next_id_++, application.substr(application.rfind('\\') + 1)});
    }
    return RecordingOs::StartProcess(application, command_line, working_directory);
  }

 private:
  std::uint32_t next_id_ = 4000;
};

TEST(IsProcessRunningTest, FindsTheNameAnywhereInTheProcessListExactly) {
  const struct {
    const char* name;
    std::optional<std::vector<ProcessEntry>> processes;
    std::string looked_for;
    int running;
  } kCases[] = {
      {"alone", std::vector<ProcessEntry>{{1200, "Mienwerk.exe"}}, "Mienwerk.exe", 1},
      {"among others",
       std::vector<ProcessEntry>{{4, "System"}, {880, "explorer.exe"}, {1200, "Mienwerk.exe"}},
       "Mienwerk.exe", 1},
      {"end of a longer name", std::vector<ProcessEntry>{{7, "OldMienwerk.exe"}}, "Mienwerk.exe", 1},
      {"other capitals", std::vector<ProcessEntry>{{7, "mienwerk.exe"}, {8, "MIENWERK.EXE"}},
       "Mienwerk.exe", 0},
      {"split over two lines", std::vector<ProcessEntry>{{7, "Mien"}, {8, "werk.exe"}},
       "Mienwerk.exe", 0},
      {"no process", std::vector<ProcessEntry>{}, "Mienwerk.exe", 0},
      {"no snapshot", std::nullopt, "Mienwerk.exe", 1},
      // The list's own layout: one line per process, identifier, tab, file name, CR LF.
      {"layout", std::vector<ProcessEntry>{{17, "game.exe"}, {4, "x"}},
       "ID: 17\tFile: game.exe\r\nID: 4\tFile: x\r\n", 1},
  };
  std::unique_ptr<platform::Os> real = testing::MakeRealOs();
  for (const auto& [name, processes, looked_for, running] : kCases) {
    SCOPED_TRACE(name);
    ProcessTableOs os(*real);
    os.processes = processes;
    EXPECT_EQ(running, IsProcessRunning(os, looked_for));
  }
}

class ToolButtonTest : public ::testing::Test {
 protected:
  ToolButtonTest() {
    // Different folders show which of the two each tool is looked for in.
    state.StartDirectory = "C:\\Games\\Start Folder";
    state.BasePath = "D:\\Steam\\steamapps\\common\\Half-Life 2";
  }

  bool Command(int id, int code) { return events.OnCommand(dialog, id, code); }
  std::string ToolPath() const { return state.StartDirectory + "\\Mienwerk\\Mienwerk.exe"; }

  std::unique_ptr<platform::Os> real = testing::MakeRealOs();
  ProcessTableOs os{*real};
  ProgramState state;
  platform::MemoryDialog dialog{SettingsDialogLayout()};
  SettingsDialogEvents events{os, state};
};

TEST_F(ToolButtonTest, EditPresetOpensTheSelectedPresetFileInTheSystemsNotepad) {
  const struct {
    std::vector<std::string> items;
    int selected;
    std::string file;
  } kCases[] = {
      {{}, 0, "Default.txt"},
      {{"Cinematic", "Default"}, 0, "Default.txt"},
      {{"Cinematic", "(NoSMAA)Default_Desaturated"}, 2, "(NoSMAA)Default_Desaturated.txt"},
      {{"Cinematic", "Not On Disk"}, 2, "Not On Disk.txt"},
  };
  const std::string notepad = os.SystemDirectory() + "\\notepad.exe";
  for (const int code : {0, 1}) {
    for (const auto& [items, selected, file] : kCases) {
      SCOPED_TRACE(file + ", code " + std::to_string(code));
      while (dialog.ItemCount(IDC_SWEETFX_PRESET) > 0) dialog.RemoveItem(IDC_SWEETFX_PRESET, 1);
      for (const std::string& item : items) dialog.AddItem(IDC_SWEETFX_PRESET, item);
      dialog.Select(IDC_SWEETFX_PRESET, selected);
      os.started.clear();

      EXPECT_FALSE(Command(IDC_PRESET_EDIT, code));
      ASSERT_EQ(1u, os.started.size());
      EXPECT_EQ(notepad, os.started[0].application);
      EXPECT_EQ("notepad.exe \"" + state.BasePath + "\\SweetFX\\Presets\\" + file + "\"",
                os.started[0].command_line);
    }
  }
  EXPECT_TRUE(os.messages.empty());
  EXPECT_FALSE(dialog.ended());
}

TEST_F(ToolButtonTest, EveryEditClickOpensAnotherEditor) {
  Command(IDC_PRESET_EDIT, 0);
  Command(IDC_PRESET_EDIT, 0);
  EXPECT_EQ(2u, os.started.size());
}

TEST_F(ToolButtonTest, AnyCommandOfTheToolButtonStartsTheToolWhenItIsNotRunning) {
  for (const int code : {0, 1, 5, 6, 7}) {
    SCOPED_TRACE(code);
    os.processes = std::vector<ProcessEntry>{{4, "System"}, {880, "mienwerk.exe"}};
    os.started.clear();

    EXPECT_FALSE(Command(IDC_MIENWERK, code));
    ASSERT_EQ(1u, os.started.size());
    EXPECT_EQ(ToolPath(), os.started[0].application);
    EXPECT_EQ("\"" + ToolPath() + "\"", os.started[0].command_line);
    EXPECT_EQ(ToolPath().substr(0, ToolPath().rfind('\\')), os.started[0].working_directory);
  }
  EXPECT_TRUE(os.messages.empty());
  EXPECT_FALSE(dialog.ended());
}

TEST_F(ToolButtonTest, ToolIsStartedAgainOnlyOnceItsProcessHasEnded) {
  Command(IDC_MIENWERK, 0);
  Command(IDC_MIENWERK, 0);
  EXPECT_EQ(1u, os.started.size()) << "started while running";
  os.processes->clear();
  Command(IDC_MIENWERK, 0);
  EXPECT_EQ(2u, os.started.size());
  EXPECT_TRUE(os.messages.empty());
}

TEST_F(ToolButtonTest, ToolIsNotStartedWhenItsNameRunsOrTheProcessesCannotBeListed) {
  const std::optional<std::vector<ProcessEntry>> kSystems[] = {
      std::vector<ProcessEntry>{{880, "Mienwerk.exe"}},
      std::vector<ProcessEntry>{{880, "Copy of Mienwerk.exe"}},
      std::nullopt,
  };
  for (const auto& processes : kSystems) {
    SCOPED_TRACE(processes ? processes->front().exe_name : "no snapshot");
    os.processes = processes;
    Command(IDC_MIENWERK, 0);
    EXPECT_TRUE(os.started.empty()) << os.started.front().command_line;
    EXPECT_TRUE(os.messages.empty());
  }
}

}  // namespace
}  // namespace veyra::dialog
