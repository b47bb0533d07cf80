#include "dialog/confirmation.h"

#include "config/settings_block.h"
#include "config/text_file.h"
#include "model/control_ids.h"
#include "model/game_paths.h"
#include "model/options.h"

namespace veyra::dialog {

using namespace model;

void CaptureSettings(platform::DialogControls& dialog, SettingsState& settings) {
  for (const CheckBoxOption& option : CheckBoxOptions()) {
    settings.*option.flag = dialog.IsChecked(option.control) ? 1 : 0;
  }
  settings.BloomLevel = dialog.Selection(IDC_BLOOM_LEVEL);
  settings.SunraysLevel = dialog.Selection(IDC_SUNRAYS_LEVEL);
  settings.SelectedSweetFxPreset =
      dialog.ItemText(IDC_SWEETFX_PRESET, dialog.Selection(IDC_SWEETFX_PRESET));
  settings.VrMode = 0;
}

void SaveConsoleScripts(platform::Os& os, const ProgramState& state) {
  for (const char* script : paths::kConsoleScripts) {
    const platform::Result saved = config::RewriteFile(
        os, state.BasePath + script, config::OpenFailureMessage::kSave, [&state](std::string text) {
          return config::RegenerateSettingsBlock(text, state);
        });
    platform::Ignore(saved, "a failure is shown where it happens; the other scripts are still saved");
  }
}

}  // namespace veyra::dialog
