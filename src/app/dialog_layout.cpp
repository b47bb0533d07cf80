#include "app/dialog_layout.h"

#include "model/control_ids.h"

namespace veyra::app {

using namespace model;
namespace {

using K = platform::ControlKind;

// In creation order, which is also the tab order. Texts left empty here are
// set in the interface language before the dialog is shown.
constexpr platform::ControlLayout kControls[] = {
    {IDC_OK, "IDC_OK", K::kPushButton, 423, 305, 85, 20, "OK", false},
    {IDC_CANCEL, "IDC_CANCEL", K::kPushButton, 513, 305, 85, 20, "", false},
    {IDC_FRAME_ENGINE, "IDC_FRAME_ENGINE", K::kFrame, 3, 160, 295, 115, "", false},
    {IDC_PRELOAD_NPC, "IDC_PRELOAD_NPC", K::kCheckBox, 13, 200, 270, 15, "", false},
    {IDC_PRELOAD_NPC_TEXT, "IDC_PRELOAD_NPC_TEXT", K::kLabel, 13, 215, 280, 20, "", true},
    {IDC_PRELOAD_OTHER, "IDC_PRELOAD_OTHER", K::kCheckBox, 13, 235, 270, 15, "", false},
    {IDC_PRELOAD_OTHER_TEXT, "IDC_PRELOAD_OTHER_TEXT", K::kLabel, 13, 250, 280, 20, "", true},
    {IDC_FRAME_GRAPHICS, "IDC_FRAME_GRAPHICS", K::kFrame, 303, 5, 295, 295, "", false},
    {IDC_ANAMORPH_FLARES, "IDC_ANAMORPH_FLARES", K::kCheckBox, 313, 35, 145, 14, "", false},
    {IDC_PARTICLES, "IDC_PARTICLES", K::kCheckBox, 313, 230, 135, 15, "", false},
    {IDC_BLOOM, "IDC_BLOOM", K::kCheckBox, 313, 18, 110, 16, "", false},
    {IDC_BLOOM_LEVEL, "IDC_BLOOM_LEVEL", K::kDropDownList, 423, 20, 120, 80, "", false},
    {IDC_MIENWERK, "IDC_MIENWERK", K::kFlatBorderButton, 233, 280, 65, 20, "Mienwerk", false},
    {IDC_VEYRA_WEAPONS, "IDC_VEYRA_WEAPONS", K::kCheckBox, 13, 15, 160, 14, "", false},
    {IDC_VEYRA_WEAPONS_TEXT, "IDC_VEYRA_WEAPONS_TEXT", K::kLabel, 13, 30, 280, 25, "", true},
    {IDC_MAXIMUM_VALVE, "IDC_MAXIMUM_VALVE", K::kFlatButton, 148, 280, 65, 20, "Maximum VALVE",
     false},
    {IDC_RECOMMENDED, "IDC_RECOMMENDED", K::kFlatButton, 8, 280, 65, 20, "", false},
    {IDC_FRAME_GAME, "IDC_FRAME_GAME", K::kFrame, 3, 5, 295, 150, "Game Settings", false},
    {IDC_VEYRA_SKILL, "IDC_VEYRA_SKILL", K::kCheckBox, 13, 85, 250, 14, "", false},
    {IDC_VEYRA_SKILL_TEXT, "IDC_VEYRA_SKILL_TEXT", K::kLabel, 13, 100, 280, 25, "", true},
    {IDC_VIGNETTE, "IDC_VIGNETTE", K::kCheckBox, 313, 50, 145, 14, "", false},
    {IDC_SUNRAYS, "IDC_SUNRAYS", K::kCheckBox, 313, 65, 105, 14, "", false},
    {IDC_HEV_GLASS, "IDC_HEV_GLASS", K::kCheckBox, 313, 80, 140, 14, "", false},
    {IDC_RECOIL, "IDC_RECOIL", K::kCheckBox, 13, 138, 250, 14, "", false},
    {IDC_FILM_NOIR, "IDC_FILM_NOIR", K::kCheckBox, 313, 185, 145, 14, "", false},
    {IDC_SUNRAYS_LEVEL, "IDC_SUNRAYS_LEVEL", K::kDropDownList, 423, 65, 120, 80, "", false},
    {IDC_SWEETFX, "IDC_SWEETFX", K::kCheckBox, 313, 260, 105, 14, "", false},
    {IDC_HEADBOB, "IDC_HEADBOB", K::kCheckBox, 13, 123, 115, 14, "", false},
    {IDC_SWEETFX_PRESET, "IDC_SWEETFX_PRESET", K::kDropDownList, 418, 260, 155, 80, "", false},
    {IDC_PRESET_EDIT, "IDC_PRESET_EDIT", K::kPushButton, 578, 260, 15, 12, "!", false},
    {IDC_HIDE_CROSSHAIR, "IDC_HIDE_CROSSHAIR", K::kCheckBox, 188, 15, 105, 14, "", false},
    {IDC_GAUSS_BLUR, "IDC_GAUSS_BLUR", K::kCheckBox, 313, 200, 110, 14, "", false},
    {IDC_GAUSS_HORIZONTAL, "IDC_GAUSS_HORIZONTAL", K::kCheckBox, 423, 200, 110, 14, "", false},
    {IDC_LARGE_VRAM, "IDC_LARGE_VRAM", K::kCheckBox, 13, 171, 250, 14, "", false},
    {IDC_LARGE_VRAM_TEXT, "IDC_LARGE_VRAM_TEXT", K::kLabel, 13, 185, 280, 15, "", true},
    {IDC_DOF, "IDC_DOF", K::kCheckBox, 313, 215, 110, 14, "", false},
    {IDC_FILMGRAIN, "IDC_FILMGRAIN", K::kCheckBox, 313, 95, 140, 16, "", false},
    {IDC_DOF_CHROMATIC, "IDC_DOF_CHROMATIC", K::kCheckBox, 423, 215, 95, 14, "", false},
    {IDC_DOF_STRONGER, "IDC_DOF_STRONGER", K::kCheckBox, 523, 215, 60, 14, "", false},
    {IDC_SSAO, "IDC_SSAO", K::kCheckBox, 313, 109, 140, 15, "", false},
    {IDC_RESHADE, "IDC_RESHADE", K::kCheckBox, 313, 275, 260, 14, "", false},
    {IDC_COAST_NIGHT, "IDC_COAST_NIGHT", K::kCheckBox, 13, 51, 250, 14, "", false},
    {IDC_COAST_NIGHT_TEXT, "IDC_COAST_NIGHT_TEXT", K::kLabel, 13, 65, 280, 20, "", true},
    {IDC_UNCHARTED, "IDC_UNCHARTED", K::kCheckBox, 313, 140, 130, 14, "", false},
    {IDC_SHARPEN, "IDC_SHARPEN", K::kCheckBox, 313, 155, 135, 14, "", false},
    {IDC_FILMIC, "IDC_FILMIC", K::kCheckBox, 313, 170, 140, 14, "", false},
    {IDC_UNCHARTED_STRONGER, "IDC_UNCHARTED_STRONGER", K::kCheckBox, 448, 140, 60, 14, "", false},
    {IDC_UNCHARTED_STRONGEST, "IDC_UNCHARTED_STRONGEST", K::kCheckBox, 513, 140, 60, 14, "", false},
    {IDC_RULE_1107, "IDC_RULE_1107", K::kFrame, 308, 135, 280, 20, "", false},
    {IDC_RULE_1109, "IDC_RULE_1109", K::kFrame, 308, 210, 280, 20, "", false},
    {IDC_RULE_1110, "IDC_RULE_1110", K::kFrame, 308, 195, 280, 20, "", false},
    {IDC_SHARPEN_STRONGER, "IDC_SHARPEN_STRONGER", K::kCheckBox, 448, 155, 60, 14, "", false},
    {IDC_RULE_1112, "IDC_RULE_1112", K::kFrame, 308, 150, 280, 20, "", false},
    {IDC_FXAA, "IDC_FXAA", K::kCheckBox, 313, 245, 105, 15, "FXAA Antialiasing", false},
    {IDC_RECOMMENDED2, "IDC_RECOMMENDED2", K::kFlatButton, 78, 280, 65, 20, "", false},
    {IDC_RULE_1115, "IDC_RULE_1115", K::kFrame, 308, 120, 280, 20, "", false},
    {IDC_HPD, "IDC_HPD", K::kCheckBox, 313, 125, 130, 14, "", false},
    {IDC_HPD_STRONGER, "IDC_HPD_STRONGER", K::kCheckBox, 448, 125, 60, 14, "", false},
    {IDC_HPD_STRONGEST, "IDC_HPD_STRONGEST", K::kCheckBox, 513, 125, 60, 14, "", false},
    {IDC_SHARPEN_STRONGEST, "IDC_SHARPEN_STRONGEST", K::kCheckBox, 513, 155, 60, 14, "", false},
    {IDC_UNDO, "IDC_UNDO", K::kPushButton, 313, 305, 100, 20, "", false},
};
static_assert(sizeof(kControls) / sizeof(kControls[0]) == 61);

constexpr platform::DialogLayout kSettingsDialog = {
    "Configurator", 601, 329, "MS Sans Serif", 8, kControls,
};

}  // namespace

const platform::DialogLayout& SettingsDialogLayout() { return kSettingsDialog; }

const char* const kProvisionalBloomItems[8] = {
    "slightly", "moderate (Recommended 1)", "strong", "very strong", "extreme",
    "dreamy", "dreamy 2 (Recommended 2)", "dreamy 3 (Recommended 3)",
};

const char* const kProvisionalSunraysItems[2] = {"moderate", "strong"};

}  // namespace veyra::app
