#include "dialog/control_rules.h"

#include <string_view>

#include "model/control_ids.h"

namespace veyra::dialog {
namespace {

using namespace model;

// ------------------------------------------------------------ click reactions

using platform::Check;
using platform::ControlChanges;
using platform::Disable;
using platform::Enable;
using platform::Select;
using platform::Uncheck;

// The first item whose whole text is `name`, or 0.
int FindItem(platform::DialogControls& dialog, int list, std::string_view name) {
  const int count = dialog.ItemCount(list);
  for (int item = 1; item <= count; ++item) {
    if (dialog.ItemText(list, item) == name) return item;
  }
  return 0;
}

void SelectFirstSunraysLevelIfNone(platform::DialogControls& dialog) {
  if (dialog.Selection(IDC_SUNRAYS_LEVEL) == 0) dialog.Select(IDC_SUNRAYS_LEVEL, 1);
}

// A list without a selection selects the preset "Default", or else its first item.
void SelectDefaultPresetIfNone(platform::DialogControls& dialog) {
  if (dialog.Selection(IDC_SWEETFX_PRESET) != 0) return;
  const int found = FindItem(dialog, IDC_SWEETFX_PRESET, "Default");
  dialog.Select(IDC_SWEETFX_PRESET, found != 0 ? found : 1);
}

// The changes a click makes for the box's new state; a choice that depends on
// a list's items follows them.
struct Reaction {
  int clicked;
  ControlChanges when_checked;
  ControlChanges when_unchecked;
  void (*then_when_checked)(platform::DialogControls&) = nullptr;
  void (*then_when_unchecked)(platform::DialogControls&) = nullptr;
};

// One row for every check box, also for those whose click changes nothing else.
const Reaction kReactions[] = {
    {IDC_VEYRA_WEAPONS,
     {Enable(IDC_RECOIL), Enable(IDC_HIDE_CROSSHAIR)},
     {Disable(IDC_RECOIL), Disable(IDC_HIDE_CROSSHAIR)}},
    {IDC_BLOOM, {Enable(IDC_BLOOM_LEVEL)}, {Disable(IDC_BLOOM_LEVEL)}},
    {.clicked = IDC_SUNRAYS,
     .when_checked = {Enable(IDC_SUNRAYS_LEVEL)},
     .when_unchecked = {Disable(IDC_SUNRAYS_LEVEL)},
     .then_when_checked = SelectFirstSunraysLevelIfNone},
    {IDC_GAUSS_BLUR, {Enable(IDC_GAUSS_HORIZONTAL)}, {Disable(IDC_GAUSS_HORIZONTAL)}},
    {IDC_DOF,
     {Enable(IDC_DOF_CHROMATIC), Enable(IDC_DOF_STRONGER)},
     {Disable(IDC_DOF_CHROMATIC), Disable(IDC_DOF_STRONGER)}},
    {IDC_DOF_CHROMATIC, {Enable(IDC_DOF_STRONGER)}, {Disable(IDC_DOF_STRONGER)}},
    {IDC_DOF_STRONGER, {Check(IDC_DOF_CHROMATIC)}, {}},
    {IDC_HPD,
     {Uncheck(IDC_UNCHARTED), Disable(IDC_UNCHARTED_STRONGER), Disable(IDC_UNCHARTED_STRONGEST),
      Enable(IDC_HPD_STRONGER), Enable(IDC_HPD_STRONGEST)},
     {Disable(IDC_HPD_STRONGER), Disable(IDC_HPD_STRONGEST)}},
    {IDC_UNCHARTED,
     {Enable(IDC_UNCHARTED_STRONGER), Enable(IDC_UNCHARTED_STRONGEST), Uncheck(IDC_HPD),
      Disable(IDC_HPD_STRONGER), Disable(IDC_HPD_STRONGEST)},
     {Disable(IDC_UNCHARTED_STRONGER), Disable(IDC_UNCHARTED_STRONGEST)}},
    {IDC_SHARPEN,
     {Enable(IDC_SHARPEN_STRONGER), Enable(IDC_SHARPEN_STRONGEST)},
     {Disable(IDC_SHARPEN_STRONGER), Disable(IDC_SHARPEN_STRONGEST)}},
    {IDC_HPD_STRONGER, {Uncheck(IDC_HPD_STRONGEST)}, {}},
    {IDC_HPD_STRONGEST, {Uncheck(IDC_HPD_STRONGER)}, {}},
    {IDC_UNCHARTED_STRONGER, {Uncheck(IDC_UNCHARTED_STRONGEST)}, {}},
    {IDC_UNCHARTED_STRONGEST, {Uncheck(IDC_UNCHARTED_STRONGER)}, {}},
    {IDC_SHARPEN_STRONGER, {Uncheck(IDC_SHARPEN_STRONGEST)}, {}},
    {IDC_SHARPEN_STRONGEST, {Uncheck(IDC_SHARPEN_STRONGER)}, {}},
    {.clicked = IDC_SWEETFX,
     .when_checked = {Enable(IDC_SWEETFX_PRESET), Enable(IDC_PRESET_EDIT), Uncheck(IDC_RESHADE)},
     .when_unchecked = {Disable(IDC_SWEETFX_PRESET), Disable(IDC_PRESET_EDIT)},
     .then_when_checked = SelectDefaultPresetIfNone,
     .then_when_unchecked = SelectDefaultPresetIfNone},
    {IDC_RESHADE,
     {Uncheck(IDC_SWEETFX), Disable(IDC_PRESET_EDIT), Disable(IDC_SWEETFX_PRESET),
      Select(IDC_BLOOM_LEVEL, 6)},
     {Enable(IDC_SWEETFX), Enable(IDC_SWEETFX_PRESET), Enable(IDC_PRESET_EDIT)}},
    {IDC_FXAA, {}, {}},
    {IDC_HEADBOB, {}, {}},
    {IDC_FILMIC, {}, {}},
    {IDC_SSAO, {}, {}},
    {IDC_FILMGRAIN, {}, {}},
    {IDC_LARGE_VRAM, {}, {}},
    {IDC_GAUSS_HORIZONTAL, {}, {}},
    {IDC_HIDE_CROSSHAIR, {}, {}},
    {IDC_RECOIL, {}, {}},
    {IDC_FILM_NOIR, {}, {}},
    {IDC_VIGNETTE, {}, {}},
    {IDC_VEYRA_SKILL, {}, {}},
    {IDC_COAST_NIGHT, {}, {}},
    {IDC_PRELOAD_NPC, {}, {}},
    {IDC_PRELOAD_OTHER, {}, {}},
    {IDC_PARTICLES, {}, {}},
    {IDC_ANAMORPH_FLARES, {}, {}},
    {IDC_HEV_GLASS, {}, {}},
};

// ------------------------------------------------------------ preset buttons

constexpr int kKeep = -1;          // the button leaves this property alone
constexpr int kPresetChoice = -2;  // select the recommended SweetFX preset

struct Cell {
  int checked = kKeep;  // 1 checked, 0 unchecked
  int enabled = kKeep;  // 1 enabled, 0 disabled
  int item = kKeep;     // item to select, or kPresetChoice
};

struct PresetRow {
  int control;
  Cell recommended, recommended2, maximum_valve;
};

constexpr Cell kOn{1}, kOff{0}, kOnEnabled{1, 1}, kOffEnabled{0, 1}, kOffDisabled{0, 0};
constexpr Cell kDisabledKeepCheck{kKeep, 0}, kLeftAlone{};

// One row for every check box, also for those the buttons leave alone.
const PresetRow kPresetRows[] = {
    {IDC_VEYRA_WEAPONS, kOn, kOn, kOff},
    {IDC_RECOIL, kOnEnabled, kOnEnabled, kOffDisabled},
    {IDC_HIDE_CROSSHAIR, kOffEnabled, kOffEnabled, kOffDisabled},
    {IDC_COAST_NIGHT, kOn, kOn, kOff},
    {IDC_VEYRA_SKILL, kOn, kOn, kOff},
    {IDC_HEADBOB, kOn, kOn, kOn},
    {IDC_LARGE_VRAM, kLeftAlone, kLeftAlone, kLeftAlone},
    {IDC_PRELOAD_NPC, kOff, kOff, kOff},
    {IDC_PRELOAD_OTHER, kOff, kOff, kOff},
    {IDC_BLOOM, kOn, kOn, kOff},
    {IDC_BLOOM_LEVEL, {kKeep, 1, 7}, {kKeep, 1, 7}, {kKeep, 0, 2}},
    {IDC_ANAMORPH_FLARES, kOn, kOn, kOff},
    {IDC_VIGNETTE, kOff, kOff, kOff},
    {IDC_SUNRAYS, kOff, kOff, kOff},
    {IDC_SUNRAYS_LEVEL, {kKeep, 0, 2}, {kKeep, 0, 2}, kDisabledKeepCheck},
    {IDC_HEV_GLASS, kOff, kOff, kOff},
    {IDC_FILMGRAIN, kOff, kOff, kOff},
    {IDC_SSAO, kOff, kOff, kOff},
    {IDC_HPD, kOn, kOff, kOff},
    {IDC_HPD_STRONGER, kOnEnabled, kOffDisabled, kOffDisabled},
    {IDC_HPD_STRONGEST, kOffEnabled, kOffDisabled, kOffDisabled},
    {IDC_UNCHARTED, kOff, kOff, kOff},
    {IDC_UNCHARTED_STRONGER, kOffDisabled, kOffDisabled, kOffDisabled},
    {IDC_UNCHARTED_STRONGEST, kOffDisabled, kOffDisabled, kOffDisabled},
    {IDC_SHARPEN, kOn, kOn, kOff},
    {IDC_SHARPEN_STRONGER, kOffEnabled, kOffEnabled, kOffDisabled},
    {IDC_SHARPEN_STRONGEST, kOff, kOff, kOff},
    {IDC_FILMIC, kOff, kOn, kOff},
    {IDC_FILM_NOIR, kOff, kOff, kOff},
    {IDC_GAUSS_BLUR, kOff, kOff, kOff},
    {IDC_GAUSS_HORIZONTAL, kDisabledKeepCheck, kDisabledKeepCheck, kDisabledKeepCheck},
    {IDC_DOF, kOn, kOn, kOff},
    {IDC_DOF_CHROMATIC, kOnEnabled, kOnEnabled, kOffDisabled},
    {IDC_DOF_STRONGER, kOffEnabled, kOffEnabled, kOffDisabled},
    {IDC_PARTICLES, kOn, kOn, kOff},
    {IDC_FXAA, kLeftAlone, kLeftAlone, kLeftAlone},
    {IDC_SWEETFX, kOff, kOff, kOffEnabled},
    {IDC_SWEETFX_PRESET, {kKeep, 0, kPresetChoice}, {kKeep, 0, kPresetChoice}, kDisabledKeepCheck},
    {IDC_PRESET_EDIT, kDisabledKeepCheck, kDisabledKeepCheck, kDisabledKeepCheck},
    {IDC_RESHADE, kOff, kOff, kOff},
};

// The recommendation buttons' preset: "(NoSMAA)Default_Desaturated", or else item 1.
void RecommendedPresetChoice(platform::DialogControls& dialog) {
  const int found = FindItem(dialog, IDC_SWEETFX_PRESET, "(NoSMAA)Default_Desaturated");
  dialog.Select(IDC_SWEETFX_PRESET, found != 0 ? found : 1);
}

void ApplyCell(platform::DialogControls& dialog, int control, const Cell& cell) {
  if (cell.checked != kKeep) dialog.SetChecked(control, cell.checked == 1);
  if (cell.enabled != kKeep) dialog.SetEnabled(control, cell.enabled == 1);
  if (cell.item == kPresetChoice) {
    RecommendedPresetChoice(dialog);
  } else if (cell.item != kKeep) {
    dialog.Select(control, cell.item);
  }
}

}  // namespace

void ReactToCheckBoxClick(platform::DialogControls& dialog, int control) {
  for (const Reaction& reaction : kReactions) {
    if (reaction.clicked != control) continue;
    const bool checked = dialog.IsChecked(control);
    platform::Apply(dialog, checked ? reaction.when_checked : reaction.when_unchecked);
    if (const auto then = checked ? reaction.then_when_checked : reaction.then_when_unchecked) {
      then(dialog);
    }
    return;
  }
}

bool ApplyPresetButton(platform::DialogControls& dialog, int button) {
  const Cell PresetRow::*column = button == IDC_RECOMMENDED    ? &PresetRow::recommended
                                  : button == IDC_RECOMMENDED2 ? &PresetRow::recommended2
                                  : button == IDC_MAXIMUM_VALVE ? &PresetRow::maximum_valve
                                                                : nullptr;
  if (!column) return false;
  for (const PresetRow& row : kPresetRows) ApplyCell(dialog, row.control, row.*column);
  return true;
}

std::vector<int> ControlsOfReactionRows() {
  std::vector<int> controls;
  for (const Reaction& reaction : kReactions) controls.push_back(reaction.clicked);
  return controls;
}

std::vector<int> ControlsOfPresetRows() {
  std::vector<int> controls;
  for (const PresetRow& row : kPresetRows) controls.push_back(row.control);
  return controls;
}

}  // namespace veyra::dialog
