#include "platform/dialog.h"

namespace veyra::platform {

void Apply(DialogControls& dialog, const ControlChange& change) {
  switch (change.action) {
    case ControlChange::Action::kCheck: dialog.SetChecked(change.control, true); break;
    case ControlChange::Action::kUncheck: dialog.SetChecked(change.control, false); break;
    case ControlChange::Action::kEnable: dialog.SetEnabled(change.control, true); break;
    case ControlChange::Action::kDisable: dialog.SetEnabled(change.control, false); break;
    case ControlChange::Action::kSelect: dialog.Select(change.control, change.item); break;
  }
}

void Apply(DialogControls& dialog, std::span<const ControlChange> changes) {
  for (const ControlChange& change : changes) Apply(dialog, change);
}

}  // namespace veyra::platform
