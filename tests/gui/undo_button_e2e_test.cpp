// The undo button of the real VeyraConfig.exe: greyed out with nothing
// recorded, a click after OK puts the game folder and the registry back while
// the dialog stays open and shows the old state, two clicks walk back two OKs,
// and an OK whose switch is blocked halfway offers to undo all of it.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "automation.h"
#include "e2e_support.h"
#include "workflow_support.h"

namespace veyra::gui {
namespace {

constexpr int kUndo = 1120;

// Every anti-aliasing value of the games' settings keys, by key and name.
using Values = std::map<std::string, std::optional<std::string>>;

Values ReadValues() {
  Values values;
  for (const char* key : kSettingsKeys) {
    for (const char* name : kAntiAliasingValues) {
      DWORD type = 0;
      BYTE data[256];
      DWORD size = sizeof data;
      const LSTATUS status =
          RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_ANY, &type, data, &size);
      values[std::string(key) + " " + name] =
          status == ERROR_SUCCESS
              ? std::optional(std::to_string(type) + ":" +
                              std::string(reinterpret_cast<const char*>(data), size))
              : std::nullopt;
    }
  }
  return values;
}

// The check and enabled state of every control the detection sets.
std::vector<Want> Shown(HWND dialog) {
  std::vector<Want> wants;
  for (const ControlState& control : ReadControls(dialog)) {
    if (control.id == kUndo) continue;
    wants.push_back({control.id, control.check, control.enabled ? 1 : 0});
  }
  return wants;
}

// Which control of the dialog's thread holds the focus, for failure messages.
std::string DescribeFocus(HWND dialog) {
  HWND focus = FocusedControl(dialog);
  if (!focus) return "no window has the focus";
  return "the focus is on " + Utf8(ClassName(focus)) + " " + std::to_string(GetDlgCtrlID(focus)) + " \"" +
         Utf8(WindowText(focus)) + "\"" + (IsWindowEnabled(focus) ? "" : ", disabled") +
         (focus == dialog ? ", the dialog itself" : "");
}

// Ticks the weapons box (or unticks it) and presses OK.
void OkWithWeaponsToggled(const GameFolder& game) {
  Session run(game);
  ASSERT_DIALOG(run);
  const int was = ReadControl(run.dialog(), Control(run.dialog(), kWeapons)).check;
  ASSERT_TRUE(Click(run.dialog(), kWeapons));
  ExpectControls(run.dialog(), {{kWeapons, was == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED}});
  ASSERT_TRUE(run.CloseWith(kOk));
  EXPECT_TRUE(run.program().messages().empty()) << run.program().Status();
}

struct LanguageCase {
  const char* name;
  const char* steam_language;
  const wchar_t* question_start;
};

void PrintTo(const LanguageCase& c, std::ostream* out) { *out << c.name; }

const LanguageCase kLanguages[] = {
    {"English", "english", L"Undo the change of "},
    {"German", "german", L"Die Änderung vom "},
};

class UndoButtonTest : public ::testing::TestWithParam<LanguageCase> {};

// Two OKs, then two clicks: each Yes brings back the files and values from
// before one OK, with the dialog open showing what a start then would show.
TEST_P(UndoButtonTest, TwoClicksWalkBackTwoOksWithTheDialogOpen) {
  const LanguageCase& c = GetParam();
  const SteamLanguageValue language(c.steam_language);
  const NoSettingsKeys no_keys;
  const GameFolder game;
  ASSERT_TRUE(game.holds_game()) << "VEYRA_SAMPLE_GAME names no sample game";

  std::vector<Snapshot> files;
  std::vector<Values> values;
  std::vector<std::vector<Want>> shown;
  const auto remember = [&] {
    Session run(game);
    ASSERT_DIALOG(run);
    files.push_back(GameFiles(game));
    values.push_back(ReadValues());
    shown.push_back(Shown(run.dialog()));
    ASSERT_TRUE(run.CloseWith(kCancel));
  };
  {
    Session first(game);
    ASSERT_DIALOG(first);
    ExpectControls(first.dialog(), {{kUndo, kAny, 0}});
    ASSERT_TRUE(first.CloseWith(kCancel));
  }
  ASSERT_NO_FATAL_FAILURE(remember());
  ASSERT_NO_FATAL_FAILURE(OkWithWeaponsToggled(game));
  ASSERT_NO_FATAL_FAILURE(remember());
  ASSERT_NO_FATAL_FAILURE(OkWithWeaponsToggled(game));
  ASSERT_NE("", Differences(files[1], GameFiles(game)));

  Session run(game);
  ASSERT_DIALOG(run);
  std::vector<double> milliseconds;
  for (int back = 1; back >= 0; --back) {
    SCOPED_TRACE("back to before OK " + std::to_string(back + 1));
    ExpectControls(run.dialog(), {{kUndo, kAny, 1}});
    const std::size_t seen = run.program().messages().size();
    ASSERT_TRUE(Click(run.dialog(), kUndo));
    ASSERT_TRUE(run.program().AnswerNextMessage()) << run.program().Status();
    const auto answered = std::chrono::steady_clock::now();
    const MessageSeen& question = run.program().messages()[seen];
    EXPECT_EQ(0u, question.text.find(c.question_start)) << Utf8(question.text);
    EXPECT_EQ(IDYES, question.answer);
    ExpectControls(run.dialog(), shown[back]);
    milliseconds.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - answered)
            .count());
    EXPECT_EQ("", Differences(files[back], GameFiles(game)));
    EXPECT_EQ(values[back], ReadValues());
    EXPECT_TRUE(run.program().Running());
  }
  // Nothing left to walk back to.
  ExpectControls(run.dialog(), {{kUndo, kAny, 0}});
  // The focus the clicked button had goes on as Tab would take it: the button
  // is the last of the tab order, so to the first, OK, and Enter and Tab go on working.
  WaitUntil(kTimeoutMs, [&] { return FocusedControl(run.dialog()) == Control(run.dialog(), kOk); });
  EXPECT_EQ(Control(run.dialog(), kOk), FocusedControl(run.dialog())) << DescribeFocus(run.dialog());
  EXPECT_EQ(2u, run.program().messages().size()) << run.program().Status();
  ASSERT_TRUE(run.CloseWith(kCancel));
  for (double ms : milliseconds) std::printf("undo shown after %.0f ms\n", ms);
}

INSTANTIATE_TEST_SUITE_P(Languages, UndoButtonTest, ::testing::ValuesIn(kLanguages),
                         [](const auto& info) { return std::string(info.param.name); });

// A weapons switch blocked in its last folder is put back with its message;
// then Yes to the one question brings back every file, the console scripts too.
TEST(UndoUnfinishedOkTest, YesAfterABlockedSwitchBringsBackEveryFile) {
  const SteamLanguageValue language("english");
  const NoSettingsKeys no_keys;
  const GameFolder game;
  ASSERT_TRUE(game.holds_game());
  // A folder where the switch's file goes: the copy onto it is refused.
  const std::wstring blocked = game.path() + L"\\ep2" + kLooseFiles + L"\\models\\weapons\\v_smg1.mdl";
  ASSERT_TRUE(CreateDirectoryW(blocked.c_str(), nullptr)) << GetLastError();

  Snapshot before;
  {
    Session run(game);
    ASSERT_DIALOG(run);
    before = GameFiles(game);  // with the console scripts a start makes
    ASSERT_TRUE(Click(run.dialog(), kWeapons));
    ASSERT_TRUE(Click(run.dialog(), kFilmic));
    ExpectControls(run.dialog(), {{kWeapons, BST_CHECKED}});
    ASSERT_TRUE(run.CloseWith(kOk));
    const std::vector<MessageSeen>& messages = run.program().messages();
    ASSERT_EQ(2u, messages.size()) << run.program().Status();
    EXPECT_NE(std::wstring::npos, messages[0].text.find(blocked)) << Utf8(messages[0].text);
    EXPECT_EQ(0u, messages[1].text.find(L"Not everything could be changed")) << Utf8(messages[1].text);
    EXPECT_NE(std::wstring::npos, messages[1].text.find(L"the console scripts of the three games"))
        << Utf8(messages[1].text);
    EXPECT_EQ(IDYES, messages[1].answer);
  }
  EXPECT_EQ("", Differences(before, GameFiles(game)));
}

}  // namespace
}  // namespace veyra::gui
