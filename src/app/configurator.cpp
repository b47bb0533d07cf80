#include "app/configurator.h"

#include "app/detection.h"
#include "app/dialog_layout.h"
#include "app/guards.h"
#include "app/interface_texts.h"
#include "app/undo.h"
#include "dialog/confirmation.h"
#include "app/undo_button.h"
#include "app/cut_short_steps.h"
#include "dialog/event_handler.h"
#include "install/apply_phase.h"
#include "backups/journal.h"
#include "model/control_ids.h"
#include "model/game_paths.h"
#include "platform/registry.h"

namespace veyra::app {

using namespace model;
namespace {

void AddProvisionalItems(platform::DialogControls& dialog) {
  for (const char* item : kProvisionalBloomItems) dialog.AddItem(IDC_BLOOM_LEVEL, item);
  for (const char* item : kProvisionalSunraysItems) dialog.AddItem(IDC_SUNRAYS_LEVEL, item);
  dialog.SetEnabled(IDC_BLOOM_LEVEL, false);
}

// The Steam client's language. Proton prefixes can hold the value empty;
// then, as when it is missing, the Windows display language decides.
void ReadSteamLanguage(platform::Os& os, ProgramState& state) {
  constexpr std::uint16_t kPrimaryLanguageBits = 0x3ff;
  constexpr std::uint16_t kLangGerman = 0x07;
  state.SteamLanguage = platform::RegReadString(os, 0, "Software\\Valve\\Steam", "Language", "");
  if (state.SteamLanguage.empty()) {
    const bool german = (os.UserInterfaceLanguage() & kPrimaryLanguageBits) == kLangGerman;
    state.SteamLanguage = german ? "german" : "english";
  }
}

bool IsInstallationFolder(platform::Os& os, const std::string& folder) {
  for (const char* mark : paths::kInstallationMarks) {
    const std::optional<platform::FileStamp> stamp = os.Stamp(folder + mark);
    if (stamp && stamp->folder) return true;
  }
  return false;
}

}  // namespace

void RunSettingsDialog(platform::Os& os, ProgramState& state) {
  std::unique_ptr<platform::Dialog> dialog = os.CreateHiddenDialog(SettingsDialogLayout());
  AddProvisionalItems(*dialog);
  InterfaceTexts(state.SteamLanguage, *dialog, state);
  // An interrupted run is undone, if the player wants, before the dialog shows the state.
  OfferRecovery(os, state);
  DetectInstalledState(os, state, *dialog);
  RefreshUndoButton(os, state, *dialog);

  // The set of an OK that could not finish, offered for undoing once the
  // journal has let go of the folder's lock.
  std::string unfinished;
  {
    // From OK on, every change is recorded before it is made, and no other
    // instance changes the folder meanwhile.
    backups::Journal journal(os, state.BasePath, "OK");
    install::KeptFiles kept;
    dialog::SettingsDialogEvents events(
        journal, state,
        [&] {
          if (journal.TakeLock() != platform::error::kSuccess) {
            SayBusy(os, state);
            return false;
          }
          // The checks see the choices the dialog is about to confirm; the lock,
          // taken once, stays for the next OK when one of them keeps the dialog open.
          ProgramState planned = state;
          dialog::CaptureSettings(*dialog, planned.Settings);
          std::optional<install::KeptFiles> checked = CheckBeforeChanges(os, planned);
          if (!checked) return false;
          kept = std::move(*checked);
          return true;
        },
        [&](platform::DialogControls& shown) { UndoFromDialog(os, state, shown); });
    dialog->RunModal(events);
    dialog.reset();

    if (state.CancelRequested != 0) return;
    install::RunApplyPhase(journal, state, journal, kept);
    journal.Finish();
    if (!journal.failures().empty()) {
      unfinished = journal.set_name();
    } else {
      // Every step ran whole, those cut short before among them.
      ClearCutShort(os, state.BasePath);
    }
  }
  if (!unfinished.empty()) OfferUndoOfUnfinishedOk(os, state, unfinished);
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
  ReadSteamLanguage(os, state);
  if (const std::vector<std::string> arguments = os.Arguments(); !arguments.empty()) {
    return RunCommand(os, state, arguments);
  }
  // Anywhere else every path would miss: say so once and touch nothing.
  if (!IsInstallationFolder(os, state.BasePath)) {
    os.ShowMessage(
        MessageText(state.SteamLanguage, Message::kWrongFolder, {state.StartDirectory}),
        MessageText(state.SteamLanguage, Message::kCaption),
        platform::mb::kOk | platform::mb::kIconExclamation | platform::mb::kTaskModal |
            platform::mb::kSetForeground);
    return kExitWrongFolder;
  }
  RunSettingsDialog(os, state);
  return 0;
}

}  // namespace veyra::app
