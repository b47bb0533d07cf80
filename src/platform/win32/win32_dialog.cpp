// The settings dialog through user32: a modeless dialog from an in-memory
// template, run in a modal loop of its own, with tooltips and fitted fonts.
#include "platform/win32/win32_os.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <exception>
#include <utility>

#include "platform/win32/dialog_template.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_fonts.h"

namespace veyra::platform::win32 {
namespace {

constexpr COLORREF kGreyText = RGB(128, 128, 128);

// The frames without a caption are thin boxes around rows of check boxes, and
// they overlap the rows next to theirs. A themed group box first paints its
// parent's background over all of itself, which cuts off whatever part of a
// neighbour was painted before it; these paint their etched lines and nothing else.
void PaintFrameLines(HWND frame, HDC dc) {
  RECT box{};
  GetClientRect(frame, &box);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(frame, WM_GETFONT, 0, 0)));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  box.top += metrics.tmHeight / 2 - 1;  // where a caption's middle would be, as group boxes do
  DrawEdge(dc, &box, EDGE_ETCHED, BF_RECT);
}

LRESULT CALLBACK FrameProc(HWND frame, UINT message, WPARAM wparam, LPARAM lparam) {
  const auto base = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(frame, GWLP_USERDATA));
  if (GetWindowTextLengthW(frame) != 0) return CallWindowProcW(base, frame, message, wparam, lparam);
  switch (message) {
    case WM_ERASEBKGND:
      return TRUE;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(frame, &paint);
      PaintFrameLines(frame, dc);
      EndPaint(frame, &paint);
      return 0;
    }
    case WM_PRINTCLIENT:
      PaintFrameLines(frame, reinterpret_cast<HDC>(wparam));
      return 0;
    default:
      return CallWindowProcW(base, frame, message, wparam, lparam);
  }
}

class Win32Dialog : public Dialog {
 public:
  explicit Win32Dialog(const DialogLayout& layout) : layout_(layout) {
    const std::vector<WORD> tmpl = BuildDialogTemplate(layout, kDialogStyle);
    hwnd_ = CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                       reinterpret_cast<const DLGTEMPLATE*>(tmpl.data()), nullptr,
                                       &Win32Dialog::Proc, reinterpret_cast<LPARAM>(this));
    // Looked up once: under Wine every GetDlgItem asks the window server for the children.
    controls_.reserve(layout.controls.size());
    for (const ControlLayout& control : layout.controls) {
      controls_.push_back(hwnd_ ? GetDlgItem(hwnd_, control.id) : nullptr);
    }
    for (const ControlLayout& control : layout.controls) {
      FitText(control);
      if (control.kind == ControlKind::kFrame) PaintLinesWithoutCaption(Item(control.id));
    }
    tips_.resize(controls_.size());
  }
  ~Win32Dialog() override {
    if (hwnd_) DestroyWindow(hwnd_);
  }

  std::string Caption() override { return WindowText(hwnd_); }
  void SetCaption(const std::string& text) override { SetWindowTextW(hwnd_, Widen(text).c_str()); }
  std::string Text(int id) override { return WindowText(Item(id)); }
  void SetText(int id, const std::string& text) override {
    SetWindowTextW(Item(id), Widen(text).c_str());
    if (const ControlLayout* layout = Find(id)) FitText(*layout);
  }

  bool IsChecked(int id) override { return Send(id, BM_GETCHECK) == BST_CHECKED; }
  void SetChecked(int id, bool checked) override {
    Send(id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED);
  }
  bool IsEnabled(int id) override { return IsWindowEnabled(Item(id)) != FALSE; }
  void SetEnabled(int id, bool enabled) override {
    HWND control = Item(id);
    // A disabled control loses the focus to no one, which leaves Enter and Tab
    // without a control: the focus goes on first, as Tab would take it.
    if (!enabled && control && GetFocus() == control) {
      SendMessageW(hwnd_, WM_NEXTDLGCTL, 0, FALSE);
    }
    EnableWindow(control, enabled);
  }

  int ItemCount(int id) override {
    if (!IsList(id)) return 0;
    const LRESULT count = Send(id, CB_GETCOUNT);
    return count == CB_ERR ? 0 : static_cast<int>(count);
  }
  std::string ItemText(int id, int item) override {
    if (item < 1 || item > ItemCount(id)) return {};
    const LRESULT length = Send(id, CB_GETLBTEXTLEN, item - 1);
    if (length == CB_ERR) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    Send(id, CB_GETLBTEXT, item - 1, reinterpret_cast<LPARAM>(text.data()));
    text.resize(wcslen(text.c_str()));
    return Narrow(text);
  }
  void AddItem(int id, const std::string& text) override {
    Send(id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(text).c_str()));
  }
  void AddItems(int id, std::span<const std::string> texts) override {
    HWND list = Item(id);
    if (!list || texts.empty()) return;
    // One allocation and one redraw for the whole list, not one of each per item.
    std::size_t characters = 0;
    for (const std::string& text : texts) characters += text.size() + 1;
    SendMessageW(list, CB_INITSTORAGE, texts.size(), characters * sizeof(wchar_t));
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    for (const std::string& text : texts) {
      SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(text).c_str()));
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
  }
  void RemoveItem(int id, int item) override { Send(id, CB_DELETESTRING, item - 1); }
  void InsertItem(int id, int item, const std::string& text) override {
    Send(id, CB_INSERTSTRING, item - 1, reinterpret_cast<LPARAM>(Widen(text).c_str()));
  }
  int Selection(int id) override {
    if (!IsList(id)) return 0;
    const LRESULT selected = Send(id, CB_GETCURSEL);
    return selected == CB_ERR ? 0 : static_cast<int>(selected) + 1;
  }
  void Select(int id, int item) override {
    const bool exists = item >= 1 && item <= ItemCount(id);
    Send(id, CB_SETCURSEL, exists ? item - 1 : static_cast<WPARAM>(-1));
  }

  void SetToolTip(int id, const std::string& text, const std::string& unavailable_text) override {
    const std::size_t index = IndexOf(id);
    if (index == kNoControl || !controls_[index]) return;
    ToolTip& tip = tips_[index];
    tip.text = Widen(text);
    tip.unavailable = Widen(unavailable_text);
    // The texts are asked for each time a tip shows. The tools are registered
    // when the dialog is shown: a registered control is subclassed, and the
    // preset list is filled with many items before that.
    if (showing_) RegisterToolTip(index);
  }

  FocusToken FocusedControl() override { return reinterpret_cast<FocusToken>(GetFocus()); }
  void SetFocus(FocusToken control) override { ::SetFocus(reinterpret_cast<HWND>(control)); }

  void EndDialog() override {
    ended_ = true;
    ShowWindow(hwnd_, SW_HIDE);
  }

  void RunModal(DialogEvents& events) override {
    events_ = &events;
    ended_ = false;
    showing_ = true;
    for (std::size_t index = 0; index < tips_.size(); ++index) RegisterToolTip(index);
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    SetForegroundWindow(hwnd_);
    MSG msg;
    while (!ended_) {
      const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
      if (got == 0) {  // keep the quit request for whoever runs the outer loop
        PostQuitMessage(static_cast<int>(msg.wParam));
        break;
      }
      if (got == -1) break;
      if (!IsDialogMessageW(hwnd_, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
    events_ = nullptr;
    // What the handler threw goes on from here, on this side of the system's frames.
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
  }

 private:
  static constexpr std::size_t kNoControl = static_cast<std::size_t>(-1);

  // The help of one control, kept here because the tooltip asks for it each time it shows.
  struct ToolTip {
    std::wstring text;
    std::wstring unavailable;
    bool registered = false;
  };

  std::size_t IndexOf(int id) const {
    for (std::size_t i = 0; i < controls_.size(); ++i) {
      if (layout_.controls[i].id == id) return i;
    }
    return kNoControl;
  }
  HWND Item(int id) const {
    const std::size_t index = IndexOf(id);
    return index == kNoControl ? nullptr : controls_[index];
  }

  // One tooltip window for all controls, made when the first control gets a
  // tip. It shows over an inactive dialog too, wraps long texts at about
  // 300 pixels (200 dialog units, so it grows with the font and the DPI) and
  // stays long enough to be read.
  // Makes the tooltip know the control of entry `index` once it has a text.
  void RegisterToolTip(std::size_t index) {
    ToolTip& tip = tips_[index];
    if (tip.registered || tip.text.empty() || !ToolTipWindow()) return;
    // Over an enabled control the mouse messages go to the control itself; a
    // disabled one gets none, so then its place on the dialog is the tool.
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(controls_[index]);
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    tool.uFlags = TTF_SUBCLASS;
    tool.uId = static_cast<UINT_PTR>(layout_.controls[index].id);
    GetWindowRect(controls_[index], &tool.rect);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&tool.rect), 2);
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    tip.registered = true;
  }

  HWND ToolTipWindow() {
    if (tooltip_ || !hwnd_) return tooltip_;
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                               WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    if (!tooltip_) return nullptr;
    RECT width{0, 0, 200, 0};
    MapDialogRect(hwnd_, &width);
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, width.right);
    constexpr WORD kShownMs = 30000;
    SendMessageW(tooltip_, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(kShownMs, 0));
    return tooltip_;
  }

  // The text of the tip about to show: why the control is unavailable while it is disabled.
  void FillToolTip(NMTTDISPINFOW& info) {
    const int id = (info.uFlags & TTF_IDISHWND) != 0
                       ? GetDlgCtrlID(reinterpret_cast<HWND>(info.hdr.idFrom))
                       : static_cast<int>(info.hdr.idFrom);
    const std::size_t index = IndexOf(id);
    if (index == kNoControl) return;
    const ToolTip& tip = tips_[index];
    const bool unavailable = !IsWindowEnabled(controls_[index]) && !tip.unavailable.empty();
    info.hinst = nullptr;
    info.lpszText = const_cast<wchar_t*>((unavailable ? tip.unavailable : tip.text).c_str());
  }
  LRESULT Send(int id, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
    HWND control = Item(id);
    return control ? SendMessageW(control, message, wparam, lparam) : 0;
  }
  static std::string WindowText(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return Narrow(text);
  }

  const ControlLayout* Find(int id) const {
    for (const ControlLayout& layout : layout_.controls) {
      if (layout.id == id) return &layout;
    }
    return nullptr;
  }
  // Only combo boxes answer list messages meaningfully; other controls return 0 to them.
  bool IsList(int id) const {
    const ControlLayout* layout = Find(id);
    return layout && layout->kind == ControlKind::kDropDownList;
  }
  // Pixels from the control's top down to the first control that overlaps it
  // from below (frames are only lines), or to its bottom.
  LONG UncoveredHeight(const ControlLayout& layout) {
    RECT client{};
    GetClientRect(Item(layout.id), &client);
    const ControlLayout* cover = nullptr;
    for (const ControlLayout& other : layout_.controls) {
      if (other.id == layout.id || other.kind == ControlKind::kFrame) continue;
      const bool beside = other.x < layout.x + layout.width && layout.x < other.x + other.width;
      const bool below = layout.y < other.y && other.y < layout.y + layout.height;
      if (beside && below && (!cover || other.y < cover->y)) cover = &other;
    }
    if (!cover) return client.bottom;
    RECT tops{0, layout.y, 0, cover->y};
    MapDialogRect(hwnd_, &tops);
    return std::min<LONG>(client.bottom, tops.bottom - tops.top);
  }

  static void PaintLinesWithoutCaption(HWND frame) {
    if (!frame) return;
    SetWindowLongPtrW(frame, GWLP_USERDATA, GetWindowLongPtrW(frame, GWLP_WNDPROC));
    SetWindowLongPtrW(frame, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FrameProc));
  }

  // Gives the control the dialog's font or, where its text overflows there, the
  // first narrower font in which it is whole.
  void FitText(const ControlLayout& layout) {
    HWND control = Item(layout.id);
    if (!control) return;
    const HFONT dialog_font = reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
    const LONG label_height = layout.kind == ControlKind::kLabel ? UncoveredHeight(layout) : 0;
    fonts_.FitText(control, layout.kind, label_height, dialog_font);
  }

  bool IsGreyLabel(HWND control) const {
    const ControlLayout* layout = Find(GetDlgCtrlID(control));
    return layout && layout->grey_text;
  }

  INT_PTR Handle(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
      case WM_CTLCOLORSTATIC:
        if (IsGreyLabel(reinterpret_cast<HWND>(lparam))) {
          HDC dc = reinterpret_cast<HDC>(wparam);
          SetTextColor(dc, kGreyText);
          SetBkMode(dc, TRANSPARENT);
          return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
        }
        return FALSE;
      case WM_COMMAND:
        if (events_) {
          return events_->OnCommand(*this, LOWORD(wparam), HIWORD(wparam)) ? TRUE : FALSE;
        }
        return FALSE;
      case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lparam);
        if (header->hwndFrom != tooltip_ || header->code != TTN_GETDISPINFOW) return FALSE;
        FillToolTip(*reinterpret_cast<NMTTDISPINFOW*>(lparam));
        return TRUE;
      }
      case WM_NCACTIVATE:
        if (events_) events_->OnActivationChange(*this, wparam != FALSE);
        return FALSE;
      case WM_CLOSE:
        if (events_) events_->OnCloseRequest(*this);
        return TRUE;
      default:
        return FALSE;
    }
  }

  static INT_PTR CALLBACK Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
      SetWindowLongPtrW(hwnd, DWLP_USER, lparam);
      auto* self = reinterpret_cast<Win32Dialog*>(lparam);
      self->hwnd_ = hwnd;
      return TRUE;
    }
    auto* self = reinterpret_cast<Win32Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self) return FALSE;
    // An exception must not unwind through the system's window code: it is
    // kept, the modal loop ends, and RunModal throws it again.
    try {
      return self->Handle(message, wparam, lparam);
    } catch (...) {
      if (!self->failure_) self->failure_ = std::current_exception();
      self->ended_ = true;
      return FALSE;
    }
  }

  const DialogLayout& layout_;
  HWND hwnd_ = nullptr;
  std::vector<HWND> controls_;  // the control of each entry of layout_.controls
  bool showing_ = false;         // RunModal has shown the dialog
  std::vector<ToolTip> tips_;   // the same way; shown by tooltip_, which the dialog owns
  HWND tooltip_ = nullptr;
  DialogEvents* events_ = nullptr;
  bool ended_ = false;
  std::exception_ptr failure_;  // thrown by the handler, for RunModal to throw again
  FittingFonts fonts_;  // for texts that overflow; deleted after the window, which uses them
};

}  // namespace

std::unique_ptr<Dialog> Win32Os::CreateHiddenDialog(const DialogLayout& layout) {
  return std::make_unique<Win32Dialog>(layout);
}

}  // namespace veyra::platform::win32
