#include "app/guards.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <utility>

#include "app/configurator.h"
#include "backups/journal.h"
#include "model/control_ids.h"
#include "tests/doubles/fault_injecting_os.h"
#include "tests/doubles/recording_os.h"
#include "tests/doubles/test_os.h"

namespace veyra::app {
namespace {

namespace fs = std::filesystem;
using platform::mb::kIdCancel;
using platform::mb::kIdNo;
using platform::mb::kIdRetry;
using platform::mb::kIdYes;

constexpr std::uint32_t kRetryCancelBox = 0x12035;  // Retry/Cancel, exclamation, task-modal, foreground
constexpr std::uint32_t kNoticeBox = 0x12030;       // OK, exclamation, task-modal, foreground
constexpr std::uint32_t kQuestionBox = 0x12024;     // Yes/No, question, task-modal, foreground

constexpr const char* kGames[] = {"hl2", "episodic", "ep2"};

// The machine as the checks see it: which programs run, and which files
// another program holds open (they cannot be opened for writing unshared).
class GameMachineOs : public testing::RecordingOs {
 public:
  using RecordingOs::RecordingOs;

  std::optional<std::vector<platform::ProcessEntry>> processes =
      std::vector<platform::ProcessEntry>{{4, "explorer.exe"}};
  std::set<std::string> held;
  // What happens while the next message is shown, as a player closing the game meanwhile.
  std::function<void()> while_shown;

  std::optional<std::vector<platform::ProcessEntry>> ProcessSnapshot() override { return processes; }
  int ShowMessage(const std::string& text, const std::string& caption,
                  std::uint32_t flags) override {
    if (while_shown) std::exchange(while_shown, nullptr)();
    return RecordingOs::ShowMessage(text, caption, flags);
  }
  std::unique_ptr<platform::OpenFile> Open(const std::string& path, platform::FileAccess access,
                                           platform::SystemError& error) override {
    if (held.count(path) != 0) {
      error = platform::error::kSharingViolation;
      return nullptr;
    }
    return RecordingOs::Open(path, access, error);
  }
};

// A game folder where ticking the weapons box and pressing OK switches the
// weapon set (three files in each game) and removes SweetFX's leftovers.
class GuardsTest : public ::testing::Test {
 protected:
  GuardsTest() {
    os.current_directory = game.path();
    os.registry_overlay[{"Software\\Valve\\Steam", "Language"}] = std::nullopt;
    for (const char* mod : {"VYhl2", "VYepisodic", "VYep2"}) {
      Put(std::string(mod) + "\\cfg\\autoexec.cfg", "// the player's own lines\r\n");
    }
    for (const char* weapon : {"a.mdl", "b.mdl", "c.mdl"}) {
      Put(std::string("Repository\\HD_weapons\\hl2\\models\\weapons\\") + weapon,
          std::string("HD ") + weapon);
      for (const char* name : kGames) Put(Weapon(name, weapon), std::string("LO ") + weapon);
    }
    Put("bin\\d3d9.fx", "left over by SweetFX");
  }

  void Put(const std::string& relative, const std::string& bytes) {
    const std::string path = game.Join(relative);
    testing::MakeFolder(fs::path(testing::FileSystemPath(path)).parent_path().string());
    testing::WriteFileBytes(path, bytes);
  }
  static std::string Weapon(const std::string& name, const std::string& weapon) {
    return name + "\\custom\\1_VY_looseFiles\\models\\weapons\\" + weapon;
  }

  // Runs the program; `player` ticks the weapons box and then acts in the dialog.
  void Run(const std::function<void(platform::MemoryDialog&, platform::DialogEvents&)>& player) {
    os.dialog_script = [&](platform::MemoryDialog& dialog, platform::DialogEvents& events) {
      dialog.SetChecked(model::IDC_VEYRA_WEAPONS, true);  // a click ticks it, then tells
      events.OnCommand(dialog, model::IDC_VEYRA_WEAPONS, 0);
      ASSERT_TRUE(dialog.IsChecked(model::IDC_VEYRA_WEAPONS));
      player(dialog, events);
    };
    model::ProgramState state;
    ASSERT_EQ(0, RunConfigurator(os, state));
  }

  // Everything the whole change does, seen in the files.
  void ExpectTheWholeChange() {
    for (const char* name : kGames) {
      for (const char* weapon : {"a.mdl", "b.mdl", "c.mdl"}) {
        EXPECT_EQ(std::string("HD ") + weapon, testing::ReadFileBytes(game.Join(Weapon(name, weapon))))
            << name << " " << weapon;
      }
    }
    EXPECT_FALSE(testing::PathExists(game.Join("bin\\d3d9.fx")));
    EXPECT_NE(std::string::npos,
              testing::ReadFileBytes(game.Join("VYep2\\cfg\\autoexec.cfg")).find("the player's own"));
    EXPECT_NE("// the player's own lines\r\n", testing::ReadFileBytes(game.Join("VYep2\\cfg\\autoexec.cfg")));
  }

  testing::ScratchFolder game;
  std::unique_ptr<platform::Os> real = testing::MakeRealOs();
  testing::FaultInjectingOs disk{*real};
  GameMachineOs os{disk};
};

// The game running, a file held open, a few held open, in either language:
// one message per OK, nothing written, Retry checks again, Cancel goes back to
// the dialog, and once the game has ended the next OK makes the whole change.
TEST_F(GuardsTest, WhileTheGameUsesItsFilesOkWritesNothingAndAsksToCloseIt) {
  struct Case {
    const char* name;
    const char* language;
    const char* running;          // the game's process as the snapshot spells it, or null
    std::vector<std::string> held;  // relative to the game folder
    std::vector<std::string> said;  // what the message must hold
  };
  const std::string first = game.Join(Weapon("hl2", "a.mdl"));
  const Case cases[] = {
      {"game running", "english", "HL2.EXE", {}, {"The game (hl2.exe) is running."}},
      {"one file held", "english", nullptr, {Weapon("hl2", "a.mdl")},
       {"Another program has this file open:\r\n" + first + "\r\n"}},
      {"two files held", "english", nullptr, {Weapon("hl2", "a.mdl"), "VYep2\\cfg\\autoexec.cfg"},
       {"this file and 1 more open:\r\n" + first + "\r\n"}},
      {"game running, files held, German", "german", "hl2.exe",
       {Weapon("hl2", "a.mdl"), Weapon("ep2", "c.mdl"), "bin\\d3d9.fx"},
       {"Das Spiel (hl2.exe) läuft.\r\n", "diese und 2 weitere Dateien geöffnet:\r\n" + first + "\r\n",
        "Es wurde nichts geändert."}},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    testing::ScratchFolder fresh;  // each case on the game folder as it was
    for (const fs::directory_entry& entry : fs::directory_iterator(testing::FileSystemPath(game.path()))) {
      fs::copy(entry.path(), testing::FileSystemPath(fresh.path()) / entry.path().filename(),
               fs::copy_options::recursive);
    }
    os.current_directory = fresh.path();
    os.registry_overlay[{"Software\\Valve\\Steam", "Language"}] = std::string(test.language) + '\0';
    os.messages.clear();
    os.processes = std::vector<platform::ProcessEntry>{{4, "explorer.exe"}};
    if (test.running) os.processes->push_back({77, test.running});
    os.held.clear();
    for (const std::string& file : test.held) os.held.insert(fresh.Join(file));
    Run([&](platform::MemoryDialog& dialog, platform::DialogEvents& events) {
      const auto before = testing::FilesBelow(fresh.path(), true);
      os.answers = {kIdCancel};
      events.OnCommand(dialog, model::IDC_OK, 0);
      EXPECT_FALSE(dialog.ended());
      ASSERT_EQ(1u, os.messages.size());
      std::string said = os.messages[0].text;
      for (std::string part : test.said) {
        // The message names the game folder it was started in.
        const std::size_t at = part.find(game.path());
        if (at != std::string::npos) part.replace(at, game.path().size(), fresh.path());
        EXPECT_NE(std::string::npos, said.find(part)) << said << "\nlacks\n" << part;
      }
      EXPECT_EQ(kRetryCancelBox, os.messages[0].flags);
      EXPECT_EQ(before, testing::FilesBelow(fresh.path(), true));
      EXPECT_TRUE(dialog.IsChecked(model::IDC_VEYRA_WEAPONS));

      // Retry while the game still runs asks again; Cancel goes back to the dialog.
      os.answers = {kIdRetry, kIdCancel};
      events.OnCommand(dialog, model::IDC_OK, 0);
      EXPECT_FALSE(dialog.ended());
      EXPECT_EQ(3u, os.messages.size());
      EXPECT_EQ(before, testing::FilesBelow(fresh.path(), true));

      // Retry once the game has ended meanwhile goes ahead.
      os.answers = {kIdRetry};
      os.while_shown = [&] {
        os.processes->resize(1);
        os.held.clear();
      };
      events.OnCommand(dialog, model::IDC_OK, 0);
      EXPECT_EQ(4u, os.messages.size()) << os.messages.back().text;
      EXPECT_TRUE(dialog.ended());
    });
    for (const char* name : kGames) {
      EXPECT_EQ("HD b.mdl", testing::ReadFileBytes(fresh.Join(Weapon(name, "b.mdl")))) << name;
    }
    EXPECT_FALSE(testing::PathExists(fresh.Join("bin\\d3d9.fx")));
  }
}

TEST_F(GuardsTest, AProcessListThatCannotBeTakenAndAReadOnlyFileStopNothing) {
  os.processes = std::nullopt;
  disk.Inject({testing::Call::kOpenReadWrite, platform::error::kAccessDenied, "VYep2\\cfg\\autoexec.cfg", 0, 1});
  Run([&](platform::MemoryDialog& dialog, platform::DialogEvents& events) {
    events.OnCommand(dialog, model::IDC_OK, 0);
    EXPECT_TRUE(dialog.ended());
  });
  EXPECT_TRUE(os.messages.empty()) << os.messages[0].text;
  for (const char* name : kGames) {
    EXPECT_EQ("HD a.mdl", testing::ReadFileBytes(game.Join(Weapon(name, "a.mdl")))) << name;
  }
}

// Too little room on the drive: one message with what is needed (at least the
// weapon files the switch writes) and what is free; nothing written, the
// dialog stays, and with room the same OK goes ahead.
TEST_F(GuardsTest, WithTooLittleFreeSpaceOneMessageNamesBothAmountsAndNothingIsWritten) {
  const std::string big(3 << 20, 'H');  // 3 MiB, written into each of the three games
  Put("Repository\\HD_weapons\\hl2\\models\\weapons\\b.mdl", big);
  struct Case {
    const char* language;
    std::uint64_t free;
    const char* free_said;
    const char* needed_label;
    char decimal;
  };
  const Case cases[] = {
      {"english", 512 << 10, "\r\nFree: 512 KB\r\n", "undone: ", '.'},
      {"german", (5 << 20) + (1 << 20) * 9 / 10 + 1, "\r\nFrei: 5,9 MB\r\n", "Rückgängigmachen: ", ','},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.language);
    os.registry_overlay[{"Software\\Valve\\Steam", "Language"}] = std::string(test.language) + '\0';
    os.messages.clear();
    disk.free_space = test.free;
    Run([&](platform::MemoryDialog& dialog, platform::DialogEvents& events) {
      const auto before = testing::FilesBelow(game.path(), true);
      events.OnCommand(dialog, model::IDC_OK, 0);
      EXPECT_FALSE(dialog.ended());
      ASSERT_EQ(1u, os.messages.size());
      const std::string& said = os.messages[0].text;
      EXPECT_EQ(kNoticeBox, os.messages[0].flags);
      EXPECT_NE(std::string::npos, said.find(test.free_said)) << said;
      EXPECT_NE(std::string::npos, said.find("\r\n" + game.path() + "\r\n")) << said;
      const std::size_t at = said.find(test.needed_label);
      ASSERT_NE(std::string::npos, at) << said;
      std::string needed = said.substr(at + std::string(test.needed_label).size());
      needed = needed.substr(0, needed.find("\r\n"));
      ASSERT_EQ(" MB", needed.substr(needed.size() - 3)) << said;
      ASSERT_EQ(test.decimal, needed[needed.size() - 5]) << said;
      needed[needed.size() - 5] = '.';
      const double megabytes = std::stod(needed);
      EXPECT_GE(megabytes, 9.0) << said;   // three copies of 3 MiB
      EXPECT_LE(megabytes, 12.0) << said;  // and not far more
      EXPECT_EQ(before, testing::FilesBelow(game.path(), true));

      disk.free_space = 64 << 20;
      events.OnCommand(dialog, model::IDC_OK, 0);
      EXPECT_TRUE(dialog.ended());
    });
    EXPECT_EQ(1u, os.messages.size());
    EXPECT_EQ(big, testing::ReadFileBytes(game.Join(Weapon("ep2", "b.mdl"))));
    for (const char* name : kGames) Put(Weapon(name, "b.mdl"), "LO b.mdl");
  }
}

// The SweetFX removal deletes bin\dxgi.dll and the top folder's d3d9.dll. One
// that came with the modification, or that one of its own changes put there,
// goes without a question; a library of the player's own is named in one
// question: No keeps it, and everything else is still done.
TEST_F(GuardsTest, LibrariesNotTheModificationsAreNamedInOneQuestionAndNoKeepsThem) {
  const std::string dxgi = "bin\\dxgi.dll", d3d9 = "d3d9.dll";
  Put("SweetFX_Resources\\bin\\dxgi.dll", "SweetFX's dxgi");
  Put("Reshade_Resources\\Shaders\\d3d9.dll", "ReShade's d3d9");
  Put("Earlier\\d3d9.dll", "an earlier OK's d3d9");
  struct Case {
    const char* name;
    std::string dxgi_bytes;
    std::string d3d9_bytes;  // "" for none
    int answer;
    std::vector<std::string> asked;  // relative paths the question names
    std::vector<std::string> kept;
  };
  const Case cases[] = {
      {"the player's own, No", "the player's own injector", "", kIdNo, {dxgi}, {dxgi}},
      {"the player's own, Yes", "the player's own injector", "", kIdYes, {dxgi}, {}},
      {"the modification's", "SweetFX's dxgi", "ReShade's d3d9", kIdNo, {}, {}},
      {"both the player's, No", "own dxgi", "own d3d9", kIdNo, {dxgi, d3d9}, {dxgi, d3d9}},
      {"one put there by an earlier OK", "own dxgi", "an earlier OK's d3d9", kIdNo, {dxgi}, {dxgi}},
  };
  {
    // An earlier OK of the program's own wrote the top folder's d3d9.dll.
    backups::Journal journal(*real, game.path(), "OK");
    ASSERT_EQ(0u, journal.Copy(game.Join("Earlier\\d3d9.dll"), game.Join(d3d9)));
    journal.Finish();
  }
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    Put(dxgi, test.dxgi_bytes);
    if (test.d3d9_bytes.empty()) {
      std::filesystem::remove(testing::FileSystemPath(game.Join(d3d9)));
    } else {
      Put(d3d9, test.d3d9_bytes);
    }
    Put("bin\\d3d9.fx", "left over by SweetFX");
    for (const char* name : kGames) Put(Weapon(name, "a.mdl"), "LO a.mdl");
    os.messages.clear();
    os.answers = {test.answer};
    Run([&](platform::MemoryDialog& dialog, platform::DialogEvents& events) {
      events.OnCommand(dialog, model::IDC_OK, 0);
      EXPECT_TRUE(dialog.ended());
    });
    if (test.asked.empty()) {
      EXPECT_TRUE(os.messages.empty()) << os.messages[0].text;
    } else {
      ASSERT_EQ(1u, os.messages.size());
      const std::string& said = os.messages[0].text;
      EXPECT_EQ(kQuestionBox, os.messages[0].flags);
      for (const std::string& file : test.asked) {
        EXPECT_NE(std::string::npos, said.find(game.Join(file))) << said;
      }
      EXPECT_NE(std::string::npos,
                said.find(test.asked.size() == 1 ? "delete this file" : "delete these files"))
          << said;
    }
    EXPECT_EQ(std::set<std::string>(test.kept.begin(), test.kept.end()).count(dxgi) != 0,
              testing::PathExists(game.Join(dxgi)));
    EXPECT_EQ(std::set<std::string>(test.kept.begin(), test.kept.end()).count(d3d9) != 0,
              testing::PathExists(game.Join(d3d9)));
    ExpectTheWholeChange();
  }
}

TEST(ByteCountTest, KilobytesBelowAMegabyteElseMegabytesWithOneDecimal) {
  struct Case {
    std::uint64_t bytes;
    Rounding rounding;
    const char* english;
    const char* german;
  };
  const Case cases[] = {
      {0, Rounding::kUp, "0 KB", "0 KB"},
      {1, Rounding::kUp, "1 KB", "1 KB"},
      {1, Rounding::kDown, "0 KB", "0 KB"},
      {1024, Rounding::kUp, "1 KB", "1 KB"},
      {1025, Rounding::kUp, "2 KB", "2 KB"},
      {1048575, Rounding::kDown, "1023 KB", "1023 KB"},
      {1048575, Rounding::kUp, "1024 KB", "1024 KB"},
      {1048576, Rounding::kUp, "1.0 MB", "1,0 MB"},
      {1048577, Rounding::kUp, "1.1 MB", "1,1 MB"},
      {1048577, Rounding::kDown, "1.0 MB", "1,0 MB"},
      {5767168, Rounding::kDown, "5.5 MB", "5,5 MB"},        // 5.5 MiB
      {10737418240ull, Rounding::kUp, "10240.0 MB", "10240,0 MB"},  // 10 GiB
  };
  for (const Case& test : cases) {
    EXPECT_EQ(test.english, ByteCount(test.bytes, false, test.rounding)) << test.bytes;
    EXPECT_EQ(test.german, ByteCount(test.bytes, true, test.rounding)) << test.bytes;
  }
}

}  // namespace
}  // namespace veyra::app
