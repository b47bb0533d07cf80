#include "app/undo_button.h"

#include "app/change_description.h"
#include "app/detection.h"
#include "app/dialog_layout.h"
#include "app/interface_texts.h"
#include "app/undo.h"
#include "backups/sets.h"
#include "model/control_ids.h"

namespace veyra::app {

using namespace model;

void RefreshUndoButton(platform::Os& os, const ProgramState& state,
                       platform::DialogControls& dialog) {
  const std::string& language = state.SteamLanguage;
  const ToolTip tip = ToolTipOf(language, IDC_UNDO);
  std::vector<backups::BackupSet> sets;
  const platform::Result listed = backups::ListSets(os, state.BasePath, sets);
  const std::vector<const backups::BackupSet*> undoable =
      listed.ok() ? backups::UndoableChanges(sets) : std::vector<const backups::BackupSet*>();
  dialog.SetEnabled(IDC_UNDO, !undoable.empty());
  if (!listed.ok()) {
    dialog.SetToolTip(IDC_UNDO, tip.text,
                      MessageText(language, Message::kChangesUnreadable, {listed.subject()}));
    return;
  }
  if (undoable.empty()) {
    dialog.SetToolTip(IDC_UNDO, tip.text, tip.unavailable);
    return;
  }
  const backups::BackupSet& next = *undoable.front();
  std::string what;
  for (const std::string& item :
       WhatUndoingBringsBack(next, language, KeptContentOf(os, state.BasePath))) {
    what += (what.empty() ? "" : "; ") + item;
  }
  dialog.SetToolTip(IDC_UNDO,
                    MessageText(language, Message::kUndoButtonTip,
                                {ChangeTimeText(next.started, language), what}),
                    tip.unavailable);
}

void ShowStateOnDisk(platform::Os& os, ProgramState& state, platform::DialogControls& dialog) {
  // As the dialog stood before the detection at start.
  for (const platform::ControlLayout& control : SettingsDialogLayout().controls) {
    dialog.SetChecked(control.id, false);
    dialog.SetEnabled(control.id, true);
  }
  for (int item = dialog.ItemCount(IDC_SWEETFX_PRESET); item > 0; --item) {
    dialog.RemoveItem(IDC_SWEETFX_PRESET, item);
  }
  dialog.Select(IDC_SUNRAYS_LEVEL, 0);
  dialog.SetEnabled(IDC_BLOOM_LEVEL, false);
  state.Settings = {};
  state.Installed = {};
  state.SweetFxPresetName.clear();
  DetectInstalledState(os, state, dialog);
  RefreshUndoButton(os, state, dialog);
}

void UndoFromDialog(platform::Os& os, ProgramState& state, platform::DialogControls& dialog) {
  if (UndoNextChange(os, state)) {
    ShowStateOnDisk(os, state, dialog);
  } else {
    RefreshUndoButton(os, state, dialog);
  }
}

}  // namespace veyra::app
