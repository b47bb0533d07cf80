#include "dialog/confirmation.h"

#include "app/control_ids.h"
#include "app/option_controls.h"
#include "config/settings_block.h"
#include "config/text_file.h"

namespace veyra::dialog {
namespace {

using namespace app;

constexpr const char* kConsoleScripts[] = {
    "\\VYhl2\\cfg\\autoexec.cfg",
    "\\VYepisodic\\cfg\\autoexec.cfg",
    "\\VYep2\\cfg\\autoexec.cfg",
};

}  // namespace

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
  for (const char* script : kConsoleScripts) {
    config::RewriteFile(os, state.BasePath + script, config::OpenFailureMessage::kSave,
                        [&state](std::string text) {
                          return config::RegenerateSettingsBlock(config::StripQuotes(text), state);
                        });
  }
}

}  // namespace veyra::dialog
