#include "platform/win32/win32_fonts.h"

#include <commctrl.h>

#include <string>

namespace veyra::platform::win32 {
namespace {

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

}  // namespace

FittingFonts::~FittingFonts() {
  for (HFONT font : fonts_) {
    if (font) DeleteObject(font);
  }
}

void FittingFonts::FitText(HWND control, ControlKind kind, LONG label_height, HFONT dialog_font) {
  const auto use = [control](HFONT font) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  };
  const HFONT before = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  HFONT chosen = dialog_font;
  if (before != dialog_font) use(dialog_font);
  if (!TextFits(control, kind, label_height)) {
    if (candidates_.empty()) {
      candidates_ = NarrowerFonts(dialog_font);
      fonts_.assign(candidates_.size(), nullptr);
    }
    for (std::size_t i = 0; i < candidates_.size() && chosen == dialog_font; ++i) {
      if (!fonts_[i]) fonts_[i] = CreateFontIndirectW(&candidates_[i]);
      use(fonts_[i]);
      if (TextFits(control, kind, label_height)) chosen = fonts_[i];
    }
    if (chosen == dialog_font) use(dialog_font);  // nothing helps: the dialog's own, like the rest
  }
  if (chosen != before) InvalidateRect(control, nullptr, TRUE);
}

}  // namespace veyra::platform::win32
