#include "automation.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace veyra::gui {
namespace {

// Cross-process messages wait at most this long for a hung target.
constexpr UINT kSendTimeoutMs = 5000;

RECT ScreenToDialogClient(HWND dialog, RECT rect) {
  MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

bool IsCheckable(DWORD style) {
  switch (style & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
      return true;
    default:
      return false;
  }
}

void AppendWords(std::vector<WORD>& out, std::initializer_list<WORD> words) {
  out.insert(out.end(), words);
}

void AppendText(std::vector<WORD>& out, const wchar_t* text) {
  for (; *text; ++text) out.push_back(static_cast<WORD>(*text));
  out.push_back(0);
}

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

// The process's top-level windows, shown or not, in the system's order.
std::vector<HWND> TopLevelWindows(DWORD process_id) {
  struct Search {
    DWORD process_id;
    std::vector<HWND> found;
  } search{process_id, {}};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto* search = reinterpret_cast<Search*>(param);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == search->process_id) search->found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

LRESULT SendTo(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                           &result)) {
    return -1;
  }
  return static_cast<LRESULT>(result);
}

bool WaitUntil(DWORD timeout_ms, const std::function<bool()>& condition) {
  const ULONGLONG deadline = GetTickCount64() + timeout_ms;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= deadline) return false;
    Sleep(5);  // poll interval
  }
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

std::wstring WindowsPath(std::wstring path) {
  if (path.empty() || path[0] != L'/') return path;
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return L"Z:" + path;
}

std::wstring WindowText(HWND window) {
  const LRESULT length = SendTo(window, WM_GETTEXTLENGTH);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const LRESULT copied =
      SendTo(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return text;
}

std::wstring ClassName(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

ControlState ReadControl(HWND dialog, HWND control) {
  ControlState state;
  state.hwnd = control;
  state.id = GetDlgCtrlID(control);
  state.class_name = ClassName(control);
  state.style = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE));
  state.ex_style = static_cast<DWORD>(GetWindowLongW(control, GWL_EXSTYLE));
  GetWindowRect(control, &state.rect);
  state.rect = ScreenToDialogClient(dialog, state.rect);
  state.text = WindowText(control);
  state.enabled = IsWindowEnabled(control) != FALSE;
  if (lstrcmpiW(state.class_name.c_str(), L"Button") == 0 && IsCheckable(state.style)) {
    state.check = static_cast<int>(SendTo(control, BM_GETCHECK));
  }
  if (lstrcmpiW(state.class_name.c_str(), L"ComboBox") == 0) {
    const LRESULT count = SendTo(control, CB_GETCOUNT);
    for (LRESULT i = 0; i < count; ++i) {
      const LRESULT length = SendTo(control, CB_GETLBTEXTLEN, i);
      std::wstring item(length > 0 ? static_cast<std::size_t>(length) + 1 : 1, L'\0');
      const LRESULT copied = SendTo(control, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()));
      item.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
      state.items.push_back(item);
    }
    state.selection = static_cast<int>(SendTo(control, CB_GETCURSEL));
  }
  return state;
}

std::vector<ControlState> ReadControls(HWND dialog) {
  // The dialog manager puts each new control at the bottom of the Z order.
  std::vector<ControlState> controls;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    controls.push_back(ReadControl(dialog, child));
  }
  return controls;
}

// One child at a time, as GetWindow gives them. GetDlgItem and FindWindowEx
// with a child to start after ask Wine 10's server for the list of siblings
// from a given child, and the server walks that list forever when the child
// has meanwhile left it because its window is being destroyed: every process
// of the Wine session then waits. GetWindow's next sibling of such a child is
// none.
namespace {

HWND FirstChild(HWND window, const std::function<bool(HWND)>& matches) {
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (matches(child)) return child;
  }
  return nullptr;
}

}  // namespace

HWND Control(HWND window, int id) {
  return FirstChild(window, [id](HWND child) { return GetDlgCtrlID(child) == id; });
}

HWND ChildOfClass(HWND window, const wchar_t* class_name) {
  return FirstChild(window, [class_name](HWND child) {
    return lstrcmpiW(ClassName(child).c_str(), class_name) == 0;
  });
}

bool IsMessageBox(HWND window) {
  HWND text = Control(window, 0xFFFF);
  return text && lstrcmpiW(ClassName(text).c_str(), L"Static") == 0;
}

std::vector<HWND> VisibleDialogs(DWORD process_id) {
  std::vector<HWND> dialogs;
  for (HWND window : TopLevelWindows(process_id)) {
    if (IsWindowVisible(window) && ClassName(window) == L"#32770") dialogs.push_back(window);
  }
  return dialogs;
}

HWND FindMainDialog(DWORD process_id) {
  for (HWND dialog : VisibleDialogs(process_id)) {
    // The wait window, shown while an undo runs before the dialog, has a bar.
    const bool wait_window = ChildOfClass(dialog, PROGRESS_CLASSW) != nullptr;
    // A window being destroyed is hidden before it loses its children, so one
    // still shown after they were looked at had them all while they were.
    if (!IsMessageBox(dialog) && !wait_window && IsWindowVisible(dialog)) return dialog;
  }
  return nullptr;
}

HWND OpenComboList(DWORD process_id) {
  for (HWND list : TopLevelWindows(process_id)) {
    if (ClassName(list) == L"ComboLBox" && IsWindowVisible(list)) return list;
  }
  return nullptr;
}

std::vector<DWORD> ProcessesNamed(const wchar_t* image_name) {
  std::vector<DWORD> ids;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return ids;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (lstrcmpiW(entry.szExeFile, image_name) == 0) ids.push_back(entry.th32ProcessID);
  }
  CloseHandle(snapshot);
  return ids;
}

int ThreadCount(DWORD process_id) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  int count = 0;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    count += entry.th32OwnerProcessID == process_id ? 1 : 0;
  }
  CloseHandle(snapshot);
  return count;
}

std::optional<bool> AnswersMessages(DWORD process_id, UINT timeout_ms) {
  std::optional<bool> answers;
  std::vector<DWORD> asked;  // one message per thread is enough
  for (HWND window : TopLevelWindows(process_id)) {
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    if (std::find(asked.begin(), asked.end(), thread) != asked.end()) continue;
    asked.push_back(thread);
    DWORD_PTR ignored = 0;
    const bool answered = SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, timeout_ms,
                                              &ignored) != 0;
    answers = answers.value_or(true) && answered;
  }
  return answers;
}

namespace {

std::wstring StoredText(HWND window) {
  wchar_t text[512] = {};
  InternalGetWindowText(window, text, 512);
  return text;
}

}  // namespace

std::string DescribeWindows(DWORD process_id) {
  std::string out;
  for (HWND window : TopLevelWindows(process_id)) {
    // Windows the system makes for every GUI process (IME, message-only) say nothing here.
    const std::wstring class_name = ClassName(window);
    if (class_name == L"IME" || class_name == L"Default IME") continue;
    out += "\n  window \"" + Utf8(StoredText(window)) + "\" (" + Utf8(class_name) + ", " +
           (IsWindowVisible(window) ? "shown" : "hidden") +
           (IsMessageBox(window) ? ", a message box" : "") + ")";
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      out += "\n    " + Utf8(ClassName(child)) + " " + std::to_string(GetDlgCtrlID(child)) +
             (IsWindowVisible(child) ? "" : " (hidden)") + ": \"" + Utf8(StoredText(child)) + "\"";
    }
  }
  return out.empty() ? "\n  no windows" : out;
}

HWND FocusedControl(HWND dialog) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

void PostKey(HWND target, UINT virtual_key, bool alt) {
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(virtual_key, MAPVK_VK_TO_VSC)) << 16;
  const LPARAM context = alt ? LPARAM{1} << 29 : 0;
  const LPARAM released = (LPARAM{1} << 30) | (LPARAM{1} << 31);
  PostMessageW(target, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, virtual_key, 1 | scan | context);
  PostMessageW(target, alt ? WM_SYSKEYUP : WM_KEYUP, virtual_key, 1 | scan | context | released);
}

bool Click(HWND dialog, int id) {
  HWND control = Control(dialog, id);
  if (!control || !IsWindowEnabled(control) || !IsWindowVisible(control)) return false;
  return PostMessageW(control, BM_CLICK, 0, 0) != FALSE;
}

std::vector<COLORREF> CaptureScreen(const RECT& rect) {
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  std::vector<COLORREF> pixels;
  if (width <= 0 || height <= 0) return pixels;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    const auto* bgrx = static_cast<const DWORD*>(bits);
    pixels.reserve(static_cast<std::size_t>(width) * height);
    for (int i = 0; i < width * height; ++i) {
      const DWORD p = bgrx[i];
      pixels.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

DialogUnits::DialogUnits(const wchar_t* face, WORD points) {
  std::vector<WORD> tmpl;
  const DWORD style = WS_POPUP | DS_SETFONT;
  AppendWords(tmpl, {LOWORD(style), HIWORD(style), 0, 0, 0, 0, 0, 0, 0, 0, 0});  // no items
  AppendWords(tmpl, {0});  // caption
  AppendWords(tmpl, {points});
  AppendText(tmpl, face);
  dialog_ = CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                       reinterpret_cast<const DLGTEMPLATE*>(tmpl.data()), nullptr,
                                       &QuietDialogProc, 0);
  if (!dialog_) return;
  RECT unit{0, 0, 4, 8};
  MapDialogRect(dialog_, &unit);
  base_ = {unit.right, unit.bottom};
}

DialogUnits::~DialogUnits() {
  if (dialog_) DestroyWindow(dialog_);
}

RECT DialogUnits::ToPixels(int x, int y, int width, int height) const {
  RECT mapped{x, y, width, height};
  MapDialogRect(dialog_, &mapped);
  return {mapped.left, mapped.top, mapped.left + mapped.right, mapped.top + mapped.bottom};
}

DialogUnits::Units DialogUnits::ToDialogUnits(const RECT& pixels) const {
  return {MulDiv(pixels.left, 4, base_.cx), MulDiv(pixels.top, 8, base_.cy),
          MulDiv(pixels.right - pixels.left, 4, base_.cx),
          MulDiv(pixels.bottom - pixels.top, 8, base_.cy)};
}

namespace {

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0) {
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void PutBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void PutChunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& data) {
  PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutBigEndian(out, Crc32(out.data() + start, out.size() - start));
}

}  // namespace

// An RGB PNG whose image data is stored uncompressed: larger than need be, but
// readable by every viewer and written without a compression library.
bool WritePng(const std::wstring& path, int width, int height, const std::vector<COLORREF>& pixels) {
  if (width <= 0 || height <= 0 || pixels.size() != static_cast<std::size_t>(width) * height) {
    return false;
  }
  std::vector<std::uint8_t> raw;  // each row: filter type 0, then R, G, B
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);
    for (int x = 0; x < width; ++x) {
      const COLORREF pixel = pixels[static_cast<std::size_t>(y) * width + x];
      raw.insert(raw.end(), {GetRValue(pixel), GetGValue(pixel), GetBValue(pixel)});
    }
  }
  std::vector<std::uint8_t> zlib = {0x78, 0x01};
  for (std::size_t at = 0; at < raw.size();) {
    const std::size_t size = std::min<std::size_t>(raw.size() - at, 65535);
    const bool last = at + size == raw.size();
    zlib.insert(zlib.end(), {static_cast<std::uint8_t>(last ? 1 : 0), static_cast<std::uint8_t>(size),
                             static_cast<std::uint8_t>(size >> 8), static_cast<std::uint8_t>(~size),
                             static_cast<std::uint8_t>(~size >> 8)});
    zlib.insert(zlib.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
                raw.begin() + static_cast<std::ptrdiff_t>(at + size));
    at += size;
  }
  std::uint32_t a = 1, b = 0;  // Adler-32 of the uncompressed data
  for (std::uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  PutBigEndian(zlib, (b << 16) | a);

  std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> header;
  PutBigEndian(header, static_cast<std::uint32_t>(width));
  PutBigEndian(header, static_cast<std::uint32_t>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter, no interlace
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", zlib);
  PutChunk(png, "IEND", {});

  FILE* file = _wfopen(path.c_str(), L"wb");
  if (!file) return false;
  const bool written = fwrite(png.data(), 1, png.size(), file) == png.size();
  return fclose(file) == 0 && written;
}

HWND ShownToolTip(DWORD process_id) {
  struct Search {
    DWORD process_id;
    HWND found;
  } search{process_id, nullptr};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* search = reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != search->process_id || !IsWindowVisible(window) ||
            lstrcmpiW(ClassName(window).c_str(), TOOLTIPS_CLASSW) != 0) {
          return TRUE;
        }
        search->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void MoveMouseOnto(HWND window, int nudge) {
  RECT rect{};
  GetWindowRect(window, &rect);
  OffsetRect(&rect, nudge, 0);
  // Absolute input is in 1/65536 of the primary screen, pixel centres included.
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = MulDiv((rect.left + rect.right) / 2, 65536, GetSystemMetrics(SM_CXSCREEN)) + 1;
  input.mi.dy = MulDiv((rect.top + rect.bottom) / 2, 65536, GetSystemMetrics(SM_CYSCREEN)) + 1;
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &input, sizeof(input));
}

}  // namespace veyra::gui
