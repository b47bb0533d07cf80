// The smallest dialog program there is: the reference for the configurator's
// start-up time. One OK button in a dialog built from an in-memory template.
#include <windows.h>

#include <cstddef>

namespace {

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) EndDialog(dialog, 0);
      return TRUE;
    case WM_CLOSE:
      EndDialog(dialog, 0);
      return TRUE;
    default:
      return FALSE;
  }
}

// DLGTEMPLATE, then menu, class, caption, font; one DLGITEMTEMPLATE, DWORD-aligned.
struct alignas(4) Template {
  DWORD style = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_CENTER | DS_SETFONT;
  DWORD ex_style = 0;
  WORD items = 1;
  short x = 0, y = 0, cx = 120, cy = 50;
  WORD menu = 0, window_class = 0;
  wchar_t caption[8] = L"Minimal";
  WORD points = 8;
  wchar_t face[14] = L"MS Sans Serif";
  DWORD item_style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON;
  DWORD item_ex_style = 0;
  short item_x = 35, item_y = 15, item_cx = 50, item_cy = 20;
  WORD item_id = IDOK;
  WORD item_class[2] = {0xFFFF, 0x0080};
  wchar_t item_text[3] = L"OK";
  WORD creation_data = 0;
};
static_assert(offsetof(Template, item_style) == 68, "the item must follow the font name");

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  static const Template dialog_template;
  DialogBoxIndirectParamW(instance, reinterpret_cast<const DLGTEMPLATE*>(&dialog_template), nullptr,
                          &DialogProc, 0);
  return 0;
}
