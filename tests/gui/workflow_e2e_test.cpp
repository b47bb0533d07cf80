// Whole runs of the real VeyraConfig.exe: what it reads from a prepared game
// folder, how the open dialog reacts to clicks, and what it leaves behind in the
// game folder and the registry after OK or after closing without confirming.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "automation.h"
#include "e2e_support.h"
#include "workflow_support.h"

namespace veyra::gui {
namespace {

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

// --- prepared game folders

const std::wstring kAutoexecs[] = {L"\\VYhl2\\cfg\\autoexec.cfg", L"\\VYepisodic\\cfg\\autoexec.cfg",
                                   L"\\VYep2\\cfg\\autoexec.cfg"};
const std::wstring kLoose = L"\\hl2\\custom\\1_VY_looseFiles";
const std::string kSunraysStrongOff =
    "ppe_sunrays_strong.txt\"\n\t\t\"effect_start_enabled\"\t\t\"0\"";
const std::string kSunraysStrongOn =
    "ppe_sunrays_strong.txt\"\n\t\t\"effect_start_enabled\"\t\t\"1\"";

void WriteAutoexec(const GameFolder& game, const std::string& text) {
  for (const std::wstring& file : kAutoexecs) WriteBytes(game.path() + file, text);
}

void TurnStrongSunraysOn(const GameFolder& game) {
  const std::wstring path = game.path() + L"\\VYhl2\\shadereditorui\\postprocessing_precache.txt";
  std::optional<std::string> text = ReadBytes(path);
  ASSERT_TRUE(text.has_value());
  ASSERT_NE(std::string::npos, text->find(kSunraysStrongOff)) << "sample precache list: " << *text;
  ReplaceAll(*text, kSunraysStrongOff, kSunraysStrongOn);
  WriteBytes(path, *text);
}

// The preset names the folder offers: its files' names without ".txt", sorted.
std::vector<std::wstring> PresetsIn(const GameFolder& game) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW((game.path() + L"\\SweetFX\\Presets\\*.txt").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    std::wstring name = entry.cFileName;
    names.push_back(name.substr(0, name.size() - 4));
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::wstring> Sorted(std::vector<std::wstring> items) {
  std::sort(items.begin(), items.end());
  return items;
}

// --- detection

struct DetectionCase {
  const char* name;
  std::function<void(const GameFolder&)> prepare;
  std::vector<Want> wants;
  const wchar_t* selected_preset;  // the preset list's selected text
};

void PrintTo(const DetectionCase& c, std::ostream* out) { *out << c.name; }

const DetectionCase kDetectionCases[] = {
    {"ConfiguredInstallation",
     [](const GameFolder& game) {
       WriteAutoexec(game,
                     "rk_ppe_sharpen 2\r\nmat_bloom_scalefactor_scalar 1.20\r\nrk_ppe_hpd 1\r\n"
                     "rk_ppe_bokehdof 2\r\n");
       WriteBytes(game.path() + kLoose + L"\\models\\weapons\\tag", "VY weapons\r\n");
       TurnStrongSunraysOn(game);
       WriteBytes(game.path() + L"\\bin\\SweetFX_preset.txt",
                  "#include \"SweetFX\\Presets\\(NoSMAA)Default_Desaturated.txt\"\r\n");
     },
     {{kSharpen, BST_CHECKED},
      {kSharpenStronger, BST_CHECKED, 1},
      {kSharpenStrongest, BST_UNCHECKED},
      {kBloom, BST_CHECKED},
      {kBloomLevel, kAny, 1, 6},  // 1.20 is the seventh value
      {kHpd, BST_CHECKED},
      {kHpdStronger, BST_UNCHECKED, 1},
      {kHpdStrongest, BST_UNCHECKED, 1},
      {kUncharted, BST_UNCHECKED},
      {kUnchartedStronger, kAny, 0},
      {kUnchartedStrongest, kAny, 0},
      {kDof, BST_CHECKED},
      {kDofChromatic, BST_CHECKED},
      {kWeapons, BST_CHECKED},
      {kRecoil, kAny, 1},
      {kHideCrosshair, kAny, 1},
      {kSunrays, BST_CHECKED},
      {kSunraysLevel, kAny, kAny, 1},
      {kReShade, BST_UNCHECKED},
      {kSweetFx, BST_CHECKED},
      {kPresetList, kAny, 1},
      {kPresetEdit, kAny, 1}},
     L"(NoSMAA)Default_Desaturated"},
    {"QuotedValuesOriginalWeaponsReShade",
     [](const GameFolder& game) {
       WriteAutoexec(game,
                     "rk_ppe_sharpen \"3\"\r\nmat_bloom_scalefactor_scalar 1.00\r\n"
                     "rk_ppe_uncharted 2\r\n// crosshair 0\r\n");
       WriteBytes(game.path() + kLoose + L"\\models\\weapons\\tag", "original weapons\r\n");
       WriteBytes(game.path() + L"\\bin\\ReShade.fx", "ReShade\r\n");
     },
     {{kSharpen, BST_CHECKED},
      {kSharpenStronger, BST_UNCHECKED, 1},
      {kSharpenStrongest, BST_CHECKED},
      {kBloom, BST_UNCHECKED},
      {kBloomLevel, kAny, 0, 0},
      {kUncharted, BST_CHECKED},
      {kUnchartedStronger, BST_CHECKED, 1},
      {kUnchartedStrongest, BST_UNCHECKED, 1},
      {kHpd, BST_UNCHECKED},
      {kHpdStronger, kAny, 0},
      {kHideCrosshair, BST_CHECKED, 0},
      {kWeapons, BST_UNCHECKED},
      {kRecoil, kAny, 0},
      {kSunrays, BST_UNCHECKED},
      {kReShade, BST_CHECKED},
      {kSweetFx, BST_UNCHECKED},
      {kPresetList, kAny, 0, -1},
      {kPresetEdit, kAny, 0}},
     L""},
    {"PresetFileNamingNoOfferedPreset",
     [](const GameFolder& game) {
       WriteAutoexec(game, "rk_ppe_sharpen 1\r\n");
       WriteBytes(game.path() + L"\\bin\\SweetFX_preset.txt",
                  "#include \"SweetFX\\Presets\\Missing.txt\"\r\n");
       WriteBytes(game.path() + kLoose + L"\\maps\\tag", "night\r\n");
     },
     {{kSharpen, BST_CHECKED},
      {kSharpenStronger, BST_UNCHECKED, 1},
      {kBloom, BST_CHECKED},
      {kBloomLevel, kAny, 1, 0},
      {kCoastNight, BST_CHECKED},
      {kSweetFx, BST_CHECKED},
      {kPresetList, kAny, 1, -1}},
     L""},
};

class WorkflowDetectionTest : public ::testing::TestWithParam<DetectionCase> {};

TEST_P(WorkflowDetectionTest, DialogShowsWhatTheFilesSay) {
  const SteamLanguageValue language("english");
  const GameFolder game;
  ASSERT_TRUE(game.holds_game()) << "VEYRA_SAMPLE_GAME names no sample game";
  ASSERT_NO_FATAL_FAILURE(GetParam().prepare(game));
  Session run(game);
  ASSERT_DIALOG(run);
  ExpectControls(run.dialog(), GetParam().wants);
  EXPECT_EQ(Utf8(GetParam().selected_preset), Utf8(SelectedItem(run.dialog(), kPresetList)));
  const std::vector<std::wstring> presets = PresetsIn(game);
  EXPECT_EQ(4u, presets.size());
  EXPECT_EQ(presets, Sorted(ReadControl(run.dialog(), Control(run.dialog(), kPresetList)).items));
  EXPECT_TRUE(run.program().messages().empty()) << run.program().Status();
}

INSTANTIATE_TEST_SUITE_P(Workflow, WorkflowDetectionTest, ::testing::ValuesIn(kDetectionCases),
                         [](const auto& info) { return std::string(info.param.name); });

// --- confirmation

TEST(WorkflowConfirmTest, OkKeepsThePlayersQuotesAndReplacesTheSettingLines) {
  const SteamLanguageValue language("english");
  const GameFolder game;
  ASSERT_TRUE(game.holds_game());
  WriteAutoexec(game,
                "// my binds\r\n"
                "bind \"F6\" \"say quicksave; save quick\"\r\n"
                "alias \"+jt\" \"+jump;-attack\"\r\n"
                "bind \"SPACE\" \"+jt\"\r\n"
                "crosshair \"0\"\r\n"
                "\"mat_queue_mode\" \"2\"\r\n"
                "rk_ppe_sharpen \"1\"\r\n"
                "echo \"mat_monitorgamma 2.2\"\r\n"
                "\tmat_monitorgamma \"2.2\"\n");
  Session run(game);
  ASSERT_DIALOG(run);
  ExpectControls(run.dialog(), {{kSharpen, BST_CHECKED}});
  ASSERT_TRUE(run.CloseWith(kOk));

  // The setting lines lose their quotes; those the block writes go, the others stay.
  const std::string expected_free_part =
      "// my binds\r\n"
      "bind \"F6\" \"say quicksave; save quick\"\r\n"
      "alias \"+jt\" \"+jump;-attack\"\r\n"
      "bind \"SPACE\" \"+jt\"\r\n"
      "echo \"mat_monitorgamma 2.2\"\r\n"
      "\tmat_monitorgamma 2.2\n";
  const std::string marker =
      "// Configurator generated settings: NEVER EVER EDIT THE LINES BELOW MANUALLY!\r\n// " +
      std::string(74, '-') + "\r\n";
  for (const std::wstring& file : kAutoexecs) {
    SCOPED_TRACE(Utf8(file));
    const std::optional<std::string> text = ReadBytes(game.path() + file);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(expected_free_part, text->substr(0, expected_free_part.size()));
    const std::string block = text->substr(std::min(expected_free_part.size(), text->size()));
    EXPECT_EQ(0u, block.find(marker)) << *text;
    EXPECT_EQ(std::string::npos, block.find('"')) << *text;
    EXPECT_NE(std::string::npos, block.find("\r\nrk_ppe_sharpen 1\r\n")) << *text;
    EXPECT_EQ(std::string::npos, block.find("mat_queue_mode")) << *text;
  }
  EXPECT_TRUE(run.program().messages().empty()) << run.program().Status();
}

// --- started elsewhere

TEST(WorkflowStartTest, OutsideTheGameFolderOneMessageNamesItAndNothingChanges) {
  const SteamLanguageValue language("english");
  const GameFolder elsewhere(GameFolder::Content::kNothing);
  // What a downloads folder might hold, with folders of the game's other names.
  WriteBytes(elsewhere.path() + L"\\readme.txt", "read me");
  for (const wchar_t* folder : {L"\\bin", L"\\episodic", L"\\VYep2"}) {
    ASSERT_TRUE(CreateDirectoryW((elsewhere.path() + folder).c_str(), nullptr)) << GetLastError();
    WriteBytes(elsewhere.path() + folder + L"\\keep.txt", "kept");
  }
  const Snapshot before = Take(elsewhere.path(), Keep::kDigest);

  Configurator program(elsewhere.path());
  const std::optional<DWORD> code = program.WaitForExit();
  ASSERT_TRUE(code.has_value()) << program.Status();
  EXPECT_EQ(3u, *code) << program.Status();
  ASSERT_EQ(1u, program.messages().size()) << program.Status();
  const MessageSeen& message = program.messages()[0];
  EXPECT_EQ(L"Configurator", message.caption);
  EXPECT_NE(std::wstring::npos, message.text.find(L"game's installation folder")) << Utf8(message.text);
  EXPECT_NE(std::wstring::npos, message.text.find(elsewhere.path())) << Utf8(message.text);
  EXPECT_EQ("", Differences(before, Take(elsewhere.path(), Keep::kDigest)));
}

// --- closing without confirming

struct LeaveCase {
  const char* name;
  void (*close)(HWND dialog);
};

const LeaveCase kLeaveCases[] = {
    {"CancelButton", [](HWND dialog) { EXPECT_TRUE(Click(dialog, kCancel)); }},
    {"AltF4", [](HWND dialog) { PostKey(Control(dialog, kOk), VK_F4, /*alt=*/true); }},
    {"CloseMessage", [](HWND dialog) { PostMessageW(dialog, WM_CLOSE, 0, 0); }},
    {"EscapeThenCancel",
     [](HWND dialog) {
       PostKey(Control(dialog, kOk), VK_ESCAPE);
       EXPECT_TRUE(Click(dialog, kCancel));
     }},
};

void PrintTo(const LeaveCase& c, std::ostream* out) { *out << c.name; }

class WorkflowLeaveTest : public ::testing::TestWithParam<LeaveCase> {};

TEST_P(WorkflowLeaveTest, LeavesEveryFileAndTheRegistryAsTheyWere) {
  const SteamLanguageValue language("english");
  const NoSettingsKeys no_keys;
  const GameFolder game;
  ASSERT_TRUE(game.holds_game());
  WriteBytes(game.path() + L"\\bin\\SweetFX_preset.txt",
             "#include \"SweetFX\\Presets\\SMAA_Sharp.txt\"\r\n");
  Session run(game);
  ASSERT_DIALOG(run);
  // Choices that would change files and the registry if they were applied.
  for (int id : {kWeapons, kCoastNight, kVeyraSkill, kAnamorph, kFxaa, kSunrays}) {
    ASSERT_TRUE(Click(run.dialog(), id)) << id;
  }
  ExpectControls(run.dialog(), {{kWeapons, BST_CHECKED}, {kCoastNight, BST_CHECKED},
                                {kVeyraSkill, BST_CHECKED}, {kAnamorph, BST_CHECKED}, {kSunrays, BST_CHECKED}});
  const Snapshot before = Take(game.path());
  ASSERT_TRUE(before.count(L"\\VYhl2\\cfg\\autoexec.cfg")) << before.size() << " entries";
  GetParam().close(run.dialog());
  ASSERT_TRUE(run.AwaitExit());
  EXPECT_EQ("", Differences(before, Take(game.path())));
  for (const char* key : kSettingsKeys) EXPECT_FALSE(KeyExists(key)) << key;
}

INSTANTIATE_TEST_SUITE_P(Workflow, WorkflowLeaveTest, ::testing::ValuesIn(kLeaveCases),
                         [](const auto& info) { return std::string(info.param.name); });

// --- reactions of the open dialog

struct ReactionCase {
  const char* name;
  int clicked;
  std::vector<Want> wants;
};

void PrintTo(const ReactionCase& c, std::ostream* out) { *out << c.name; }

// Starting state: sharpen on, HPD "stronger", SweetFX with a preset, enhanced bloom
// at level 2, no weapons, no ReShade.
const ReactionCase kReactionCases[] = {
    {"SharpenOff", kSharpen,
     {{kSharpen, BST_UNCHECKED}, {kSharpenStronger, kAny, 0}, {kSharpenStrongest, kAny, 0}}},
    {"ReShadeOn", kReShade,
     {{kReShade, BST_CHECKED},
      {kSweetFx, BST_UNCHECKED, 1},
      {kPresetList, kAny, 0, kAny},
      {kPresetEdit, kAny, 0},
      {kBloomLevel, kAny, 1, 5}}},
    {"UnchartedOn", kUncharted,
     {{kUncharted, BST_CHECKED},
      {kUnchartedStronger, kAny, 1},
      {kUnchartedStrongest, kAny, 1},
      {kHpd, BST_UNCHECKED},
      {kHpdStronger, BST_CHECKED, 0},  // disabling keeps the check
      {kHpdStrongest, kAny, 0}}},
    {"WeaponsOn", kWeapons, {{kWeapons, BST_CHECKED}, {kRecoil, kAny, 1}, {kHideCrosshair, kAny, 1}}},
    {"BloomOff", kBloom, {{kBloom, BST_UNCHECKED}, {kBloomLevel, kAny, 0, 1}}},
    {"Recommended", kRecommended,
     {{kWeapons, BST_CHECKED},
      {kRecoil, BST_CHECKED, 1},
      {kHideCrosshair, BST_UNCHECKED, 1},
      {kCoastNight, BST_CHECKED},
      {kBloom, BST_CHECKED},
      {kBloomLevel, kAny, 1, 6},
      {kSunrays, BST_UNCHECKED},
      {kSunraysLevel, kAny, 0, 1},
      {kHpd, BST_CHECKED},
      {kHpdStronger, BST_CHECKED, 1},
      {kHpdStrongest, BST_UNCHECKED, 1},
      {kSharpen, BST_CHECKED},
      {kSharpenStronger, BST_UNCHECKED, 1},
      {kFilmic, BST_UNCHECKED},
      {kDof, BST_CHECKED},
      {kDofChromatic, BST_CHECKED, 1},
      {kSweetFx, BST_UNCHECKED},
      {kPresetList, kAny, 0},
      {kPresetEdit, kAny, 0},
      {kReShade, BST_UNCHECKED}}},
    {"Recommended2", kRecommended2,
     {{kHpd, BST_UNCHECKED},
      {kHpdStronger, BST_UNCHECKED, 0},
      {kHpdStrongest, BST_UNCHECKED, 0},
      {kFilmic, BST_CHECKED},
      {kBloomLevel, kAny, 1, 6}}},
    {"MaximumValve", kMaximumValve,
     {{kWeapons, BST_UNCHECKED},
      {kRecoil, BST_UNCHECKED, 0},
      {kHideCrosshair, BST_UNCHECKED, 0},
      {kBloom, BST_UNCHECKED},
      {kBloomLevel, kAny, 0, 1},
      {kSharpen, BST_UNCHECKED},
      {kSharpenStronger, BST_UNCHECKED, 0},
      {kSweetFx, BST_UNCHECKED, 1},
      {kPresetList, kAny, 0},
      {kPresetEdit, kAny, 0}}},
};

class WorkflowReactionTest : public ::testing::TestWithParam<ReactionCase> {};

TEST_P(WorkflowReactionTest, ClickSetsTheDependentControls) {
  const SteamLanguageValue language("english");
  const GameFolder game;
  ASSERT_TRUE(game.holds_game());
  WriteAutoexec(game, "rk_ppe_sharpen 1\r\nrk_ppe_hpd 2\r\nmat_bloom_scalefactor_scalar 6.54\r\n");
  WriteBytes(game.path() + L"\\bin\\SweetFX_preset.txt",
             "#include \"SweetFX\\Presets\\Cinematic.txt\"\r\n");
  Session run(game);
  ASSERT_DIALOG(run);
  // The starting state the cases build on.
  ExpectControls(run.dialog(), {{kSharpen, BST_CHECKED, 1},
                                {kHpd, BST_CHECKED},
                                {kHpdStronger, BST_CHECKED, 1},
                                {kBloomLevel, kAny, 1, 1},
                                {kSweetFx, BST_CHECKED},
                                {kWeapons, BST_UNCHECKED},
                                {kReShade, BST_UNCHECKED}});
  ASSERT_FALSE(::testing::Test::HasFailure());
  ASSERT_TRUE(Click(run.dialog(), GetParam().clicked));
  ExpectControls(run.dialog(), GetParam().wants);
  if (GetParam().clicked == kRecommended || GetParam().clicked == kRecommended2) {
    EXPECT_EQ("(NoSMAA)Default_Desaturated", Utf8(SelectedItem(run.dialog(), kPresetList)));
  } else {
    EXPECT_EQ("Cinematic", Utf8(SelectedItem(run.dialog(), kPresetList)));
  }
  EXPECT_TRUE(run.program().Running());
}

INSTANTIATE_TEST_SUITE_P(Workflow, WorkflowReactionTest, ::testing::ValuesIn(kReactionCases),
                         [](const auto& info) { return std::string(info.param.name); });

// --- applying

TEST(WorkflowApplyTest, WeaponsAreCopiedIntoTheThreeGamesAndDetectedNextTime) {
  const SteamLanguageValue language("english");
  const GameFolder game;
  ASSERT_TRUE(game.holds_game());
  {
    Session run(game);
    ASSERT_DIALOG(run);
    ExpectControls(run.dialog(), {{kWeapons, BST_UNCHECKED}});
    ASSERT_TRUE(Click(run.dialog(), kWeapons));
    ExpectControls(run.dialog(), {{kWeapons, BST_CHECKED}});
    ASSERT_TRUE(run.CloseWith(kOk));
    EXPECT_TRUE(run.program().messages().empty()) << run.program().Status();
  }
  for (const wchar_t* name : {L"hl2", L"episodic", L"ep2"}) {
    SCOPED_TRACE(Utf8(name));
    ExpectCopied(game.path() + L"\\Repository\\HD_weapons\\hl2",
                 game.path() + L"\\" + name + L"\\custom\\1_VY_looseFiles");
  }
  Session again(game);
  ASSERT_DIALOG(again);
  ExpectControls(again.dialog(), {{kWeapons, BST_CHECKED}, {kRecoil, kAny, 1}, {kHideCrosshair, kAny, 1}});
}

TEST(WorkflowApplyTest, NightCoastMapsReplaceTheMapsAndAreDetectedNextTime) {
  const SteamLanguageValue language("english");
  const GameFolder game;
  ASSERT_TRUE(game.holds_game());
  {
    Session run(game);
    ASSERT_DIALOG(run);
    ExpectControls(run.dialog(), {{kCoastNight, BST_UNCHECKED}});
    ASSERT_TRUE(Click(run.dialog(), kCoastNight));
    ExpectControls(run.dialog(), {{kCoastNight, BST_CHECKED}});
    ASSERT_TRUE(run.CloseWith(kOk));
  }
  const std::wstring maps = game.path() + kLoose + L"\\maps";
  for (const wchar_t* file : {L"\\tag", L"\\d2_coast_01.bsp", L"\\graphs\\d2_coast_01.ain"}) {
    const std::optional<std::string> source = ReadBytes(maps + L"\\NIGHT" + file);
    ASSERT_TRUE(source.has_value()) << Utf8(file);
    EXPECT_EQ(*source, ReadBytes(maps + file).value_or("<missing>")) << Utf8(file);
  }
  Session again(game);
  ASSERT_DIALOG(again);
  ExpectControls(again.dialog(), {{kCoastNight, BST_CHECKED}});
}

TEST(WorkflowApplyTest, SweetFxInstallsWithTheChosenPresetAndUninstalls) {
  const SteamLanguageValue language("english");
  const NoSettingsKeys no_keys;
  const GameFolder game;
  ASSERT_TRUE(game.holds_game());
  const std::wstring bin = game.path() + L"\\bin";
  const wchar_t* const injector_files[] = {L"\\d3d9.dll", L"\\injector.ini", L"\\SweetFX_settings.txt"};
  {
    Session run(game);
    ASSERT_DIALOG(run);
    ExpectControls(run.dialog(), {{kSweetFx, BST_UNCHECKED}, {kPresetList, kAny, 0, -1}});
    ASSERT_TRUE(Click(run.dialog(), kSweetFx));
    ExpectControls(run.dialog(), {{kSweetFx, BST_CHECKED}, {kPresetList, kAny, 1}});
    EXPECT_EQ("Default", Utf8(SelectedItem(run.dialog(), kPresetList)));
    ASSERT_TRUE(SelectItem(run.dialog(), kPresetList, L"Cinematic"));
    ASSERT_TRUE(run.CloseWith(kOk));
    EXPECT_TRUE(run.program().messages().empty()) << run.program().Status();
  }
  EXPECT_EQ("#include \"SweetFX\\Presets\\Cinematic.txt\"\r\n",
            ReadBytes(bin + L"\\SweetFX_preset.txt").value_or("<missing>"));
  ExpectCopied(game.path() + L"\\SweetFX_Resources\\bin", bin);
  // Not an SMAA preset: the anti-aliasing values stay as they were.
  for (const char* key : kSettingsKeys) EXPECT_FALSE(KeyExists(key)) << key;
  {
    Session run(game);
    ASSERT_DIALOG(run);
    ExpectControls(run.dialog(), {{kSweetFx, BST_CHECKED}, {kPresetList, kAny, 1}});
    EXPECT_EQ("Cinematic", Utf8(SelectedItem(run.dialog(), kPresetList)));
    ASSERT_TRUE(Click(run.dialog(), kSweetFx));
    ExpectControls(run.dialog(), {{kSweetFx, BST_UNCHECKED}});
    ASSERT_TRUE(run.CloseWith(kOk));
  }
  EXPECT_FALSE(Exists(bin + L"\\SweetFX_preset.txt"));
  for (const wchar_t* file : injector_files) EXPECT_FALSE(Exists(bin + file)) << Utf8(file);
  EXPECT_TRUE(Exists(bin + L"\\engine.dll.txt"));
}

TEST(WorkflowApplyTest, FxaaResetsTheAntiAliasingValuesOfAllSixGames) {
  const SteamLanguageValue language("english");
  const NoSettingsKeys no_keys;
  const GameFolder game;
  ASSERT_TRUE(game.holds_game());
  WriteAutoexec(game, "rk_ppe_sharpen 1\r\n");
  Session run(game);
  ASSERT_DIALOG(run);
  ExpectControls(run.dialog(), {{kFxaa, BST_UNCHECKED}});
  ASSERT_TRUE(Click(run.dialog(), kFxaa));
  ExpectControls(run.dialog(), {{kFxaa, BST_CHECKED}});
  ASSERT_TRUE(run.CloseWith(kOk));
  EXPECT_TRUE(run.program().messages().empty()) << run.program().Status();
  for (const char* key : kSettingsKeys) {
    for (const char* value : kAntiAliasingValues) {
      DWORD type = REG_NONE, data = 0xDEADBEEF, size = sizeof(data);
      const LSTATUS status = RegGetValueA(HKEY_CURRENT_USER, key, value, RRF_RT_ANY, &type, &data, &size);
      EXPECT_EQ(ERROR_SUCCESS, status) << key << " " << value;
      EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type) << key << " " << value;
      EXPECT_EQ(0u, data) << key << " " << value;
    }
  }
}

// --- the tool buttons

// The processes of this name that were not in `before`.
std::vector<DWORD> NewProcesses(const wchar_t* name, const std::vector<DWORD>& before) {
  std::vector<DWORD> added;
  for (DWORD id : ProcessesNamed(name)) {
    if (std::find(before.begin(), before.end(), id) == before.end()) added.push_back(id);
  }
  return added;
}

// Ends a process this test caused to start: its window is closed, and the
// process is ended by force only when it does not go by itself.
void EndStarted(const wchar_t* name, DWORD id, HWND window) {
  if (window) PostMessageW(window, WM_CLOSE, 0, 0);
  const auto gone = [&] {
    const std::vector<DWORD> ids = ProcessesNamed(name);
    return std::find(ids.begin(), ids.end(), id) == ids.end();
  };
  if (WaitUntil(kTimeoutMs, gone)) return;
  if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, id)) {
    TerminateProcess(process, 1);
    CloseHandle(process);
  }
}

TEST(WorkflowToolTest, PresetEditOpensTheSelectedPresetInNotepad) {
  const SteamLanguageValue language("english");
  const GameFolder game;
  ASSERT_TRUE(game.holds_game());
  WriteBytes(game.path() + L"\\bin\\SweetFX_preset.txt",
             "#include \"SweetFX\\Presets\\Cinematic.txt\"\r\n");
  Session run(game);
  ASSERT_DIALOG(run);
  ASSERT_EQ("Cinematic", Utf8(SelectedItem(run.dialog(), kPresetList)));
  const std::vector<DWORD> before = ProcessesNamed(L"notepad.exe");
  ASSERT_TRUE(Click(run.dialog(), kPresetEdit));
  std::vector<DWORD> started;
  HWND editor = nullptr;
  WaitUntil(kTimeoutMs, [&] {
    started = NewProcesses(L"notepad.exe", before);
    return started.size() == 1 && (editor = WindowOf(started[0], L"Cinematic")) != nullptr;
  });
  ASSERT_EQ(1u, started.size()) << "notepad processes started; " << run.program().Status();
  EXPECT_NE(nullptr, editor) << "no notepad window names Cinematic";
  EXPECT_TRUE(run.program().Running()) << "the dialog does not wait for the editor";
  EndStarted(L"notepad.exe", started[0], editor);
  ASSERT_TRUE(run.CloseWith(kCancel));
}

TEST(WorkflowToolTest, CompanionToolStartsOnceWhileItRuns) {
  const SteamLanguageValue language("english");
  const GameFolder game;
  ASSERT_TRUE(game.holds_game());
  ASSERT_TRUE(Exists(game.path() + L"\\Mienwerk\\Mienwerk.exe"));
  WriteAutoexec(game, "rk_ppe_sharpen 1\r\n");
  Session run(game);
  ASSERT_DIALOG(run);
  const std::vector<DWORD> before = ProcessesNamed(L"Mienwerk.exe");
  ASSERT_TRUE(before.empty()) << "a companion tool runs already";
  ASSERT_TRUE(Click(run.dialog(), kMienwerk));
  std::vector<DWORD> started;
  HWND box = nullptr;
  WaitUntil(kTimeoutMs, [&] {
    started = NewProcesses(L"Mienwerk.exe", before);
    return started.size() == 1 && (box = WindowOf(started[0], L"Mienwerk")) != nullptr;
  });
  ASSERT_EQ(1u, started.size()) << "companion tools started; " << run.program().Status();
  EXPECT_NE(nullptr, box) << "the companion tool shows no window";

  // Clicks are handled in order: once the check box after the second click has
  // changed, the second click has been handled.
  ASSERT_TRUE(Click(run.dialog(), kMienwerk));
  ASSERT_TRUE(Click(run.dialog(), kFxaa));
  ExpectControls(run.dialog(), {{kFxaa, BST_CHECKED}});
  EXPECT_EQ(1u, NewProcesses(L"Mienwerk.exe", before).size());
  EndStarted(L"Mienwerk.exe", started[0], box);
  ASSERT_TRUE(run.CloseWith(kCancel));
}

// The wait window is up only while the apply phase works. A preset file that
// another process holds open stops the SweetFX step at its open-failure message,
// inside the wait window, until the message is answered: then it can be read.
struct WaitWindowCase {
  const char* name;
  const char* registry_value;
  const wchar_t* caption;
  const wchar_t* text;
};

void PrintTo(const WaitWindowCase& c, std::ostream* out) { *out << c.name; }

const WaitWindowCase kWaitWindowCases[] = {
    {"English", "english", L"Copy files", L"Please wait..."},
    {"German", "german", L"Kopiere Dateien", L"Bitte warten Sie..."},
};

class WorkflowWaitWindowTest : public ::testing::TestWithParam<WaitWindowCase> {};

TEST_P(WorkflowWaitWindowTest, ShowsInTheInterfaceLanguageDuringTheSweetFxStep) {
  const SteamLanguageValue language(GetParam().registry_value);
  const GameFolder game;
  ASSERT_TRUE(game.holds_game());
  Session run(game);
  ASSERT_DIALOG(run);
  ASSERT_TRUE(Click(run.dialog(), kSweetFx));
  ExpectControls(run.dialog(), {{kSweetFx, BST_CHECKED}, {kPresetList, kAny, 1}});

  // A folder where the preset file goes stops the step at its message, with
  // the wait window up (a file held open would be found before OK changes anything).
  const std::wstring preset_file = game.path() + L"\\bin\\SweetFX_preset.txt";
  ASSERT_TRUE(CreateDirectoryW(preset_file.c_str(), nullptr)) << "error " << GetLastError();
  ASSERT_TRUE(Click(run.dialog(), kOk));

  HWND box = nullptr;
  WaitUntil(kTimeoutMs, [&] {
    for (HWND window : VisibleDialogs(run.program().id())) {
      if (IsMessageBox(window)) box = window;
    }
    return box != nullptr;
  });
  HWND wait_window = box ? WindowOf(run.program().id(), GetParam().caption) : nullptr;
  const std::wstring label = wait_window ? WindowText(Control(wait_window, 1035)) : L"";

  ASSERT_NE(nullptr, box) << "no message about the blocked preset file: " << run.program().Status();
  EXPECT_EQ("File error!", Utf8(WindowText(box)));
  EXPECT_NE(nullptr, wait_window) << "no window captioned " << Utf8(GetParam().caption);
  EXPECT_EQ(Utf8(GetParam().text), Utf8(label));
  ASSERT_TRUE(run.AwaitExit());
  EXPECT_FALSE(IsWindow(wait_window));
}

INSTANTIATE_TEST_SUITE_P(Workflow, WorkflowWaitWindowTest, ::testing::ValuesIn(kWaitWindowCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace veyra::gui
