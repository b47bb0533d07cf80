// The tooltips of the real VeyraConfig.exe, made to show by resting the mouse
// on a control, and read from this process.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>

#include "app/dialog_layout.h"
#include "app/interface_texts.h"
#include "automation.h"
#include "e2e_support.h"
#include "expected_dialog.h"
#include "platform/posix/memory_dialog.h"
#include "platform/win32/wide_text.h"

namespace veyra::gui {
namespace {

// Once the mouse rests, a tip shows after about half a second; this is plenty.
constexpr DWORD kToolTipTimeoutMs = 5000;
constexpr int kRecoil = 1070;
constexpr int kVeyraWeapons = 1054;
constexpr int kPreloadNpc = 1023;

bool HasToolTip(Kind kind) { return kind != Kind::kFrame && kind != Kind::kGreyLabel; }

struct Tip {
  std::wstring text;
  std::wstring unavailable;
};

// The texts the table gives each control in a language.
std::map<int, Tip> TipsOfTheTable(const char* language) {
  platform::MemoryDialog dialog(app::SettingsDialogLayout());
  model::ProgramState state;
  app::InterfaceTexts(language, dialog, state);
  std::map<int, Tip> tips;
  for (const ExpectedControl& control : kExpectedControls) {
    const platform::MemoryDialog::Control* found = dialog.Find(control.id);
    if (!found) continue;
    tips[control.id] = {platform::win32::Widen(found->tooltip),
                        platform::win32::Widen(found->unavailable_tooltip)};
  }
  return tips;
}

// Rests the mouse on the control until the process shows `expected` in a
// tip; `shown` is the last tip text seen ("" for none). A resting hand still
// moves a pixel now and then, and so does this one.
bool ShowsTip(DWORD process_id, HWND control, const std::wstring& expected, std::wstring& shown) {
  int polls = 0;
  MoveMouseOnto(control);
  shown.clear();
  return WaitUntil(kToolTipTimeoutMs, [&] {
    const HWND tip = ShownToolTip(process_id);
    shown = tip ? WindowText(tip) : L"";
    if (++polls % 200 == 0) MoveMouseOnto(control, (polls / 200) % 2);  // about once a second
    return shown == expected;
  });
}

struct LanguageCase {
  const char* name;
  const char* steam_language;
};

void PrintTo(const LanguageCase& language, std::ostream* out) { *out << language.name; }

class ToolTipLanguageTest : public ::testing::TestWithParam<LanguageCase> {};

TEST_P(ToolTipLanguageTest, EveryCheckBoxListAndButtonShowsItsTip) {
  const SteamLanguageValue language(GetParam().steam_language);
  const std::map<int, Tip> tips = TipsOfTheTable(GetParam().steam_language);
  const GameFolder game;
  Configurator program(game.path());
  const HWND dialog = program.WaitForDialog();
  ASSERT_NE(nullptr, dialog) << "no dialog within " << kTimeoutMs << " ms: " << program.Status();

  int checked = 0;
  for (const ExpectedControl& control : kExpectedControls) {
    if (!HasToolTip(control.kind)) continue;
    SCOPED_TRACE(control.name);
    const Tip& tip = tips.at(control.id);
    ASSERT_FALSE(tip.text.empty());
    const HWND window = Control(dialog, control.id);
    const bool greyed = !IsWindowEnabled(window);
    const std::wstring& expected = greyed && !tip.unavailable.empty() ? tip.unavailable : tip.text;
    std::wstring shown;
    EXPECT_TRUE(ShowsTip(program.id(), window, expected, shown))
        << (greyed ? "disabled" : "enabled") << ", shown \"" << Utf8(shown) << "\", expected \""
        << Utf8(expected) << '"';
    ++checked;
  }
  EXPECT_EQ(47, checked);
}

INSTANTIATE_TEST_SUITE_P(Tooltips, ToolTipLanguageTest,
                         ::testing::Values(LanguageCase{"English", "english"},
                                           LanguageCase{"German", "german"}),
                         [](const auto& info) { return std::string(info.param.name); });

// A tip shows over a check box where the mouse rests (saved as a picture to
// look at), and a greyed-out control's tip says why, following its state.
TEST(ToolTipTest, ShowsOverACheckBoxAndSaysWhyAControlIsGreyedOut) {
  const SteamLanguageValue language("english");
  const std::map<int, Tip> tips = TipsOfTheTable("english");
  const GameFolder game;
  Configurator program(game.path());
  const HWND dialog = program.WaitForDialog();
  ASSERT_NE(nullptr, dialog) << "no dialog within " << kTimeoutMs << " ms: " << program.Status();

  std::wstring shown;
  ASSERT_TRUE(ShowsTip(program.id(), Control(dialog, kPreloadNpc), tips.at(kPreloadNpc).text,
                       shown))
      << "shown \"" << Utf8(shown) << '"';
  RECT picture{}, tip_rect{};
  GetWindowRect(dialog, &picture);
  GetWindowRect(ShownToolTip(program.id()), &tip_rect);
  UnionRect(&picture, &picture, &tip_rect);
  const std::wstring png = L"tooltip-check-box.png";
  EXPECT_TRUE(WritePng(png, picture.right - picture.left, picture.bottom - picture.top,
                       CaptureScreen(picture)));
  wchar_t full[MAX_PATH] = L"";
  GetFullPathNameW(png.c_str(), MAX_PATH, full, nullptr);
  std::printf("tooltip picture: %s\n", Utf8(full).c_str());

  const HWND recoil = Control(dialog, kRecoil);
  for (int click = 0; click < 2; ++click) {
    const HWND weapons = Control(dialog, kVeyraWeapons);
    const int before = ReadControl(dialog, weapons).check;
    ASSERT_TRUE(Click(dialog, kVeyraWeapons));
    // The click is posted, and a message sent now may be answered before the
    // program takes it: the box's new state shows that it has.
    int after = before;
    ASSERT_TRUE(WaitUntil(kTimeoutMs, [&] {
      after = ReadControl(dialog, weapons).check;
      return after != before && after >= 0;
    })) << "the weapons box still shows " << before << ": " << program.Status();
    const bool greyed = after != BST_CHECKED;
    ASSERT_TRUE(WaitUntil(kTimeoutMs, [&] { return (IsWindowEnabled(recoil) == FALSE) == greyed; }));
    const std::wstring& expected = greyed ? tips.at(kRecoil).unavailable : tips.at(kRecoil).text;
    EXPECT_TRUE(ShowsTip(program.id(), recoil, expected, shown))
        << (greyed ? "disabled" : "enabled") << ", shown \"" << Utf8(shown) << '"';
  }
}

}  // namespace
}  // namespace veyra::gui
