// The settings dialog as the Win32 backend builds it, here in this process
// where each control's font can be read: every text must be whole in it.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app/dialog_layout.h"
#include "app/interface_texts.h"
#include "app/program_state.h"
#include "automation.h"
#include "platform/win32/win32_os.h"

namespace veyra::gui {
namespace {

struct Room {
  int needed;
  int available;
};

// What the control needs for its whole text, and what it has, in pixels:
// widths for buttons and frames, the wrapped height for labels.
Room RoomOf(HWND control, const std::wstring& text) {
  RECT client{};
  GetClientRect(control, &client);
  const DWORD style = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE));
  const DWORD type = style & BS_TYPEMASK;
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
                                        : Room{wrapped.bottom, client.bottom};
  } else {
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    // A frame indents its caption; a button keeps its text inside edges and focus rectangle.
    const int margins = type == BS_GROUPBOX ? 16 : 4 * GetSystemMetrics(SM_CXEDGE);
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

class TextFitTest : public ::testing::TestWithParam<const char*> {};

TEST_P(TextFitTest, EveryTextIsWholeInItsControl) {
  platform::win32::Win32Os os;
  os.InitCommonControls();
  const std::unique_ptr<platform::Dialog> dialog = os.CreateHiddenDialog(app::SettingsDialogSpec());
  app::ProgramState state;
  app::InterfaceTexts(GetParam(), *dialog, state);
  const HWND window = DialogOfThisThread();
  ASSERT_NE(nullptr, window);

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

INSTANTIATE_TEST_SUITE_P(Language, TextFitTest, ::testing::Values("english", "german"));

}  // namespace
}  // namespace veyra::gui
