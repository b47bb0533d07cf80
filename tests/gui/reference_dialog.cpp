// The configurator's settings dialog with nothing behind it: the same layout,
// texts, Win32 backend and manifest, built the same way, but without the
// detection and without reading a file of the game folder. It is the
// reference that scripts/measure-startup.sh compares the configurator's
// start-up time with. OK, Cancel and closing the window end it.
#include <windows.h>

#include "app/dialog_layout.h"
#include "app/interface_texts.h"
#include "model/control_ids.h"
#include "model/program_state.h"
#include "platform/win32/win32_os.h"

namespace {

using namespace veyra;

class EndOnClose : public platform::DialogEvents {
 public:
  bool OnCommand(platform::DialogControls& dialog, int id, int) override {
    if (id != model::IDC_OK && id != model::IDC_CANCEL) return false;
    dialog.EndDialog();
    return true;
  }
  void OnActivationChange(platform::DialogControls&, bool) override {}
  void OnCloseRequest(platform::DialogControls& dialog) override { dialog.EndDialog(); }
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  platform::win32::RestrictDllSearchToSystem32();
  platform::win32::Win32Os os;
  os.InitCommonControls();
  model::ProgramState state;
  model::FillValueTables(state);
  std::unique_ptr<platform::Dialog> dialog = os.CreateHiddenDialog(app::SettingsDialogLayout());
  for (const char* item : app::kProvisionalBloomItems) {
    dialog->AddItem(model::IDC_BLOOM_LEVEL, item);
  }
  for (const char* item : app::kProvisionalSunraysItems) {
    dialog->AddItem(model::IDC_SUNRAYS_LEVEL, item);
  }
  app::InterfaceTexts("english", *dialog, state);
  EndOnClose events;
  dialog->RunModal(events);
  return 0;
}
