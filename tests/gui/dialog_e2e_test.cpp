// The real VeyraConfig.exe, started in a fresh game folder and read from this
// process while its dialog is open.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "automation.h"
#include "e2e_support.h"
#include "expected_dialog.h"

namespace veyra::gui {
namespace {

std::string Text(const RECT& r) {
  char out[64];
  snprintf(out, sizeof(out), "{%ld,%ld,%ld,%ld}", r.left, r.top, r.right, r.bottom);
  return out;
}

std::string Hex(DWORD value) {
  char out[16];
  snprintf(out, sizeof(out), "0x%08lX", value);
  return out;
}

// The style bits that say what a control is: its enabled state is checked on
// its own, and the dialog manager may make any push button the default one.
DWORD KindBits(DWORD style, Kind kind) {
  style &= ~WS_DISABLED;
  if (IsPushButton(kind) && (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
    style = (style & ~BS_TYPEMASK) | BS_PUSHBUTTON;
  }
  return style;
}

std::vector<std::wstring> ItemsOf(int list_id, bool german) {
  std::vector<std::wstring> items;
  for (const ExpectedItem& item : kExpectedItems) {
    if (item.list_id == list_id) items.push_back(german ? item.german : item.english);
  }
  return items;
}

struct LanguageCase {
  const char* name;
  const char* registry_value;  // null: no Language value at all
  bool german;
};

const LanguageCase kLanguageCases[] = {
    {"Unset", nullptr, false},        {"English", "english", false},
    {"CapitalGerman", "German", false}, {"French", "french", false},
    {"German", "german", true},       {"Deutsch", "deutsch", true},
};

void PrintTo(const LanguageCase& language, std::ostream* out) { *out << language.name; }

class InterfaceLanguageTest : public ::testing::TestWithParam<LanguageCase> {};

TEST_P(InterfaceLanguageTest, DialogShowsEveryControlOfTheTableInItsLanguage) {
  const LanguageCase& language = GetParam();
  const SteamLanguageValue steam_language(language.registry_value);
  const GameFolder game;
  Configurator program(game.path());
  const HWND dialog = program.WaitForDialog();
  ASSERT_NE(nullptr, dialog) << "no dialog within " << kTimeoutMs << " ms: " << program.Status();
  const DialogUnits units(kDialogFontFace, kDialogFontPoints);
  ASSERT_TRUE(units.valid());

  EXPECT_EQ(language.german ? kExpectedCaptionGerman : kExpectedCaptionEnglish, WindowText(dialog));
  const DWORD style = static_cast<DWORD>(GetWindowLongW(dialog, GWL_STYLE));
  constexpr DWORD kFrameBits = WS_POPUP | WS_CHILD | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME |
                               WS_MINIMIZEBOX | WS_MAXIMIZEBOX | DS_MODALFRAME;
  EXPECT_EQ(Hex(WS_POPUP | WS_CAPTION | DS_MODALFRAME), Hex(style & kFrameBits))
      << "style " << Hex(style);

  RECT client{};
  GetClientRect(dialog, &client);
  EXPECT_EQ(Text(units.ToPixels(0, 0, kExpectedDialogWidth, kExpectedDialogHeight)), Text(client));

  // Centred on its monitor's work area, to the pixel that halving leaves over.
  RECT window{};
  GetWindowRect(dialog, &window);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor);
  EXPECT_LE(std::abs((window.left + window.right) - (monitor.rcWork.left + monitor.rcWork.right)), 1)
      << "window " << Text(window) << ", work area " << Text(monitor.rcWork);
  EXPECT_LE(std::abs((window.top + window.bottom) - (monitor.rcWork.top + monitor.rcWork.bottom)), 1)
      << "window " << Text(window) << ", work area " << Text(monitor.rcWork);

  const std::vector<ControlState> controls = ReadControls(dialog);
  ASSERT_EQ(std::size(kExpectedControls), controls.size());
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const ExpectedControl& want = kExpectedControls[i];
    const ControlState& got = controls[i];
    SCOPED_TRACE(want.name);
    EXPECT_EQ(want.id, got.id);
    const ExpectedClass cls = ExpectedClassOf(want.kind);
    EXPECT_EQ(0, lstrcmpiW(cls.name, got.class_name.c_str())) << Utf8(got.class_name);
    EXPECT_EQ(Hex(cls.style), Hex(KindBits(got.style, want.kind)));
    EXPECT_EQ(cls.client_edge, (got.ex_style & WS_EX_CLIENTEDGE) != 0) << Hex(got.ex_style);
    if (want.kind == Kind::kDropDown) {  // a drop-down list shows its selected item
      EXPECT_EQ(got.selection == CB_ERR ? L"" : got.items.at(got.selection), got.text);
    } else {
      EXPECT_EQ(language.german ? want.german : want.english, got.text);
    }

    const RECT expected = units.ToPixels(want.x, want.y, want.width, want.height);
    if (want.kind == Kind::kDropDown) {
      // The closed field has the system's height; the given one is the opened list's.
      EXPECT_EQ(Text({expected.left, expected.top, expected.right, got.rect.bottom}), Text(got.rect));
      EXPECT_LT(got.rect.bottom, expected.bottom) << "field " << Text(got.rect);
      if (want.id != kPresetListId) {
        EXPECT_EQ(ItemsOf(want.id, language.german), got.items);
      }
    } else {
      EXPECT_EQ(Text(expected), Text(got.rect));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(SteamLanguage, InterfaceLanguageTest, ::testing::ValuesIn(kLanguageCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A started configurator with its dialog open.
class SettingsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dialog_ = program_.WaitForDialog();
    ASSERT_NE(nullptr, dialog_) << "no dialog within " << kTimeoutMs << " ms: " << program_.Status();
  }

  // The control with the keyboard focus once there is one.
  HWND Focus() {
    HWND focus = nullptr;
    WaitUntil(kTimeoutMs, [&] { return (focus = FocusedControl(dialog_)) != nullptr; });
    return focus;
  }

  // Presses a key on the focused control; returns the control that has the
  // focus afterwards, or null when it did not move away from `from`.
  HWND PressAndAwaitFocusMove(HWND from, UINT key) {
    PostKey(from, key);
    HWND focus = nullptr;
    WaitUntil(kTimeoutMs, [&] {
      focus = FocusedControl(dialog_);
      return focus != nullptr && focus != from;
    });
    return focus != from ? focus : nullptr;
  }

  const SteamLanguageValue language_{"english"};
  const GameFolder game_;
  Configurator program_{game_.path()};
  HWND dialog_ = nullptr;
};

TEST_F(SettingsDialogTest, TabVisitsTheEnabledButtonsAndCheckBoxesInTableOrder) {
  // Disabled ones are passed over; which those are depends on the game folder.
  std::vector<int> expected;
  for (const ExpectedControl& control : kExpectedControls) {
    if ((IsPushButton(control.kind) || control.kind == Kind::kCheck) &&
        IsWindowEnabled(Control(dialog_, control.id))) {
      expected.push_back(control.id);
    }
  }
  expected.push_back(expected.front());  // and round again

  HWND focus = Focus();
  ASSERT_NE(nullptr, focus);
  std::vector<int> visited{GetDlgCtrlID(focus)};
  while (visited.size() < expected.size() && (focus = PressAndAwaitFocusMove(focus, VK_TAB))) {
    visited.push_back(GetDlgCtrlID(focus));
  }
  EXPECT_EQ(expected, visited);
}

TEST_F(SettingsDialogTest, EscapeLeavesTheDialogOpen) {
  HWND focus = Focus();
  ASSERT_NE(nullptr, focus);
  PostKey(focus, VK_ESCAPE);
  // Keys arrive in order: once the Tab has moved the focus, the Escape has been handled.
  EXPECT_NE(nullptr, PressAndAwaitFocusMove(focus, VK_TAB)) << "the dialog stopped answering";
  EXPECT_TRUE(program_.Running());
  EXPECT_TRUE(IsWindowVisible(dialog_));
}

TEST_F(SettingsDialogTest, DropDownListsOpenWithinTheirGivenHeight) {
  const DialogUnits units(kDialogFontFace, kDialogFontPoints);
  for (const ExpectedControl& want : kExpectedControls) {
    if (want.kind != Kind::kDropDown) continue;
    SCOPED_TRACE(want.name);
    const RECT given = units.ToPixels(want.x, want.y, want.width, want.height);
    HWND combo = Control(dialog_, want.id);
    ASSERT_NE(nullptr, combo);
    const RECT field = ReadControl(dialog_, combo).rect;
    SendMessageTimeoutW(combo, CB_SHOWDROPDOWN, TRUE, 0, SMTO_ABORTIFHUNG, kTimeoutMs, nullptr);
    HWND list = nullptr;
    ASSERT_TRUE(WaitUntil(kTimeoutMs, [&] { return (list = OpenComboList(program_.id())) != nullptr; }));
    RECT opened{};
    GetWindowRect(list, &opened);
    MapWindowPoints(HWND_DESKTOP, dialog_, reinterpret_cast<POINT*>(&opened), 2);
    RECT inside{};
    GetClientRect(list, &inside);
    const LRESULT items = SendTo(list, LB_GETCOUNT);
    const LRESULT item_height = SendTo(list, LB_GETITEMHEIGHT);
    SendMessageTimeoutW(combo, CB_SHOWDROPDOWN, FALSE, 0, SMTO_ABORTIFHUNG, kTimeoutMs, nullptr);
    EXPECT_EQ(Text({field.left, field.bottom, field.right, opened.bottom}), Text(opened))
        << "the list opens right below the field, as wide as it";
    // It uses the given height: it ends there, less than an item short, unless
    // all of its items show in less.
    EXPECT_LE(opened.bottom, given.bottom) << "given " << Text(given);
    EXPECT_TRUE(inside.bottom >= items * item_height || given.bottom - opened.bottom < item_height)
        << items << " items of " << item_height << " px in " << Text(opened) << ", given "
        << Text(given);
    ASSERT_TRUE(WaitUntil(kTimeoutMs, [&] { return OpenComboList(program_.id()) == nullptr; }));
  }
}

TEST_F(SettingsDialogTest, DescriptionLabelsAreGreyOnTheDialogsBackground) {
  // The dialog's own background, next to its top left corner where no control is.
  POINT corner{1, 1};
  ClientToScreen(dialog_, &corner);
  COLORREF background = 0;

  struct Seen {
    COLORREF darkest;
    COLORREF commonest;
  };
  const auto look = [&](int id) {
    RECT rect{};
    GetWindowRect(Control(dialog_, id), &rect);
    const std::vector<COLORREF> pixels = CaptureScreen(rect);
    Seen seen{RGB(255, 255, 255), CLR_INVALID};
    const auto brightness = [](COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c); };
    std::vector<std::pair<COLORREF, int>> counts;
    for (COLORREF pixel : pixels) {
      if (brightness(pixel) < brightness(seen.darkest)) seen.darkest = pixel;
      auto it = std::find_if(counts.begin(), counts.end(), [&](auto& c) { return c.first == pixel; });
      if (it == counts.end()) counts.push_back({pixel, 1}); else ++it->second;
    }
    if (!counts.empty()) {
      seen.commonest = std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) {
                         return a.second < b.second;
                       })->first;
    }
    return seen;
  };

  // Painting follows showing: wait until the text is there.
  for (const ExpectedControl& want : kExpectedControls) {
    if (want.kind != Kind::kGreyLabel) continue;
    SCOPED_TRACE(want.name);
    Seen seen{};
    const bool grey = WaitUntil(kTimeoutMs, [&] {
      background = CaptureScreen({corner.x, corner.y, corner.x + 1, corner.y + 1}).at(0);
      seen = look(want.id);
      return seen.darkest == RGB(128, 128, 128) && seen.commonest == background;
    });
    EXPECT_TRUE(grey) << "darkest pixel " << Hex(seen.darkest);
    EXPECT_EQ(Hex(background), Hex(seen.commonest));
  }
  // The same look at a check box sees black text: grey is the labels' own.
  const ExpectedControl& check = *std::find_if(std::begin(kExpectedControls), std::end(kExpectedControls),
                                               [](auto& c) { return c.kind == Kind::kCheck; });
  Seen check_box{};
  EXPECT_TRUE(WaitUntil(kTimeoutMs, [&] {
    check_box = look(check.id);
    return GetRValue(check_box.darkest) < 64;
  })) << check.name << " darkest pixel " << Hex(check_box.darkest);
}

struct ClosingCase {
  const char* name;
  void (*close)(HWND dialog);
};

const ClosingCase kClosingCases[] = {
    {"OkButton", [](HWND dialog) { EXPECT_TRUE(Click(dialog, 1003)); }},
    {"CancelButton", [](HWND dialog) { EXPECT_TRUE(Click(dialog, 1004)); }},
    {"AltF4", [](HWND dialog) { PostKey(Control(dialog, 1003), VK_F4, /*alt=*/true); }},
    {"CloseMessage", [](HWND dialog) { PostMessageW(dialog, WM_CLOSE, 0, 0); }},
};

void PrintTo(const ClosingCase& closing, std::ostream* out) { *out << closing.name; }

class ClosingTest : public ::testing::TestWithParam<ClosingCase> {};

TEST_P(ClosingTest, EndsTheProcessWithExitCodeZero) {
  const SteamLanguageValue language("english");
  const GameFolder game;
  Configurator program(game.path());
  const HWND dialog = program.WaitForDialog();
  ASSERT_NE(nullptr, dialog) << "no dialog within " << kTimeoutMs << " ms: " << program.Status();
  GetParam().close(dialog);
  const std::optional<DWORD> exit_code = program.WaitForExit();
  ASSERT_TRUE(exit_code.has_value()) << "still running after " << kTimeoutMs << " ms: " << program.Status();
  EXPECT_EQ(0u, *exit_code);
  if (game.holds_game()) {  // a game folder gives no cause for any message
    EXPECT_TRUE(program.messages().empty()) << program.Status();
  }
}

INSTANTIATE_TEST_SUITE_P(Dialog, ClosingTest, ::testing::ValuesIn(kClosingCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace veyra::gui
