// Fonts for texts longer than their controls. Some texts are longer than
// their controls in the dialog's own font, even in MS Sans Serif. Such a
// control gets the first font of a short list of narrower or slightly smaller
// ones in which its text is whole: a designed narrow face where the system has
// one, else the dialog's face squeezed. The layout and every other control
// stay as they are.
#pragma once

#include <windows.h>

#include <vector>

#include "platform/dialog.h"

namespace veyra::platform::win32 {

// The narrower fonts of one dialog, each made when first tried and kept until
// the dialog goes (its controls use them).
class FittingFonts {
 public:
  FittingFonts() = default;
  FittingFonts(const FittingFonts&) = delete;
  FittingFonts& operator=(const FittingFonts&) = delete;
  ~FittingFonts();

  // Gives the control `dialog_font` or, where its text overflows there, the
  // first narrower font in which it is whole; a label's text has
  // `label_height` pixels, what its neighbours below leave of it.
  void FitText(HWND control, ControlKind kind, LONG label_height, HFONT dialog_font);

 private:
  std::vector<LOGFONTW> candidates_;  // for texts that overflow, best first
  std::vector<HFONT> fonts_;          // owned; each made when first tried
};

}  // namespace veyra::platform::win32
