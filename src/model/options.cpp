#include "model/options.h"

#include "model/control_ids.h"

namespace veyra::model {
namespace {

using S = SettingsState;

constexpr CheckBoxOption kCheckBoxOptions[] = {
    {IDC_FILMIC, &S::FilmicTonemapping, true},
    {IDC_FXAA, &S::Fxaa, true},
    {IDC_SHARPEN, &S::Sharpen, true},
    {IDC_SHARPEN_STRONGER, &S::SharpenStronger, true},
    {IDC_SHARPEN_STRONGEST, &S::SharpenStrongest, true},
    {IDC_UNCHARTED, &S::UnchartedTonemapping, true},
    {IDC_UNCHARTED_STRONGER, &S::UnchartedStronger, true},
    {IDC_UNCHARTED_STRONGEST, &S::UnchartedStrongest, true},
    {IDC_HPD, &S::HpdTonemapping, true},
    {IDC_HPD_STRONGER, &S::HpdStronger, true},
    {IDC_HPD_STRONGEST, &S::HpdStrongest, true},
    {IDC_DOF, &S::DepthOfField, true},
    {IDC_DOF_CHROMATIC, &S::DofChromatic, true},
    {IDC_DOF_STRONGER, &S::DofStronger, true},
    {IDC_FILMGRAIN, &S::FilmGrain, true},
    {IDC_PRELOAD_NPC, &S::PreloadNpcResources, true},
    {IDC_PRELOAD_OTHER, &S::PreloadOtherResources, true},
    {IDC_PARTICLES, &S::EnhancedParticles, true},
    {IDC_BLOOM, &S::EnhancedBloom, true},
    {IDC_COAST_NIGHT, &S::CoastNight, false},
    {IDC_VEYRA_SKILL, &S::VeyraSkill, false},
    {IDC_VIGNETTE, &S::Vignette, true},
    {IDC_SSAO, &S::Ssao, true},
    {IDC_GAUSS_BLUR, &S::GaussBlur, true},
    {IDC_GAUSS_HORIZONTAL, &S::GaussBlurHorizontal, false},
    {IDC_FILM_NOIR, &S::FilmNoir, true},
    {IDC_SUNRAYS, &S::Sunrays, false},
    {IDC_HEADBOB, &S::Headbob, true},
    {IDC_SWEETFX, &S::SweetFx, true},
    {IDC_RECOIL, &S::WeaponRecoil, true},
    {IDC_HEV_GLASS, &S::HevGlass, true},
    {IDC_RESHADE, &S::ReShade, true},
    {IDC_HIDE_CROSSHAIR, &S::HideCrosshair, true},
    {IDC_VEYRA_WEAPONS, &S::VeyraWeapons, false},
    {IDC_ANAMORPH_FLARES, &S::AnamorphFlares, false},
    {IDC_LARGE_VRAM, &S::LargeVramMode, true},
};

}  // namespace

std::span<const CheckBoxOption> CheckBoxOptions() { return kCheckBoxOptions; }

}  // namespace veyra::model
