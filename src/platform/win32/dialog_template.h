// In-memory dialog templates built from a DialogLayout.
#pragma once

#include <windows.h>

#include <vector>

#include "platform/dialog.h"

namespace veyra::platform::win32 {

// Window class atom and style of one kind of control.
struct ControlClass {
  WORD atom;
  DWORD style;
};
ControlClass ClassOf(ControlKind kind);

// Pop-up with title bar and modal frame, no system menu, centred.
constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_CENTER | DS_SETFONT;

// A DLGTEMPLATE (DWORD-aligned) with its items, ready for CreateDialogIndirectParamW.
std::vector<WORD> BuildDialogTemplate(const DialogLayout& layout, DWORD style);

}  // namespace veyra::platform::win32
