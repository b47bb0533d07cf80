#include "dialog/control_rules.h"

#include <initializer_list>
#include <string_view>

#include "model/control_ids.h"

namespace veyra::dialog {
namespace {

using namespace model;

// ------------------------------------------------------------ click reactions

enum class Step { kEnable, kDisable, kCheck, kUncheck, kSelect, kSelectFirstIfNone, kDefaultPreset };

struct Action {
  Step step;
  int control;
  int item = 0;  // for kSelect
};

struct Reaction {
  int clicked;
  std::initializer_list<Action> when_checked;
  std::initializer_list<Action> when_unchecked;
};

using S = Step;

const Reaction kReactions[] = {
    {IDC_VEYRA_WEAPONS,
     {{S::kEnable, IDC_RECOIL}, {S::kEnable, IDC_HIDE_CROSSHAIR}},
     {{S::kDisable, IDC_RECOIL}, {S::kDisable, IDC_HIDE_CROSSHAIR}}},
    {IDC_BLOOM, {{S::kEnable, IDC_BLOOM_LEVEL}}, {{S::kDisable, IDC_BLOOM_LEVEL}}},
    {IDC_SUNRAYS,
     {{S::kEnable, IDC_SUNRAYS_LEVEL}, {S::kSelectFirstIfNone, IDC_SUNRAYS_LEVEL}},
     {{S::kDisable, IDC_SUNRAYS_LEVEL}}},
    {IDC_GAUSS_BLUR, {{S::kEnable, IDC_GAUSS_HORIZONTAL}}, {{S::kDisable, IDC_GAUSS_HORIZONTAL}}},
    {IDC_DOF,
     {{S::kEnable, IDC_DOF_CHROMATIC}, {S::kEnable, IDC_DOF_STRONGER}},
     {{S::kDisable, IDC_DOF_CHROMATIC}, {S::kDisable, IDC_DOF_STRONGER}}},
    {IDC_DOF_CHROMATIC, {{S::kEnable, IDC_DOF_STRONGER}}, {{S::kDisable, IDC_DOF_STRONGER}}},
    {IDC_DOF_STRONGER, {{S::kCheck, IDC_DOF_CHROMATIC}}, {}},
    {IDC_HPD,
     {{S::kUncheck, IDC_UNCHARTED},
      {S::kDisable, IDC_UNCHARTED_STRONGER},
      {S::kDisable, IDC_UNCHARTED_STRONGEST},
      {S::kEnable, IDC_HPD_STRONGER},
      {S::kEnable, IDC_HPD_STRONGEST}},
     {{S::kDisable, IDC_HPD_STRONGER}, {S::kDisable, IDC_HPD_STRONGEST}}},
    {IDC_UNCHARTED,
     {{S::kEnable, IDC_UNCHARTED_STRONGER},
      {S::kEnable, IDC_UNCHARTED_STRONGEST},
      {S::kUncheck, IDC_HPD},
      {S::kDisable, IDC_HPD_STRONGER},
      {S::kDisable, IDC_HPD_STRONGEST}},
     {{S::kDisable, IDC_UNCHARTED_STRONGER}, {S::kDisable, IDC_UNCHARTED_STRONGEST}}},
    {IDC_SHARPEN,
     {{S::kEnable, IDC_SHARPEN_STRONGER}, {S::kEnable, IDC_SHARPEN_STRONGEST}},
     {{S::kDisable, IDC_SHARPEN_STRONGER}, {S::kDisable, IDC_SHARPEN_STRONGEST}}},
    {IDC_HPD_STRONGER, {{S::kUncheck, IDC_HPD_STRONGEST}}, {}},
    {IDC_HPD_STRONGEST, {{S::kUncheck, IDC_HPD_STRONGER}}, {}},
    {IDC_UNCHARTED_STRONGER, {{S::kUncheck, IDC_UNCHARTED_STRONGEST}}, {}},
    {IDC_UNCHARTED_STRONGEST, {{S::kUncheck, IDC_UNCHARTED_STRONGER}}, {}},
    {IDC_SHARPEN_STRONGER, {{S::kUncheck, IDC_SHARPEN_STRONGEST}}, {}},
    {IDC_SHARPEN_STRONGEST, {{S::kUncheck, IDC_SHARPEN_STRONGER}}, {}},
    {IDC_SWEETFX,
     {{S::kEnable, IDC_SWEETFX_PRESET},
      {S::kEnable, IDC_PRESET_EDIT},
      {S::kUncheck, IDC_RESHADE},
      {S::kDefaultPreset, IDC_SWEETFX_PRESET}},
     {{S::kDisable, IDC_SWEETFX_PRESET},
      {S::kDisable, IDC_PRESET_EDIT},
      {S::kDefaultPreset, IDC_SWEETFX_PRESET}}},
    {IDC_RESHADE,
     {{S::kUncheck, IDC_SWEETFX},
      {S::kDisable, IDC_PRESET_EDIT},
      {S::kDisable, IDC_SWEETFX_PRESET},
      {S::kSelect, IDC_BLOOM_LEVEL, 6}},
     {{S::kEnable, IDC_SWEETFX}, {S::kEnable, IDC_SWEETFX_PRESET}, {S::kEnable, IDC_PRESET_EDIT}}},
};

// The first item whose whole text is `name`, or 0.
int FindItem(platform::DialogControls& dialog, int list, std::string_view name) {
  const int count = dialog.ItemCount(list);
  for (int item = 1; item <= count; ++item) {
    if (dialog.ItemText(list, item) == name) return item;
  }
  return 0;
}

void Perform(platform::DialogControls& dialog, const Action& action) {
  switch (action.step) {
    case S::kEnable: dialog.SetEnabled(action.control, true); break;
    case S::kDisable: dialog.SetEnabled(action.control, false); break;
    case S::kCheck: dialog.SetChecked(action.control, true); break;
    case S::kUncheck: dialog.SetChecked(action.control, false); break;
    case S::kSelect: dialog.Select(action.control, action.item); break;
    case S::kSelectFirstIfNone:
      if (dialog.Selection(action.control) == 0) dialog.Select(action.control, 1);
      break;
    case S::kDefaultPreset: DefaultPresetChoice(dialog); break;
  }
}

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
constexpr Cell kDisabledKeepCheck{kKeep, 0};

const PresetRow kPresetRows[] = {
    {IDC_VEYRA_WEAPONS, kOn, kOn, kOff},
    {IDC_RECOIL, kOnEnabled, kOnEnabled, kOffDisabled},
    {IDC_HIDE_CROSSHAIR, kOffEnabled, kOffEnabled, kOffDisabled},
    {IDC_COAST_NIGHT, kOn, kOn, kOff},
    {IDC_VEYRA_SKILL, kOn, kOn, kOff},
    {IDC_HEADBOB, kOn, kOn, kOn},
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

bool ReactToCheckBoxClick(platform::DialogControls& dialog, int control) {
  for (const Reaction& reaction : kReactions) {
    if (reaction.clicked != control) continue;
    const auto& actions =
        dialog.IsChecked(control) ? reaction.when_checked : reaction.when_unchecked;
    for (const Action& action : actions) Perform(dialog, action);
    return true;
  }
  return false;
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

void DefaultPresetChoice(platform::DialogControls& dialog) {
  if (dialog.Selection(IDC_SWEETFX_PRESET) != 0) return;
  const int found = FindItem(dialog, IDC_SWEETFX_PRESET, "Default");
  dialog.Select(IDC_SWEETFX_PRESET, found != 0 ? found : 1);
}

}  // namespace veyra::dialog
