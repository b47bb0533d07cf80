#include "app/interface_texts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>

#include "app/configurator.h"
#include "app/dialog_layout.h"
#include "dialog/control_rules.h"
#include "install/apply_phase.h"
#include "model/control_ids.h"
#include "platform/posix/memory_dialog.h"
#include "tests/doubles/recording_os.h"
#include "tests/doubles/test_os.h"

namespace veyra::app {
namespace {

using namespace model;

class InterfaceTextsTest : public ::testing::Test {
 protected:
  InterfaceTextsTest() : dialog(SettingsDialogLayout()) {
    FillValueTables(state);
    for (const char* item : kProvisionalBloomItems) dialog.AddItem(IDC_BLOOM_LEVEL, item);
    for (const char* item : kProvisionalSunraysItems) dialog.AddItem(IDC_SUNRAYS_LEVEL, item);
  }

  std::vector<std::string> Items(int list) {
    std::vector<std::string> items;
    for (int n = 1; n <= dialog.ItemCount(list); ++n) items.push_back(dialog.ItemText(list, n));
    return items;
  }

  ProgramState state;
  platform::MemoryDialog dialog;
};

TEST_F(InterfaceTextsTest, GermanOnlyForExactlyGermanOrDeutsch) {
  for (const char* language : {"german", "deutsch"}) {
    EXPECT_TRUE(IsGermanInterface(language)) << language;
  }
  for (const char* language : {"", "German", "GERMAN", "english", "french", "russian", "deutsch "}) {
    EXPECT_FALSE(IsGermanInterface(language)) << '"' << language << '"';
  }
}

TEST_F(InterfaceTextsTest, EnglishTexts) {
  InterfaceTexts("french", dialog, state);
  EXPECT_EQ("Configurator", dialog.Caption());
  EXPECT_EQ("Cancel", dialog.Text(IDC_CANCEL));
  EXPECT_EQ(" Gaussian Blur Post Processing", dialog.Text(IDC_GAUSS_BLUR));
  EXPECT_EQ("Film Grain Post Processing ", dialog.Text(IDC_FILMGRAIN));
  EXPECT_EQ("Activates a special mode to improve performance for GPU's with more than 3GB of VRAM.",
            dialog.Text(IDC_LARGE_VRAM_TEXT));
  EXPECT_EQ((std::vector<std::string>{"Slightly", "Moderate", "Strong", "Very strong", "Extreme",
                                      "ReShade compatible", "Veyra Mod (recommended)",
                                      "Veyra Mod (more bloom)"}),
            Items(IDC_BLOOM_LEVEL));
  EXPECT_EQ((std::vector<std::string>{"Moderate", "Strong"}), Items(IDC_SUNRAYS_LEVEL));
}

TEST_F(InterfaceTextsTest, GermanTextsKeepTheirUmlauts) {
  InterfaceTexts("deutsch", dialog, state);
  EXPECT_EQ("Konfigurator", dialog.Caption());
  EXPECT_EQ("Abbruch", dialog.Text(IDC_CANCEL));
  EXPECT_EQ("Simulierter Waffenrückstoß", dialog.Text(IDC_RECOIL));
  EXPECT_EQ("Gaußscher Weichzeichner", dialog.Text(IDC_GAUSS_BLUR));
  EXPECT_EQ("Küstensequenz bei Nacht", dialog.Text(IDC_COAST_NIGHT));
  EXPECT_EQ("Filmähnliche Gammakurve", dialog.Text(IDC_FILMIC));
  EXPECT_EQ("Aktiviere hohe VRAM Nutzung (nur geeignet für Grafikkarten mit mehr als 3 GB VRAM)",
            dialog.Text(IDC_LARGE_VRAM_TEXT));
  EXPECT_EQ((std::vector<std::string>{"Leicht", "Moderat", "Stark", "Sehr stark", "Extrem",
                                      "Reshade kompatibel", "Veyra Mod (Empfehlung)",
                                      "Veyra Mod (mehr Bloom)"}),
            Items(IDC_BLOOM_LEVEL));
  EXPECT_EQ((std::vector<std::string>{"Moderat", "Stark"}), Items(IDC_SUNRAYS_LEVEL));
}

TEST_F(InterfaceTextsTest, UntranslatedControlsKeepTheirTextsInBothLanguages) {
  for (const char* language : {"english", "german"}) {
    SCOPED_TRACE(language);
    platform::MemoryDialog fresh(SettingsDialogLayout());
    InterfaceTexts(language, fresh, state);
    EXPECT_EQ("OK", fresh.Text(IDC_OK));
    EXPECT_EQ("Game Settings", fresh.Text(IDC_FRAME_GAME));
    EXPECT_EQ("Mienwerk", fresh.Text(IDC_MIENWERK));
    EXPECT_EQ("Maximum VALVE", fresh.Text(IDC_MAXIMUM_VALVE));
    EXPECT_EQ("!", fresh.Text(IDC_PRESET_EDIT));
    EXPECT_EQ("FXAA Antialiasing", fresh.Text(IDC_FXAA));
    for (int rule : {IDC_RULE_1107, IDC_RULE_1109, IDC_RULE_1110, IDC_RULE_1112, IDC_RULE_1115}) {
      EXPECT_EQ("", fresh.Text(rule)) << rule;
    }
  }
}

TEST_F(InterfaceTextsTest, EveryOtherControlGetsAText) {
  InterfaceTexts("german", dialog, state);
  for (const platform::ControlLayout& control : SettingsDialogLayout().controls) {
    if (control.kind == platform::ControlKind::kDropDownList) continue;
    const bool empty_frame = control.kind == platform::ControlKind::kFrame && control.id >= IDC_RULE_1107;
    EXPECT_EQ(empty_frame, dialog.Text(control.id).empty()) << control.name;
  }
}

TEST_F(InterfaceTextsTest, ChangesNoCheckMarkOrEnabledState) {
  dialog.SetChecked(IDC_SHARPEN, true);
  dialog.SetEnabled(IDC_BLOOM_LEVEL, false);
  InterfaceTexts("german", dialog, state);
  EXPECT_TRUE(dialog.IsChecked(IDC_SHARPEN));
  EXPECT_FALSE(dialog.IsEnabled(IDC_BLOOM_LEVEL));
  EXPECT_TRUE(dialog.IsEnabled(IDC_SUNRAYS_LEVEL));
}

TEST_F(InterfaceTextsTest, BloomSelectionFollowsTheDetectedScaleValue) {
  InterfaceTexts("english", dialog, state);  // BloomScaleValue still empty at start
  EXPECT_EQ(0, dialog.Selection(IDC_BLOOM_LEVEL));

  dialog.Select(IDC_BLOOM_LEVEL, 3);
  state.BloomScaleValue = "16.80";
  InterfaceTexts("english", dialog, state);
  EXPECT_EQ(5, dialog.Selection(IDC_BLOOM_LEVEL));

  state.BloomScaleValue = "16.8";  // not one of the table's texts
  InterfaceTexts("english", dialog, state);
  EXPECT_EQ(0, dialog.Selection(IDC_BLOOM_LEVEL));
}

TEST_F(InterfaceTextsTest, SunraysLevelKeepsItsSelection) {
  for (int level : {0, 1, 2}) {
    dialog.Select(IDC_SUNRAYS_LEVEL, level);
    InterfaceTexts(level == 1 ? "german" : "english", dialog, state);
    EXPECT_EQ(level, dialog.Selection(IDC_SUNRAYS_LEVEL));
    EXPECT_EQ(2, dialog.ItemCount(IDC_SUNRAYS_LEVEL));
  }
}

bool HasToolTip(platform::ControlKind kind) {
  return kind != platform::ControlKind::kFrame && kind != platform::ControlKind::kLabel;
}

TEST_F(InterfaceTextsTest, EveryCheckBoxListAndButtonHasOneTipInTheChosenLanguage) {
  const std::vector<int> rows = ControlsOfToolTipRows();
  platform::MemoryDialog english(SettingsDialogLayout()), german(SettingsDialogLayout());
  InterfaceTexts("english", english, state);
  InterfaceTexts("deutsch", german, state);
  for (const platform::ControlLayout& control : SettingsDialogLayout().controls) {
    SCOPED_TRACE(control.name);
    const bool wanted = HasToolTip(control.kind);
    EXPECT_EQ(wanted ? 1 : 0, std::count(rows.begin(), rows.end(), control.id));
    const platform::MemoryDialog::Control& in_english = *english.Find(control.id);
    const platform::MemoryDialog::Control& in_german = *german.Find(control.id);
    EXPECT_EQ(wanted, !in_english.tooltip.empty()) << in_english.tooltip;
    EXPECT_EQ(wanted, !in_german.tooltip.empty()) << in_german.tooltip;
    if (!wanted) continue;
    EXPECT_NE(in_english.tooltip, in_german.tooltip);
    EXPECT_EQ(in_english.unavailable_tooltip.empty(), in_german.unavailable_tooltip.empty())
        << '"' << in_english.unavailable_tooltip << "\" / \"" << in_german.unavailable_tooltip << '"';
    if (!in_english.unavailable_tooltip.empty()) {
      EXPECT_NE(in_english.unavailable_tooltip, in_german.unavailable_tooltip);
    }
  }
  EXPECT_EQ(47u, rows.size());
}

// A dialog that remembers every control the program ever disabled in it.
class DisableWatchingDialog : public platform::MemoryDialog {
 public:
  DisableWatchingDialog() : MemoryDialog(SettingsDialogLayout()) {}
  void SetEnabled(int id, bool enabled) override {
    if (!enabled) disabled.insert(id);
    MemoryDialog::SetEnabled(id, enabled);
  }
  std::set<int> disabled;
};

// Whatever greys a control out, the click reactions, the preset buttons or
// the detection at start, its tip then says why, in both languages.
TEST_F(InterfaceTextsTest, EveryControlThatCanBeGreyedOutSaysWhy) {
  std::set<int> greyed;
  for (const platform::ControlLayout& control : SettingsDialogLayout().controls) {
    for (bool checked : {false, true}) {
      DisableWatchingDialog watched;
      watched.SetChecked(control.id, checked);
      dialog::ReactToCheckBoxClick(watched, control.id);
      dialog::ApplyPresetButton(watched, control.id);
      greyed.insert(watched.disabled.begin(), watched.disabled.end());
    }
  }
  // At start in a game folder with nothing installed and no companion tool.
  testing::ScratchFolder folder;
  testing::MakeFolder(folder.Join("VYhl2"));
  std::unique_ptr<platform::Os> real = testing::MakeRealOs();
  testing::RecordingOs os(*real);
  os.current_directory = folder.path();
  int at_start = 0;
  for (const char* language : {"english", "german"}) {
    SCOPED_TRACE(language);
    os.registry_overlay[{"Software\\Valve\\Steam", "Language"}] = std::string(language) + '\0';
    os.dialog_script = [&](platform::MemoryDialog& shown, platform::DialogEvents&) {
      for (const platform::ControlLayout& control : SettingsDialogLayout().controls) {
        if (shown.IsEnabled(control.id)) continue;
        ++at_start;
        EXPECT_NE("", shown.Find(control.id)->unavailable_tooltip) << control.name;
      }
    };
    ProgramState fresh;
    RunConfigurator(os, fresh);
  }
  EXPECT_GT(at_start, 0) << "nothing was greyed out at start";
  EXPECT_TRUE(greyed.count(IDC_RECOIL) && greyed.count(IDC_SWEETFX_PRESET)) << greyed.size();

  InterfaceTexts("english", dialog, state);
  for (int id : greyed) EXPECT_NE("", dialog.Find(id)->unavailable_tooltip) << id;
}

TEST(MessageTextTest, WrongFolderNamesTheFolderInEitherLanguage) {
  const std::string folder = "D:\\Spiele\\100%1 %2 sicher";
  std::set<std::string> texts;
  for (const char* language : {"english", "german"}) {
    const std::string text = MessageText(language, Message::kWrongFolder, {folder});
    texts.insert(text);
    const std::size_t at = text.find("\r\n" + folder + "\r\n");
    ASSERT_NE(std::string::npos, at) << text;
    EXPECT_EQ(std::string::npos, text.find(folder, at + 2 + folder.size())) << text;
    EXPECT_EQ(std::string::npos, std::string(text).erase(at + 2, folder.size()).find('%')) << text;
    for (const char* folder_name : {"hl2", "VYhl2", "bin"}) {
      EXPECT_NE(std::string::npos, text.find(folder_name)) << language << ": " << folder_name;
    }
  }
  EXPECT_EQ(2u, texts.size()) << "the same text in both languages";
}

// A folder may hold "%2" in its name: what is put in is never taken for a marker.
TEST(MessageTextTest, InsertsComeOutAsTheyAreWhateverTheyHold) {
  for (const char* language : {"english", "german"}) {
    const std::string text =
        MessageText(language, Message::kNotEnoughSpace, {"7.4 MB %3", "512 KB %1", "D:\\100%2 %1"});
    for (const char* insert : {"7.4 MB %3", "512 KB %1", "\r\nD:\\100%2 %1\r\n"}) {
      EXPECT_NE(std::string::npos, text.find(insert)) << language << ": " << text;
    }
  }
}

TEST(LanguageNameMappingTest, GermanNamesBecomeSteamKeys) {
  const std::pair<const char*, const char*> table[] = {
      {"englisch", "english"},     {"deutsch", "german"},          {"französisch", "french"},
      {"italienisch", "italian"},  {"japanisch", "japanese"},      {"koreanisch", "korean"},
      {"portugiesisch", "portuguese"}, {"russisch", "russian"},    {"chinesisch", "schinese"},
      {"spanisch", "spanish"},     {"thai-chinesisch", "tchinese"}, {"thailändisch", "thai"},
  };
  for (const auto& [name, key] : table) EXPECT_EQ(key, install::LanguageNameMapping(name)) << name;
  for (const char* unchanged : {"german", "Deutsch", "", "klingonisch", "thai"}) {
    EXPECT_EQ(unchanged, install::LanguageNameMapping(unchanged));
  }
  EXPECT_TRUE(IsGermanInterface(install::LanguageNameMapping("deutsch")));
}

}  // namespace
}  // namespace veyra::app
