#include "dialog/confirmation.h"

#include "app/control_ids.h"
#include "config/settings_block.h"
#include "config/text_file.h"

namespace veyra::dialog {
namespace {

using namespace app;

struct CheckBoxSetting {
  int control;
  int SettingsState::*setting;
};

constexpr CheckBoxSetting kCheckBoxSettings[] = {
    {IDC_FILMIC, &SettingsState::FilmicTonemapping},
    {IDC_FXAA, &SettingsState::Fxaa},
    {IDC_SHARPEN, &SettingsState::Sharpen},
    {IDC_SHARPEN_STRONGER, &SettingsState::SharpenStronger},
    {IDC_SHARPEN_STRONGEST, &SettingsState::SharpenStrongest},
    {IDC_UNCHARTED, &SettingsState::UnchartedTonemapping},
    {IDC_UNCHARTED_STRONGER, &SettingsState::UnchartedStronger},
    {IDC_UNCHARTED_STRONGEST, &SettingsState::UnchartedStrongest},
    {IDC_HPD, &SettingsState::HpdTonemapping},
    {IDC_HPD_STRONGER, &SettingsState::HpdStronger},
    {IDC_HPD_STRONGEST, &SettingsState::HpdStrongest},
    {IDC_DOF, &SettingsState::DepthOfField},
    {IDC_DOF_CHROMATIC, &SettingsState::DofChromatic},
    {IDC_DOF_STRONGER, &SettingsState::DofStronger},
    {IDC_FILMGRAIN, &SettingsState::FilmGrain},
    {IDC_PRELOAD_NPC, &SettingsState::PreloadNpcResources},
    {IDC_PRELOAD_OTHER, &SettingsState::PreloadOtherResources},
    {IDC_PARTICLES, &SettingsState::EnhancedParticles},
    {IDC_BLOOM, &SettingsState::EnhancedBloom},
    {IDC_COAST_NIGHT, &SettingsState::CoastNight},
    {IDC_VEYRA_SKILL, &SettingsState::VeyraSkill},
    {IDC_VIGNETTE, &SettingsState::Vignette},
    {IDC_SSAO, &SettingsState::Ssao},
    {IDC_GAUSS_BLUR, &SettingsState::GaussBlur},
    {IDC_GAUSS_HORIZONTAL, &SettingsState::GaussBlurHorizontal},
    {IDC_FILM_NOIR, &SettingsState::FilmNoir},
    {IDC_SUNRAYS, &SettingsState::Sunrays},
    {IDC_HEADBOB, &SettingsState::Headbob},
    {IDC_SWEETFX, &SettingsState::SweetFx},
    {IDC_RECOIL, &SettingsState::WeaponRecoil},
    {IDC_HEV_GLASS, &SettingsState::HevGlass},
    {IDC_RESHADE, &SettingsState::ReShade},
    {IDC_HIDE_CROSSHAIR, &SettingsState::HideCrosshair},
    {IDC_VEYRA_WEAPONS, &SettingsState::VeyraWeapons},
    {IDC_ANAMORPH_FLARES, &SettingsState::AnamorphFlares},
    {IDC_LARGE_VRAM, &SettingsState::LargeVramMode},
};

constexpr const char* kConsoleScripts[] = {
    "\\VYhl2\\cfg\\autoexec.cfg",
    "\\VYepisodic\\cfg\\autoexec.cfg",
    "\\VYep2\\cfg\\autoexec.cfg",
};

}  // namespace

void CaptureSettings(platform::DialogControls& dialog, SettingsState& settings) {
  for (const CheckBoxSetting& entry : kCheckBoxSettings) {
    settings.*entry.setting = dialog.IsChecked(entry.control) ? 1 : 0;
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
