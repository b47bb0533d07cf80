// The settings dialog as the Win32 backend builds it, here in this process
// where each control's font can be read and the dialog printed.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/dialog_layout.h"
#include "app/interface_texts.h"
#include "automation.h"
#include "model/control_ids.h"
#include "model/program_state.h"
#include "platform/win32/win32_os.h"

namespace veyra::gui {
namespace {

using namespace model;

struct Room {
  int needed;
  int available;
};

RECT RectInParent(HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

bool IsFrame(HWND control) {
  const DWORD type = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE)) & BS_TYPEMASK;
  return ClassName(control) == L"Button" && type == BS_GROUPBOX;
}

// How far down a label can be seen: a control below it that reaches into it
// covers the rest (frames are only lines).
LONG SeenHeight(HWND label) {
  const RECT own = RectInParent(label);
  LONG bottom = own.bottom;
  for (HWND other = GetWindow(label, GW_HWNDFIRST); other; other = GetWindow(other, GW_HWNDNEXT)) {
    if (other == label || IsFrame(other)) continue;
    const RECT rect = RectInParent(other);
    if (rect.left < own.right && own.left < rect.right && own.top < rect.top && rect.top < bottom) {
      bottom = rect.top;
    }
  }
  return bottom - own.top;
}

// What the control needs for its whole text, and what it has, in pixels:
// widths for buttons and frames, the wrapped height for labels.
Room RoomOf(HWND control, const std::wstring& text) {
  RECT client{};
  GetClientRect(control, &client);
  const DWORD type = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE)) & BS_TYPEMASK;
  if (ClassName(control) == L"Button" && type == BS_AUTOCHECKBOX) {
    SIZE ideal{};  // the box, its gap, the text and the focus rectangle
    SendMessageW(control, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal));
    return {ideal.cx, client.right};
  }
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
  Room room{};
  if (ClassName(control) == L"Static") {
    RECT wrapped{0, 0, client.right, 0};
    DrawTextW(dc, text.c_str(), -1, &wrapped, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
    room = wrapped.right > client.right ? Room{wrapped.right, client.right}
                                        : Room{wrapped.bottom, SeenHeight(control)};
  } else {
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    // A frame indents its caption; a button keeps its text inside edges and focus rectangle.
    const int margins = IsFrame(control) ? 16 : 4 * GetSystemMetrics(SM_CXEDGE);
    room = {extent.cx + margins, client.right};
  }
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return room;
}

std::string FaceOf(HWND control) {
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
  wchar_t face[LF_FACESIZE] = {};
  GetTextFaceW(dc, LF_FACESIZE, face);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return Utf8(face);
}

HWND DialogOfThisThread() {
  HWND found = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM param) -> BOOL {
        if (ClassName(window) != L"#32770") return TRUE;
        *reinterpret_cast<HWND*>(param) = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// The settings dialog in a language, hidden.
class BackendDialogTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    os_.InitCommonControls();
    dialog_ = os_.CreateHiddenDialog(app::SettingsDialogLayout());
    app::InterfaceTexts(GetParam(), *dialog_, state_);
    window_ = DialogOfThisThread();
    ASSERT_NE(nullptr, window_);
  }

  platform::win32::Win32Os os_;
  model::ProgramState state_;
  std::unique_ptr<platform::Dialog> dialog_;
  HWND window_ = nullptr;
};

TEST_P(BackendDialogTest, EveryTextIsWholeInItsControl) {
  const HWND window = window_;

  int checked = 0;
  for (HWND control = GetWindow(window, GW_CHILD); control;
       control = GetWindow(control, GW_HWNDNEXT)) {
    const std::wstring text = WindowText(control);
    if (text.empty() || ClassName(control) == L"ComboBox") continue;
    ++checked;
    const Room room = RoomOf(control, text);
    EXPECT_LE(room.needed, room.available)
        << "control " << GetDlgCtrlID(control) << " \"" << Utf8(text) << "\" in " << FaceOf(control);
  }
  EXPECT_GT(checked, 40);
}

// The pixels one control paints over a canvas of a colour that no control
// uses, row by row.
constexpr COLORREF kCanvas = RGB(255, 0, 255);

std::vector<COLORREF> PaintAlone(HWND control) {
  RECT client{};
  GetClientRect(control, &client);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
  HGDIOBJ old = SelectObject(memory, bitmap);
  HBRUSH canvas = CreateSolidBrush(kCanvas);
  FillRect(memory, &client, canvas);
  DeleteObject(canvas);
  SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
  std::vector<COLORREF> pixels;
  for (int y = 0; y < client.bottom; ++y) {
    for (int x = 0; x < client.right; ++x) pixels.push_back(GetPixel(memory, x, y));
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

// The frames without a caption overlap the rows of check boxes above and below
// them, so they must paint nothing but their etched lines, two pixels at the
// top and two at the bottom of each column: more would cover a neighbour's
// text. A frame with a caption shows it.
TEST_P(BackendDialogTest, FramesWithoutCaptionPaintNothingButTheirLines) {
  int without_caption = 0;
  for (HWND frame = GetWindow(window_, GW_CHILD); frame; frame = GetWindow(frame, GW_HWNDNEXT)) {
    if (!IsFrame(frame)) continue;
    const bool captioned = !WindowText(frame).empty();
    without_caption += !captioned;
    SCOPED_TRACE("frame " + std::to_string(GetDlgCtrlID(frame)));
    const std::vector<COLORREF> pixels = PaintAlone(frame);
    RECT client{};
    GetClientRect(frame, &client);
    int most_in_a_column = 0;
    for (int x = 2; x < client.right - 2; ++x) {  // inside the side lines
      int painted = 0;
      for (int y = 0; y < client.bottom; ++y) {
        painted += pixels[static_cast<std::size_t>(y) * client.right + x] != kCanvas;
      }
      most_in_a_column = std::max(most_in_a_column, painted);
    }
    if (captioned) {
      EXPECT_GT(most_in_a_column, 4) << "no caption to be seen";
    } else {
      EXPECT_LE(most_in_a_column, 4);
    }
  }
  EXPECT_GT(without_caption, 0);
}

// A list filled in one request holds what filling it item by item gives, after
// the items it had, with its selection kept; and it draws again afterwards:
// its drop-down part scrolls over all of them.
TEST_P(BackendDialogTest, AListFilledInOneRequestIsTheListOfItsItems) {
  const int list = IDC_SWEETFX_PRESET;
  dialog_->AddItem(list, "Default");
  dialog_->Select(list, 1);
  std::vector<std::string> added;
  for (int i = 1; i <= 40; ++i) added.push_back("Preset " + std::to_string(41 - i));
  added.push_back("Gr\xC3\xBC\xC3\x9F Gott");  // UTF-8, shown as UTF-16
  added.push_back("Default");
  dialog_->AddItems(list, added);

  std::vector<std::string> expected = {"Default"};
  expected.insert(expected.end(), added.begin(), added.end());
  std::vector<std::string> items;
  for (int item = 1; item <= dialog_->ItemCount(list); ++item) {
    items.push_back(dialog_->ItemText(list, item));
  }
  EXPECT_EQ(expected, items);
  EXPECT_EQ(1, dialog_->Selection(list));

  COMBOBOXINFO combo{};
  combo.cbSize = sizeof(combo);
  ASSERT_TRUE(GetComboBoxInfo(GetDlgItem(window_, list), &combo));
  SCROLLINFO scroll{};
  scroll.cbSize = sizeof(scroll);
  scroll.fMask = SIF_RANGE;
  ASSERT_TRUE(GetScrollInfo(combo.hwndList, SB_VERT, &scroll));
  EXPECT_EQ(static_cast<int>(expected.size()) - 1, scroll.nMax) << "the list's scroll range";
}

INSTANTIATE_TEST_SUITE_P(Language, BackendDialogTest, ::testing::Values("english", "german"));

}  // namespace
}  // namespace veyra::gui
