#include "dialog/external_tools.h"

#include "model/control_ids.h"
#include "model/game_paths.h"

namespace veyra::dialog {
namespace {

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

}  // namespace

void EditPreset(platform::Os& os, platform::DialogControls& dialog, const model::ProgramState& state) {
  const std::string selected =
      dialog.ItemText(model::IDC_SWEETFX_PRESET, dialog.Selection(model::IDC_SWEETFX_PRESET));
  const std::string preset = selected.empty() ? "Default" : selected;
  const std::string path = state.BasePath + model::paths::kSweetFxPresets + preset + ".txt";
  // The editor comes from the system folder by full path: the game folder, where
  // the search for a bare "notepad.exe" would begin, is no place to start programs from.
  platform::Ignore(
      os.StartProcess(os.SystemDirectory() + "\\notepad.exe", "notepad.exe " + Quoted(path), ""),
      "an editor that cannot be started changes nothing, and the dialog goes on");
}

void StartCompanionTool(platform::Os& os, const model::ProgramState& state) {
  if (IsProcessRunning(os, "Mienwerk.exe") != 0) return;
  const std::string folder = state.StartDirectory + model::paths::kCompanionFolder;
  const std::string tool = state.StartDirectory + model::paths::kCompanionTool;
  // Started in its own folder, as a shortcut to it would, so it finds its files.
  platform::Ignore(os.StartProcess(tool, Quoted(tool), folder),
                   "a missing tool greys its button at start; any other start failure changes nothing");
}

int IsProcessRunning(platform::Os& os, const std::string& name) {
  const std::optional<std::vector<platform::ProcessEntry>> processes = os.ProcessSnapshot();
  if (!processes) return 1;
  std::string list;
  for (const platform::ProcessEntry& process : *processes) {
    list += "ID: " + std::to_string(process.id) + "\tFile: " + process.exe_name + "\r\n";
  }
  return list.find(name) != std::string::npos ? 1 : 0;
}

}  // namespace veyra::dialog
