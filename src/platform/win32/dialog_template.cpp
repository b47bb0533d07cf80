#include "platform/win32/dialog_template.h"

#include "platform/win32/wide_text.h"

namespace veyra::platform::win32 {
namespace {

static_assert(sizeof(DLGTEMPLATE) == 18 && sizeof(DLGITEMTEMPLATE) == 18);

constexpr WORD kButtonAtom = 0x0080;
constexpr WORD kStaticAtom = 0x0082;
constexpr WORD kComboBoxAtom = 0x0085;
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

void AppendWords(std::vector<WORD>& out, const void* data, std::size_t bytes) {
  const WORD* words = static_cast<const WORD*>(data);
  out.insert(out.end(), words, words + bytes / sizeof(WORD));
}

void AppendString(std::vector<WORD>& out, const char* utf8) {
  for (wchar_t c : Widen(utf8)) out.push_back(static_cast<WORD>(c));
  out.push_back(0);
}

void AlignToDword(std::vector<WORD>& out) {
  if (out.size() % 2 != 0) out.push_back(0);
}

}  // namespace

ControlClass ClassOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::kPushButton:
      return {kButtonAtom, kChild | WS_TABSTOP | BS_PUSHBUTTON};
    case ControlKind::kFlatButton:
      return {kButtonAtom, kChild | WS_TABSTOP | BS_PUSHBUTTON | BS_FLAT | BS_CENTER | BS_VCENTER};
    case ControlKind::kFlatBorderButton:
      return {kButtonAtom,
              kChild | WS_TABSTOP | BS_PUSHBUTTON | BS_FLAT | BS_CENTER | BS_VCENTER | WS_BORDER};
    case ControlKind::kCheckBox:
      return {kButtonAtom, kChild | WS_TABSTOP | BS_AUTOCHECKBOX};
    case ControlKind::kFrame:
      return {kButtonAtom, kChild | BS_GROUPBOX};
    case ControlKind::kLabel:
      return {kStaticAtom, kChild | SS_LEFT};
    case ControlKind::kDropDownList:
      return {kComboBoxAtom, kChild | WS_VSCROLL | CBS_DROPDOWNLIST};
  }
  return {kStaticAtom, kChild};
}

std::vector<WORD> BuildDialogTemplate(const DialogLayout& layout, DWORD style) {
  std::vector<WORD> out;
  DLGTEMPLATE header{};
  header.style = style;
  header.cdit = static_cast<WORD>(layout.controls.size());
  header.cx = layout.width;
  header.cy = layout.height;
  AppendWords(out, &header, sizeof(header));
  out.push_back(0);  // no menu
  out.push_back(0);  // default dialog class
  AppendString(out, layout.caption);
  out.push_back(static_cast<WORD>(layout.font_points));
  AppendString(out, layout.font_face);

  for (const ControlLayout& control : layout.controls) {
    AlignToDword(out);
    const ControlClass cls = ClassOf(control.kind);
    DLGITEMTEMPLATE item{};
    item.style = cls.style;
    item.x = control.x;
    item.y = control.y;
    item.cx = control.width;
    item.cy = control.height;
    item.id = static_cast<WORD>(control.id);
    AppendWords(out, &item, sizeof(item));
    out.push_back(0xFFFF);
    out.push_back(cls.atom);
    AppendString(out, control.text);
    out.push_back(0);  // no creation data
  }
  return out;
}

}  // namespace veyra::platform::win32
