#include "app/cut_short_steps.h"

#include <algorithm>

#include "backups/backup_set.h"
#include "backups/sets.h"
#include "config/durable_file.h"
#include "config/text_file.h"
#include "model/control_ids.h"
#include "model/options.h"

namespace veyra::app {

using namespace model;
namespace {

// What each option on the list is marked by: its flag's name in the file,
// and what the detection shows for it.
struct CutShortOption {
  int control;
  int InstalledState::*installed;  // null: its step runs at every OK
  platform::ControlChanges not_installed = {};  // the controls as the detection leaves them then
};

const CutShortOption kOptions[] = {
    {IDC_VEYRA_WEAPONS, &InstalledState::VeyraWeaponsInstalled,
     {platform::Disable(IDC_RECOIL), platform::Disable(IDC_HIDE_CROSSHAIR)}},
    {IDC_ANAMORPH_FLARES, &InstalledState::AnamorphFlaresInstalled},
    {IDC_VEYRA_SKILL, &InstalledState::VeyraSkillInstalled},
    {IDC_COAST_NIGHT, &InstalledState::CoastNightInstalled},
    {IDC_SWEETFX, nullptr,
     {platform::Disable(IDC_SWEETFX_PRESET), platform::Disable(IDC_PRESET_EDIT)}},
    {IDC_RESHADE, &InstalledState::ReShadeInstalled},
};

const CheckBoxOption* RowOf(int control) {
  for (const CheckBoxOption& option : CheckBoxOptions()) {
    if (option.control == control) return &option;
  }
  return nullptr;
}

constexpr std::string_view kSetTag = "set";

// The list's lines: "set\tNAME" for each set, then each option's flag name.
struct CutShortList {
  std::vector<std::string> sets;
  std::vector<int> controls;
};

CutShortList ReadList(platform::Os& os, const std::string& game_folder) {
  CutShortList list;
  const std::string path = CutShortFile(game_folder);
  if (!config::FileExists(os, path)) return list;
  platform::SystemError code = platform::error::kSuccess;
  const std::unique_ptr<platform::OpenFile> file =
      os.Open(path, platform::FileAccess::kReadOnly, code);
  std::string text;
  if (!file || file->ReadAll(text) != platform::error::kSuccess) return list;
  for (const std::vector<std::string_view>& line : backups::TabbedLines(text)) {
    if (line.size() == 2 && line[0] == kSetTag) {
      list.sets.emplace_back(line[1]);
      continue;
    }
    for (const CutShortOption& option : kOptions) {
      if (line.size() == 1 && line[0] == RowOf(option.control)->name) {
        list.controls.push_back(option.control);
      }
    }
  }
  return list;
}

}  // namespace

std::string CutShortFile(const std::string& game_folder) {
  return backups::BackupsFolder(game_folder) + "\\cut short.txt";
}

platform::Result MarkCutShort(platform::Os& os, const std::string& game_folder,
                              const std::string& set_name, const std::vector<int>& controls) {
  CutShortList list = ReadList(os, game_folder);
  list.sets.push_back(set_name);
  list.controls.insert(list.controls.end(), controls.begin(), controls.end());
  std::string text;
  for (const std::string& set : list.sets) text += std::string(kSetTag) + "\t" + set + "\r\n";
  for (const CutShortOption& option : kOptions) {
    if (std::find(list.controls.begin(), list.controls.end(), option.control) !=
        list.controls.end()) {
      text += std::string(RowOf(option.control)->name) + "\r\n";
    }
  }
  return config::WriteDurably(os, CutShortFile(game_folder), config::BytesWriter(text));
}

std::vector<int> CutShortOptions(platform::Os& os, const std::string& game_folder) {
  return ReadList(os, game_folder).controls;
}

bool CutShortOnlyIn(platform::Os& os, const std::string& game_folder,
                    const std::string& set_name) {
  const std::vector<std::string> sets = ReadList(os, game_folder).sets;
  return !sets.empty() && std::all_of(sets.begin(), sets.end(),
                                      [&](const std::string& set) { return set == set_name; });
}

void ClearCutShort(platform::Os& os, const std::string& game_folder) {
  const std::string path = CutShortFile(game_folder);
  if (!config::FileExists(os, path)) return;
  platform::Ignore(os.Delete(path),
                   "a list left behind only has its steps run in full once more");
}

void ShowCutShortSteps(platform::Os& os, ProgramState& state, platform::DialogControls& dialog) {
  for (const int control : CutShortOptions(os, state.BasePath)) {
    const auto option = std::find_if(std::begin(kOptions), std::end(kOptions),
                                     [&](const CutShortOption& o) { return o.control == control; });
    dialog.SetChecked(control, false);
    platform::Apply(dialog, option->not_installed);
    state.Settings.*RowOf(control)->flag = 0;
    if (option->installed) state.Installed.*option->installed = kCutShort;
  }
}

}  // namespace veyra::app
