#include "app/configurator.h"

#include "app/detection.h"
#include "app/dialog_layout.h"
#include "app/interface_texts.h"
#include "app/undo.h"
#include "dialog/event_handler.h"
#include "install/apply_phase.h"
#include "install/journal.h"
#include "model/control_ids.h"
#include "platform/registry.h"

namespace veyra::app {

using namespace model;
namespace {

void AddProvisionalItems(platform::DialogControls& dialog) {
  for (const char* item : kProvisionalBloomItems) dialog.AddItem(IDC_BLOOM_LEVEL, item);
  for (const char* item : kProvisionalSunraysItems) dialog.AddItem(IDC_SUNRAYS_LEVEL, item);
  dialog.SetEnabled(IDC_BLOOM_LEVEL, false);
}

void ReadSteamLanguage(platform::Os& os, ProgramState& state) {
  state.SteamLanguage =
      platform::RegReadString(os, 0, "Software\\Valve\\Steam", "Language", "english");
}

}  // namespace

void RunSettingsDialog(platform::Os& os, ProgramState& state) {
  std::unique_ptr<platform::Dialog> dialog = os.CreateHiddenDialog(SettingsDialogLayout());
  AddProvisionalItems(*dialog);
  ReadSteamLanguage(os, state);
  InterfaceTexts(state.SteamLanguage, *dialog, state);
  // An interrupted run is undone, if the player wants, before the dialog shows the state.
  install::RemoveLeftovers(os, state.BasePath);
  OfferRecovery(os, state);
  DetectInstalledState(os, state, *dialog);

  // From OK on, every change is recorded before it is made.
  install::Journal journal(os, state.BasePath, "OK");
  dialog::SettingsDialogEvents events(journal, state);
  dialog->RunModal(events);
  dialog.reset();

  if (state.CancelRequested != 0) return;
  install::RunApplyPhase(journal, state, journal);
  journal.Finish();
}

int RunConfigurator(platform::Os& os, ProgramState& state) {
  os.InitCommonControls();
  FillValueTables(state);
  const std::optional<std::string> directory = os.CurrentDirectory();
  if (!directory) {
    os.ShowMessage(kStartDirectoryFailure, "",
                   platform::mb::kOk | platform::mb::kTaskModal | platform::mb::kSetForeground);
    return 0;
  }
  SetStartDirectory(state, *directory);
  if (const std::vector<std::string> arguments = os.Arguments(); !arguments.empty()) {
    ReadSteamLanguage(os, state);
    return RunCommand(os, state, arguments);
  }
  RunSettingsDialog(os, state);
  return 0;
}

}  // namespace veyra::app
