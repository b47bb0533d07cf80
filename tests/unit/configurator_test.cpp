#include "app/configurator.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "model/control_ids.h"
#include "tests/doubles/recording_os.h"
#include "tests/doubles/test_os.h"

namespace veyra::app {
namespace {

using namespace model;

using platform::DialogEvents;
using platform::MemoryDialog;

class ConfiguratorTest : public ::testing::Test {
 protected:
  ConfiguratorTest() : os(*real) {
    testing::MakeFolder(folder.Join("VYhl2"));
    os.current_directory = folder.path();
    os.registry_overlay[{"Software\\Valve\\Steam", "Language"}] = std::nullopt;
  }

  void SetLanguage(const std::string& language) {
    os.registry_overlay[{"Software\\Valve\\Steam", "Language"}] = language + '\0';
  }

  // Runs the program with `user` acting in the shown dialog.
  int Run(std::function<void(MemoryDialog&, DialogEvents&)> user) {
    os.dialog_script = [this, user](MemoryDialog& dialog, DialogEvents& events) {
      shown = true;
      user(dialog, events);
    };
    return RunConfigurator(os, state);
  }

  testing::ScratchFolder folder;
  std::unique_ptr<platform::Os> real = testing::MakeRealOs();
  testing::RecordingOs os;
  ProgramState state;
  bool shown = false;
};

TEST_F(ConfiguratorTest, UnreadableStartDirectoryShowsTheMessageAndNoDialog) {
  os.current_directory = std::nullopt;
  EXPECT_EQ(0, Run([](MemoryDialog&, DialogEvents&) {}));
  EXPECT_FALSE(shown);
  ASSERT_EQ(1u, os.messages.size());
  EXPECT_EQ("Kann Directory Puffer nicht anlegen", os.messages[0].text);
  EXPECT_EQ("", os.messages[0].caption);
  EXPECT_EQ(0x12000u, os.messages[0].flags);  // OK, no icon, task-modal, foreground
}

TEST_F(ConfiguratorTest, EveryBasePathIsTheStartDirectory) {
  for (const std::string& directory : {std::string("C:\\"), folder.path(), std::string("D:\\Spiele\\Läuft")}) {
    ProgramState fresh;
    os.current_directory = directory;
    os.dialog_script = nullptr;
    RunConfigurator(os, fresh);
    EXPECT_EQ(directory, fresh.StartDirectory);
    EXPECT_EQ(directory, fresh.BasePath);
    EXPECT_EQ(directory, fresh.EpisodicBasePath);
    EXPECT_EQ(directory, fresh.Ep2BasePath);
  }
}

TEST_F(ConfiguratorTest, FillsTheValueTables) {
  Run([](MemoryDialog&, DialogEvents&) {});
  EXPECT_EQ((std::array<std::string, 9>{"", "3.59", "6.54", "8.55", "10.70", "16.80", "0.70",
                                        "1.20", "1.61"}),
            state.BloomScaleValues);
  EXPECT_EQ("2.25", state.BloomTintExponentDreamy);
  EXPECT_EQ("2.25", state.BloomTintExponentDreamy3);
  EXPECT_EQ("1.6", state.TvGammaExponentDreamy);
  EXPECT_EQ("1.6", state.TvGammaExponentDreamy3);
}

TEST_F(ConfiguratorTest, DialogOpensInTheSteamLanguageWithItsListsPrepared) {
  for (const auto& [language, caption, first_bloom_item] :
       {std::tuple<std::string, std::string, std::string>{"", "Configurator", "Slightly"},
        {"german", "Konfigurator", "Leicht"},
        {"deutsch", "Konfigurator", "Leicht"},
        {"German", "Configurator", "Slightly"}}) {
    SCOPED_TRACE(language);
    if (language.empty()) {
      os.registry_overlay[{"Software\\Valve\\Steam", "Language"}] = std::nullopt;
    } else {
      SetLanguage(language);
    }
    Run([&](MemoryDialog& dialog, DialogEvents&) {
      EXPECT_EQ(caption, dialog.Caption());
      EXPECT_EQ(8, dialog.ItemCount(IDC_BLOOM_LEVEL));
      EXPECT_EQ(first_bloom_item, dialog.ItemText(IDC_BLOOM_LEVEL, 1));
      EXPECT_EQ(2, dialog.ItemCount(IDC_SUNRAYS_LEVEL));
      EXPECT_EQ("Abbruch" == dialog.Text(IDC_CANCEL), caption == "Konfigurator");
    });
    EXPECT_EQ(language.empty() ? "english" : language, state.SteamLanguage);
  }
}

// An empty or missing Steam language is no choice: the Windows display
// language decides then. A value that is there decides whatever Windows says.
TEST_F(ConfiguratorTest, WithoutASteamLanguageTheWindowsDisplayLanguageDecides) {
  struct Case {
    std::optional<std::string> stored;  // the registry data; nullopt: no value
    std::uint16_t display_language;
    std::string language;
    std::string caption;
  };
  const Case cases[] = {
      {std::nullopt, 0x0407, "german", "Konfigurator"},
      {std::string("\0", 1), 0x0407, "german", "Konfigurator"},
      {"", 0x0c07, "german", "Konfigurator"},  // Austria: any German counts
      {"", 0x0807, "german", "Konfigurator"},
      {"", 0x0409, "english", "Configurator"},
      {std::nullopt, 0x0415, "english", "Configurator"},
      {std::nullopt, 0x0000, "english", "Configurator"},
      {"english" + std::string(1, '\0'), 0x0407, "english", "Configurator"},
      {"german" + std::string(1, '\0'), 0x0409, "german", "Konfigurator"},
      {"french" + std::string(1, '\0'), 0x0407, "french", "Configurator"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(::testing::PrintToString(test.stored) + " on display language " +
                 std::to_string(test.display_language));
    os.registry_overlay[{"Software\\Valve\\Steam", "Language"}] = test.stored;
    os.user_interface_language = test.display_language;
    state = ProgramState{};
    std::string caption;
    Run([&](MemoryDialog& dialog, DialogEvents&) { caption = dialog.Caption(); });
    EXPECT_EQ(test.language, state.SteamLanguage);
    EXPECT_EQ(test.caption, caption);
  }
}

TEST_F(ConfiguratorTest, CommandsTakeTheLanguageTheSameWay) {
  os.registry_overlay[{"Software\\Valve\\Steam", "Language"}] = std::string("\0", 1);
  os.user_interface_language = 0x0407;
  os.arguments = {"/history"};
  os.has_console = true;
  EXPECT_EQ(0, RunConfigurator(os, state));
  EXPECT_EQ("Es wurde noch keine Änderung gespeichert.\n", os.console);
}

// What a folder holds, by name: true for a folder, false for a file.
using FolderContents = std::map<std::string, bool>;

// Every entry below `folder` with the bytes of each file; "/" ends a folder's name.
std::map<std::string, std::string> Snapshot(const std::string& folder) {
  std::map<std::string, std::string> entries;
  const std::filesystem::path root = testing::FileSystemPath(folder);
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    const std::string name = entry.path().lexically_relative(root).generic_string();
    if (entry.is_directory()) {
      entries[name + "/"] = "";
    } else {
      entries[name] = testing::ReadFileBytes(testing::ProgramPath(entry.path()));
    }
  }
  return entries;
}

TEST_F(ConfiguratorTest, OutsideTheGameFolderOneMessageSaysSoAndNothingIsTouched) {
  const FolderContents elsewhere[] = {
      {},
      {{"hl2", false}, {"VYhl2", false}},  // files of those names are no game
      {{"bin", true}, {"episodic", true}, {"ep2", true}, {"VYep2", true}, {"hl2x", true}},
  };
  for (const bool german : {false, true}) {
    for (const FolderContents& contents : elsewhere) {
      testing::ScratchFolder other;
      for (const auto& [name, is_folder] : contents) {
        if (is_folder) {
          testing::MakeFolder(other.Join(name));
          testing::WriteFileBytes(other.Join(name + "\\keep.txt"), "kept");
        } else {
          testing::WriteFileBytes(other.Join(name), "not a folder");
        }
      }
      SCOPED_TRACE(std::to_string(contents.size()) + " entries, German " + std::to_string(german));
      const auto before = Snapshot(other.path());
      os.current_directory = other.path();
      os.user_interface_language = german ? 0x0407 : 0x0409;
      os.messages.clear();
      shown = false;
      state = ProgramState{};

      EXPECT_EQ(kExitWrongFolder, Run([](MemoryDialog&, DialogEvents&) {}));
      EXPECT_FALSE(shown);
      ASSERT_EQ(1u, os.messages.size());
      const std::string& text = os.messages[0].text;
      EXPECT_NE(std::string::npos, text.find("\r\n" + other.path() + "\r\n")) << text;
      EXPECT_NE(std::string::npos,
                text.find(german ? "Installationsordner des Spiels" : "game's installation folder"))
          << text;
      EXPECT_EQ(german ? "Konfigurator" : "Configurator", os.messages[0].caption);
      EXPECT_EQ(0x12030u, os.messages[0].flags);  // OK, exclamation, task-modal, foreground
      EXPECT_EQ(before, Snapshot(other.path()));
    }
  }
}

TEST_F(ConfiguratorTest, EitherGameFolderMakesTheInstallationFolder) {
  for (const char* marker : {"hl2", "VYhl2"}) {
    testing::ScratchFolder game;
    testing::MakeFolder(game.Join(marker));
    os.current_directory = game.path();
    shown = false;
    os.messages.clear();
    EXPECT_EQ(0, Run([](MemoryDialog& dialog, DialogEvents& events) {
      events.OnCommand(dialog, IDC_CANCEL, 0);
    })) << marker;
    EXPECT_TRUE(shown) << marker;
  }
}

TEST_F(ConfiguratorTest, OkEndsTheDialogWithoutCancelling) {
  Run([](MemoryDialog& dialog, DialogEvents& events) {
    EXPECT_TRUE(events.OnCommand(dialog, IDC_OK, 0));
    EXPECT_TRUE(dialog.ended());
  });
  EXPECT_TRUE(shown);
  EXPECT_EQ(0, state.CancelRequested);
}

TEST_F(ConfiguratorTest, CancelAndSystemCloseBothCancel) {
  Run([](MemoryDialog& dialog, DialogEvents& events) {
    EXPECT_TRUE(events.OnCommand(dialog, IDC_CANCEL, 1));
    EXPECT_TRUE(dialog.ended());
  });
  EXPECT_EQ(1, state.CancelRequested);

  ProgramState second;
  os.dialog_script = [](MemoryDialog& dialog, DialogEvents& events) {
    events.OnCloseRequest(dialog);
    EXPECT_TRUE(dialog.ended());
  };
  RunConfigurator(os, second);
  EXPECT_EQ(1, second.CancelRequested);
}

TEST_F(ConfiguratorTest, EscapeOtherNotificationsAndListChangesDoNotEndTheDialog) {
  Run([](MemoryDialog& dialog, DialogEvents& events) {
    EXPECT_FALSE(events.OnCommand(dialog, 2, 0));               // Escape
    EXPECT_FALSE(events.OnCommand(dialog, IDC_OK, 5));          // BN_DOUBLECLICKED-like codes
    EXPECT_FALSE(events.OnCommand(dialog, IDC_BLOOM_LEVEL, 1));  // selection change
    EXPECT_FALSE(dialog.ended());
  });
}

TEST_F(ConfiguratorTest, FocusComesBackAfterReactivation) {
  Run([](MemoryDialog& dialog, DialogEvents& events) {
    dialog.SetFocus(42);
    events.OnActivationChange(dialog, false);
    dialog.SetFocus(7);  // the focus moved while the dialog was inactive
    events.OnActivationChange(dialog, true);
    EXPECT_EQ(42u, dialog.FocusedControl());
    dialog.SetFocus(9);
    events.OnActivationChange(dialog, true);  // nothing remembered any more
    EXPECT_EQ(9u, dialog.FocusedControl());
  });
}

}  // namespace
}  // namespace veyra::app
