#include "platform/posix/memory_dialog.h"

namespace veyra::platform {

MemoryDialog::MemoryDialog(const DialogLayout& layout) : caption_(layout.caption) {
  for (const ControlLayout& control : layout.controls) {
    Control created;
    created.kind = control.kind;
    created.text = control.text;
    controls_[control.id] = std::move(created);
  }
}

MemoryDialog::Control* MemoryDialog::Lookup(int id) {
  auto found = controls_.find(id);
  return found == controls_.end() ? nullptr : &found->second;
}

const MemoryDialog::Control* MemoryDialog::Find(int id) const {
  auto found = controls_.find(id);
  return found == controls_.end() ? nullptr : &found->second;
}

std::string MemoryDialog::Text(int id) {
  const Control* control = Lookup(id);
  return control ? control->text : std::string();
}

void MemoryDialog::SetText(int id, const std::string& text) {
  if (Control* control = Lookup(id)) control->text = text;
}

bool MemoryDialog::IsChecked(int id) {
  const Control* control = Lookup(id);
  return control && control->checked;
}

void MemoryDialog::SetChecked(int id, bool checked) {
  Control* control = Lookup(id);
  if (control && control->kind == ControlKind::kCheckBox) control->checked = checked;
}

bool MemoryDialog::IsEnabled(int id) {
  const Control* control = Lookup(id);
  return control && control->enabled;
}

void MemoryDialog::SetEnabled(int id, bool enabled) {
  if (Control* control = Lookup(id)) control->enabled = enabled;
}

int MemoryDialog::ItemCount(int id) {
  const Control* control = Lookup(id);
  return control ? static_cast<int>(control->items.size()) : 0;
}

std::string MemoryDialog::ItemText(int id, int item) {
  const Control* control = Lookup(id);
  if (!control || item < 1 || item > static_cast<int>(control->items.size())) return {};
  return control->items[static_cast<std::size_t>(item - 1)];
}

void MemoryDialog::AddItem(int id, const std::string& text) {
  Control* control = Lookup(id);
  if (control && control->kind == ControlKind::kDropDownList) control->items.push_back(text);
}

void MemoryDialog::RemoveItem(int id, int item) {
  Control* control = Lookup(id);
  if (!control || item < 1 || item > static_cast<int>(control->items.size())) return;
  control->items.erase(control->items.begin() + (item - 1));
  if (control->selection == item) {
    control->selection = 0;
  } else if (control->selection > item) {
    --control->selection;
  }
}

void MemoryDialog::InsertItem(int id, int item, const std::string& text) {
  Control* control = Lookup(id);
  if (!control || control->kind != ControlKind::kDropDownList || item < 1 ||
      item > static_cast<int>(control->items.size()) + 1) {
    return;
  }
  control->items.insert(control->items.begin() + (item - 1), text);
  if (control->selection >= item) ++control->selection;
}

int MemoryDialog::Selection(int id) {
  const Control* control = Lookup(id);
  return control ? control->selection : 0;
}

void MemoryDialog::Select(int id, int item) {
  Control* control = Lookup(id);
  if (!control) return;
  const bool exists = item >= 1 && item <= static_cast<int>(control->items.size());
  control->selection = exists ? item : 0;
}

void MemoryDialog::SetToolTip(int id, const std::string& text,
                              const std::string& unavailable_text) {
  if (Control* control = Lookup(id)) {
    control->tooltip = text;
    control->unavailable_tooltip = unavailable_text;
  }
}

void MemoryDialog::RunModal(DialogEvents& events) {
  shown_ = true;
  if (script_) script_(*this, events);
  if (!ended_) events.OnCloseRequest(*this);  // the user closed the window
  ended_ = true;
}

}  // namespace veyra::platform
