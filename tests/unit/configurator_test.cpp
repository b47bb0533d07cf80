#include "app/configurator.h"

#include <gtest/gtest.h>

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
