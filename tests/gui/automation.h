// UI automation of another process's dialog: find it, read its controls,
// click and type into it. Shared by uiauto.exe and the GUI tests.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace veyra::gui {

// Polls `condition` until it holds or `timeout_ms` have passed; true when it held.
bool WaitUntil(DWORD timeout_ms, const std::function<bool()>& condition);

// Sends a message to another process's window and gives up after a few
// seconds, at once for a hung one; -1 when it did not answer. A plain
// SendMessage would wait for a hung program forever.
LRESULT SendTo(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0);

std::string Utf8(const std::wstring& text);
// A Unix path ("/a/b") as Wine's Z: drive sees it ("Z:\\a\\b"); any other path unchanged.
std::wstring WindowsPath(std::wstring path);
std::wstring WindowText(HWND window);
std::wstring ClassName(HWND window);
// The child of another process's window with this control ID, or of this
// class, or null. Use these, never GetDlgItem or FindWindowEx: under Wine 10
// those can hang the whole Wine session when the window is being destroyed
// meanwhile (automation.cpp says how).
HWND Control(HWND window, int id);
HWND ChildOfClass(HWND window, const wchar_t* class_name);

// One control as another process sees it.
struct ControlState {
  HWND hwnd = nullptr;
  int id = 0;
  std::wstring class_name;
  DWORD style = 0;
  DWORD ex_style = 0;
  RECT rect{};  // pixels, relative to the dialog's client area
  std::wstring text;
  bool enabled = false;
  int check = -1;                   // BST_* for buttons that answer BM_GETCHECK, else -1
  std::vector<std::wstring> items;  // combo boxes only
  int selection = CB_ERR;           // 0-based; CB_ERR when none
};

ControlState ReadControl(HWND dialog, HWND control);
// Every child of the dialog, in creation order.
std::vector<ControlState> ReadControls(HWND dialog);

// A message box is a dialog whose text is the static control with ID 0xFFFF.
bool IsMessageBox(HWND window);
// The visible top-level dialogs of a process, message boxes included.
std::vector<HWND> VisibleDialogs(DWORD process_id);
// The visible dialog of a process that is neither a message box nor a wait window, or null.
HWND FindMainDialog(DWORD process_id);
// The opened list of a drop-down combo box of the process, or null when none is open.
HWND OpenComboList(DWORD process_id);
// Process IDs of the running processes whose image has this file name.
std::vector<DWORD> ProcessesNamed(const wchar_t* image_name);
// How many threads a process runs now.
int ThreadCount(DWORD process_id);
// Whether the thread of each of the process's windows takes a message sent to
// it within `timeout_ms`: one waiting in a message loop does, one held in any
// other wait does not. Null when the process has no window to ask.
std::optional<bool> AnswersMessages(DWORD process_id, UINT timeout_ms);
// What a process shows, for failure messages: each of its top-level windows,
// hidden ones too, with its class, caption and whether it is shown or a
// message box, and the class, ID and text of each control on it. Reads only
// the texts the system keeps, never asks the process, so a hung one cannot
// hold it up.
std::string DescribeWindows(DWORD process_id);

// The control that holds the keyboard focus in the dialog's thread, or null.
HWND FocusedControl(HWND dialog);
// Posts a key press (down and up) to a window, as the keyboard would deliver it.
void PostKey(HWND target, UINT virtual_key, bool alt = false);
// Clicks a control the way a mouse click would: refused (false) for a missing
// or disabled control, since a posted BM_CLICK would even toggle a disabled one.
bool Click(HWND dialog, int id);

// The pixels of a screen rectangle as they are shown now, row by row.
std::vector<COLORREF> CaptureScreen(const RECT& rect);
// Writes pixels as CaptureScreen gives them to a PNG file; false when it cannot.
bool WritePng(const std::wstring& path, int width, int height, const std::vector<COLORREF>& pixels);

// The visible tooltip window of a process, or null while none shows.
HWND ShownToolTip(DWORD process_id);
// Moves the mouse onto the centre of a window, as the player's hand would,
// or `nudge` pixels to the right of it.
void MoveMouseOnto(HWND window, int nudge = 0);

// Dialog-unit arithmetic of the dialog manager for one font, measured on a
// hidden dialog of this process (MapDialogRect works only on one's own dialogs).
class DialogUnits {
 public:
  DialogUnits(const wchar_t* face, WORD points);
  ~DialogUnits();
  DialogUnits(const DialogUnits&) = delete;
  DialogUnits& operator=(const DialogUnits&) = delete;

  bool valid() const { return dialog_ != nullptr; }
  int base_x() const { return base_.cx; }
  int base_y() const { return base_.cy; }
  // Pixels of a rectangle given as position and size, as the dialog manager
  // places a control: position and size are converted separately.
  RECT ToPixels(int x, int y, int width, int height) const;
  // The inverse, for rectangles that lie on the dialog-unit grid.
  struct Units {
    int x, y, width, height;
  };
  Units ToDialogUnits(const RECT& pixels) const;

 private:
  HWND dialog_ = nullptr;
  SIZE base_{};
};

}  // namespace veyra::gui
