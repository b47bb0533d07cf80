#include "platform/win32/win32_os.h"

#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <process.h>

#include <algorithm>
#include <exception>
#include <mutex>
#include <utility>

#include "platform/win32/dialog_template.h"
#include "platform/win32/wide_text.h"

namespace veyra::platform::win32 {
namespace {

static_assert(sizeof(DLGTEMPLATE) == 18 && sizeof(DLGITEMTEMPLATE) == 18);

constexpr COLORREF kGreyText = RGB(128, 128, 128);

// ---------------------------------------------------------------- dialog

// Some texts are longer than their controls in the dialog's own font, even in
// MS Sans Serif. Such a control gets the first font of a short list of
// narrower or slightly smaller ones in which its text is whole: a designed
// narrow face where the system has one, else the dialog's face squeezed. The
// layout and every other control stay as they are.

// Designed narrow faces, used where the system has them.
constexpr const wchar_t* kNarrowFaces[] = {L"Arial Narrow", L"Liberation Sans Narrow",
                                           L"Nimbus Sans Narrow", L"DejaVu Sans Condensed"};
// The TrueType twin of the bitmap MS Sans Serif: only TrueType glyphs can be squeezed.
constexpr const wchar_t* kScalableFace = L"Microsoft Sans Serif";
// At most this many pixels smaller than the dialog's font, and squeezed to no less than 4/5.
constexpr LONG kMostPixelsSmaller = 2;

struct Realised {
  std::wstring face;
  TEXTMETRICW metrics;
};

Realised Realise(const LOGFONTW& font) {
  Realised realised{};
  HDC dc = GetDC(nullptr);
  HFONT handle = CreateFontIndirectW(&font);
  HGDIOBJ old = SelectObject(dc, handle);
  wchar_t face[LF_FACESIZE] = {};
  GetTextFaceW(dc, LF_FACESIZE, face);
  realised.face = face;
  GetTextMetricsW(dc, &realised.metrics);
  SelectObject(dc, old);
  DeleteObject(handle);
  ReleaseDC(nullptr, dc);
  return realised;
}

// The fonts a text that overflows in `base` may get instead, best first.
std::vector<LOGFONTW> NarrowerFonts(HFONT base) {
  LOGFONTW font{};
  GetObjectW(base, sizeof(font), &font);
  font.lfWidth = 0;
  std::vector<std::wstring> faces;
  for (const wchar_t* face : kNarrowFaces) {
    LOGFONTW narrow = font;
    lstrcpynW(narrow.lfFaceName, face, LF_FACESIZE);
    if (lstrcmpiW(Realise(narrow).face.c_str(), face) == 0) faces.push_back(face);
  }
  const bool scalable = Realise(font).metrics.tmPitchAndFamily & TMPF_TRUETYPE;
  const std::wstring squeezable = scalable ? font.lfFaceName : kScalableFace;
  faces.push_back(squeezable);

  const LONG step = font.lfHeight < 0 ? 1 : -1;  // toward smaller, whichever sign the height has
  std::vector<LOGFONTW> fonts;
  for (const std::wstring& face : faces) {
    for (LONG smaller = 0; smaller <= kMostPixelsSmaller; ++smaller) {
      LOGFONTW candidate = font;
      candidate.lfHeight = font.lfHeight + smaller * step;
      lstrcpynW(candidate.lfFaceName, face.c_str(), LF_FACESIZE);
      if (smaller > 0 || !scalable || face != squeezable) fonts.push_back(candidate);  // not `base`
      if (face != squeezable) continue;
      const LONG natural = Realise(candidate).metrics.tmAveCharWidth;
      for (LONG width = natural - 1; width > 0 && width * 5 >= natural * 4; --width) {
        candidate.lfWidth = width;
        fonts.push_back(candidate);
      }
    }
  }
  return fonts;
}

// Whether the control shows its whole text in the font it has now; a label's
// text has `label_height` pixels, what its neighbours below leave of it.
bool TextFits(HWND control, ControlKind kind, LONG label_height) {
  const int length = GetWindowTextLengthW(control);
  if (length == 0 || kind == ControlKind::kDropDownList) return true;
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), length + 1)));
  RECT client{};
  GetClientRect(control, &client);
  if (kind == ControlKind::kCheckBox) {
    // The check box knows the room its box, gap and focus rectangle take.
    SIZE ideal{};
    return SendMessageW(control, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)) &&
           ideal.cx <= client.right;
  }
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
  bool fits = false;
  if (kind == ControlKind::kLabel) {
    RECT needed{0, 0, client.right, 0};
    DrawTextW(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
    fits = needed.right <= client.right && needed.bottom <= label_height;
  } else {
    // Buttons: inside their edges and focus rectangle; frames: inside the indent of their caption.
    const int margins = kind == ControlKind::kFrame ? 16 : 4 * GetSystemMetrics(SM_CXEDGE);
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    fits = extent.cx + margins <= client.right;
  }
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return fits;
}

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
    for (HFONT font : narrower_fonts_) {
      if (font) DeleteObject(font);
    }
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
  void SetEnabled(int id, bool enabled) override { EnableWindow(Item(id), enabled); }

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
    const auto use = [control](HFONT font) {
      SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    };
    const HFONT dialog_font = reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
    const HFONT before = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    const LONG label_height = layout.kind == ControlKind::kLabel ? UncoveredHeight(layout) : 0;
    HFONT chosen = dialog_font;
    if (before != dialog_font) use(dialog_font);
    if (!TextFits(control, layout.kind, label_height)) {
      if (candidates_.empty()) {
        candidates_ = NarrowerFonts(dialog_font);
        narrower_fonts_.assign(candidates_.size(), nullptr);
      }
      for (std::size_t i = 0; i < candidates_.size() && chosen == dialog_font; ++i) {
        if (!narrower_fonts_[i]) narrower_fonts_[i] = CreateFontIndirectW(&candidates_[i]);
        use(narrower_fonts_[i]);
        if (TextFits(control, layout.kind, label_height)) chosen = narrower_fonts_[i];
      }
      if (chosen == dialog_font) use(dialog_font);  // nothing helps: the dialog's own, like the rest
    }
    if (chosen != before) InvalidateRect(control, nullptr, TRUE);
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
  std::vector<LOGFONTW> candidates_;   // for texts that overflow, best first
  std::vector<HFONT> narrower_fonts_;  // owned; each made when first tried
};

// Sent (posted) to a wait window when its bar has something new to show.
constexpr UINT kShowProgress = WM_APP + 1;
// The label's line, and below it the bar, in dialog units.
constexpr short kWaitWidth = 169;
constexpr RECT kWaitLabel{10, 10, 160, 22};
constexpr RECT kWaitBar{10, 24, 160, 32};
constexpr short kWaitHeight = kWaitBar.bottom + 7;

class Win32WaitWindow : public WaitWindow {
 public:
  Win32WaitWindow(HWND hwnd, HWND bar) : hwnd_(hwnd), bar_(bar) {
    if (hwnd_) SetWindowLongPtrW(hwnd_, DWLP_USER, reinterpret_cast<LONG_PTR>(this));
  }
  ~Win32WaitWindow() override {
    if (hwnd_) DestroyWindow(hwnd_);
  }

  // Keeps the numbers and posts one message for them, unless one is still on
  // its way: a worker copying thousands of small files would otherwise fill
  // the thread's queue faster than the bar can be drawn.
  void ShowProgress(std::size_t done, std::size_t total) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = done;
      total_ = total;
      if (posted_ || !hwnd_) return;
      posted_ = true;
    }
    if (!PostMessageW(hwnd_, kShowProgress, 0, 0)) {
      std::lock_guard<std::mutex> lock(mutex_);
      posted_ = false;
    }
  }

  // On the window's thread, when the posted message arrives.
  void UpdateBar() {
    std::size_t done = 0;
    std::size_t total = 0;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      posted_ = false;
      done = done_;
      total = total_;
    }
    // The bar counts in ints; an empty step shows an empty bar.
    constexpr std::size_t kMost = 0x7FFFFFFF;
    const std::size_t scale = total > kMost ? total / kMost + 1 : 1;
    SendMessageW(bar_, PBM_SETRANGE32, 0, static_cast<LPARAM>(std::max<std::size_t>(total / scale, 1)));
    SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(std::min(done, total) / scale), 0);
  }

 private:
  HWND hwnd_;
  HWND bar_;
  std::mutex mutex_;
  std::size_t done_ = 0;
  std::size_t total_ = 0;
  bool posted_ = false;
};

INT_PTR CALLBACK WaitWindowProc(HWND hwnd, UINT message, WPARAM, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message != kShowProgress) return FALSE;
  if (auto* window = reinterpret_cast<Win32WaitWindow*>(GetWindowLongPtrW(hwnd, DWLP_USER))) {
    window->UpdateBar();
  }
  return TRUE;
}

// Hands a retrieved message to the dialog it belongs to, or to its window.
void Dispatch(MSG& msg) {
  HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
  if (!root || !IsDialogMessageW(root, &msg)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

struct BesideWork {
  const std::function<void()>& work;
  std::exception_ptr failure;
};

unsigned __stdcall RunBesideWork(void* argument) {
  auto& task = *static_cast<BesideWork*>(argument);
  try {
    task.work();
  } catch (...) {
    task.failure = std::current_exception();
  }
  return 0;
}

}  // namespace

void RestrictDllSearchToSystem32() { SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32); }

void Win32Os::InitCommonControls() {
  HMODULE library = LoadLibraryExW(L"COMCTL32.DLL", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!library) return;
  using InitEx = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  using Init = void(WINAPI*)();
  if (auto init_ex = reinterpret_cast<InitEx>(
          reinterpret_cast<void*>(GetProcAddress(library, "InitCommonControlsEx")))) {
    INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), 0x9FF};
    init_ex(&classes);
  } else if (auto init = reinterpret_cast<Init>(
                 reinterpret_cast<void*>(GetProcAddress(library, "InitCommonControls")))) {
    init();
  }
  FreeLibrary(library);
}

std::optional<std::string> Win32Os::CurrentDirectory() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length == 0) return std::nullopt;
    if (length < buffer.size()) {
      buffer.resize(length);
      return Narrow(buffer);
    }
    buffer.resize(length);  // too small: `length` includes the terminating zero
  }
}

std::optional<RegistryValue> Win32Os::RegistryReadValue(std::uint32_t root, const std::string& key,
                                                        const std::string& value_name) {
  HKEY opened;
  if (RegOpenKeyExA(reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(root)), key.c_str(), 0, KEY_READ,
                    &opened) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::optional<RegistryValue> result;
  std::string data(1024, '\0');
  for (;;) {
    DWORD size = static_cast<DWORD>(data.size());
    DWORD type = REG_NONE;
    const LSTATUS status = RegQueryValueExA(opened, value_name.c_str(), nullptr, &type,
                                            reinterpret_cast<BYTE*>(data.data()), &size);
    if (status == ERROR_MORE_DATA) {
      data.resize(size);
      continue;
    }
    if (status == ERROR_SUCCESS) {
      data.resize(size);
      result = RegistryValue{type, data};
    }
    break;
  }
  RegCloseKey(opened);
  return result;
}

SystemError Win32Os::RegistryWriteValue(std::uint32_t root, const std::string& key,
                                        const std::string& value_name, const RegistryValue& value) {
  HKEY created;
  LSTATUS status = RegCreateKeyExA(reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(root)),
                                   key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &created,
                                   nullptr);
  if (status != ERROR_SUCCESS) return static_cast<SystemError>(status);
  status = RegSetValueExA(created, value_name.c_str(), 0, value.type,
                          reinterpret_cast<const BYTE*>(value.data.data()),
                          static_cast<DWORD>(value.data.size()));
  RegCloseKey(created);
  return static_cast<SystemError>(status);
}

SystemError Win32Os::RegistryDeleteValue(std::uint32_t root, const std::string& key,
                                         const std::string& value_name) {
  HKEY opened;
  LSTATUS status = RegOpenKeyExA(reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(root)), key.c_str(),
                                 0, KEY_SET_VALUE, &opened);
  if (status != ERROR_SUCCESS) return static_cast<SystemError>(status);
  status = RegDeleteValueA(opened, value_name.c_str());
  RegCloseKey(opened);
  return static_cast<SystemError>(status);
}

std::unique_ptr<Dialog> Win32Os::CreateHiddenDialog(const DialogLayout& layout) {
  return std::make_unique<Win32Dialog>(layout);
}

std::unique_ptr<WaitWindow> Win32Os::OpenWaitWindow(const std::string& caption,
                                                    const std::string& label, int label_id) {
  const std::string label_text = label;
  const ControlLayout controls[] = {
      {label_id, "IDC_WAIT_TEXT", ControlKind::kLabel, kWaitLabel.left, kWaitLabel.top,
       kWaitLabel.right - kWaitLabel.left, kWaitLabel.bottom - kWaitLabel.top, label_text.c_str(),
       false},
  };
  const DialogLayout layout{caption.c_str(), kWaitWidth, kWaitHeight, "MS Sans Serif", 8, controls};
  const std::vector<WORD> tmpl = BuildDialogTemplate(layout, kDialogStyle);
  HWND hwnd = CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                         reinterpret_cast<const DLGTEMPLATE*>(tmpl.data()), nullptr,
                                         &WaitWindowProc, 0);
  HWND bar = nullptr;
  if (hwnd) {
    RECT pixels = kWaitBar;
    MapDialogRect(hwnd, &pixels);
    bar = CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD | WS_VISIBLE, pixels.left,
                          pixels.top, pixels.right - pixels.left, pixels.bottom - pixels.top, hwnd,
                          nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    // Painted now: the work that follows may keep this thread from its messages for a while.
    RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  }
  return std::make_unique<Win32WaitWindow>(hwnd, bar);
}

std::string Win32Os::SystemDirectory() {
  wchar_t buffer[MAX_PATH];
  const UINT length = GetSystemDirectoryW(buffer, MAX_PATH);
  return length > 0 && length < MAX_PATH ? Narrow(std::wstring_view(buffer, length))
                                         : std::string("C:\\Windows\\System32");
}

bool Win32Os::PumpOneMessage() {
  MSG msg;
  if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    PostQuitMessage(static_cast<int>(msg.wParam));
    return true;
  }
  Dispatch(msg);
  return true;
}

void Win32Os::RunBesideMessageLoop(const std::function<void()>& work) {
  BesideWork task{work, nullptr};
  // _beginthreadex, not CreateThread: the work uses the C runtime.
  HANDLE thread =
      reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &RunBesideWork, &task, 0, nullptr));
  if (!thread) {
    work();  // no second thread to be had: the work runs here, the windows wait
    return;
  }
  // A request to quit is kept for the loop that ends the program.
  std::optional<WPARAM> quit;
  // The end of the work is looked for after every wake-up and at least every
  // kRecheckMs: no wake-up that goes missing, and no wait that fails, can keep
  // this thread from seeing that the work is done, or its windows from their
  // messages meanwhile.
  constexpr DWORD kRecheckMs = 100;
  while (WaitForSingleObject(thread, 0) != WAIT_OBJECT_0) {
    const DWORD woken =
        MsgWaitForMultipleObjectsEx(1, &thread, kRecheckMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woken == WAIT_FAILED) WaitForSingleObject(thread, kRecheckMs);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quit = msg.wParam;
      } else {
        Dispatch(msg);
      }
    }
  }
  CloseHandle(thread);
  if (quit) PostQuitMessage(static_cast<int>(*quit));
  if (task.failure) std::rethrow_exception(task.failure);
}

int Win32Os::ShowMessage(const std::string& text, const std::string& caption, std::uint32_t flags) {
  return MessageBoxW(nullptr, Widen(text).c_str(),
                     Widen(caption.empty() ? kDefaultMessageCaption : caption).c_str(), flags);
}

void Win32Os::Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

LocalTime Win32Os::Now() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

std::uint16_t Win32Os::UserInterfaceLanguage() { return GetUserDefaultUILanguage(); }

std::vector<std::string> Win32Os::Arguments() {
  // The C runtime has split the wide command line by the usual quoting rules.
  std::vector<std::string> arguments;
  for (int i = 1; i < __argc && __wargv; ++i) arguments.push_back(Narrow(__wargv[i]));
  return arguments;
}

bool Win32Os::WriteToParentConsole(const std::string& text) {
  // Output the starting program redirected to a file or pipe comes first;
  // otherwise the console it runs in, when it has one.
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  const bool redirected = output && output != INVALID_HANDLE_VALUE &&
                          (GetFileType(output) == FILE_TYPE_DISK ||
                           GetFileType(output) == FILE_TYPE_PIPE);
  if (redirected) {
    DWORD written = 0;
    return WriteFile(output, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
  }
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return false;
  HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  bool done = false;
  if (console != INVALID_HANDLE_VALUE) {
    const std::wstring wide = Widen(text);
    DWORD written = 0;
    done = WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    CloseHandle(console);
  }
  FreeConsole();
  return done;
}

std::optional<std::vector<ProcessEntry>> Win32Os::ProcessSnapshot() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return std::nullopt;
  std::vector<ProcessEntry> processes;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    processes.push_back({entry.th32ProcessID, Narrow(entry.szExeFile)});
  }
  CloseHandle(snapshot);
  return processes;
}

SystemError Win32Os::StartProcess(const std::string& application, const std::string& command_line,
                                  const std::string& working_directory) {
  const std::wstring app = application.empty() ? std::wstring() : WidePath(application);
  std::wstring line = Widen(command_line);
  const std::wstring folder = Widen(working_directory);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(app.empty() ? nullptr : app.c_str(), line.data(), nullptr, nullptr, FALSE, 0,
                      nullptr, folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
    return GetLastError();
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return error::kSuccess;
}

void Win32Os::Terminate(int exit_code) { ExitProcess(static_cast<UINT>(exit_code)); }

}  // namespace veyra::platform::win32
