#include "model/options.h"

#include "model/control_ids.h"

namespace veyra::model {
namespace {

using S = SettingsState;
using enum Taken;
using enum Use;

constexpr CheckBoxOption kCheckBoxOptions[] = {
    {IDC_FILMIC, &S::FilmicTonemapping, kAtStart, kBlock},
    {IDC_FXAA, &S::Fxaa, kAtStart, kBlockAndApplyPhase},
    {IDC_SHARPEN, &S::Sharpen, kAtStart, kBlock},
    {IDC_SHARPEN_STRONGER, &S::SharpenStronger, kAtStart, kBlock},
    {IDC_SHARPEN_STRONGEST, &S::SharpenStrongest, kAtStart, kBlock},
    {IDC_UNCHARTED, &S::UnchartedTonemapping, kAtStart, kBlock},
    {IDC_UNCHARTED_STRONGER, &S::UnchartedStronger, kAtStart, kBlock},
    {IDC_UNCHARTED_STRONGEST, &S::UnchartedStrongest, kAtStart, kBlock},
    {IDC_HPD, &S::HpdTonemapping, kAtStart, kBlock},
    {IDC_HPD_STRONGER, &S::HpdStronger, kAtStart, kBlock},
    {IDC_HPD_STRONGEST, &S::HpdStrongest, kAtStart, kBlock},
    {IDC_DOF, &S::DepthOfField, kAtStart, kBlock},
    {IDC_DOF_CHROMATIC, &S::DofChromatic, kAtStart, kBlock},
    {IDC_DOF_STRONGER, &S::DofStronger, kAtStart, kBlock},
    {IDC_FILMGRAIN, &S::FilmGrain, kAtStart, kBlock},
    {IDC_PRELOAD_NPC, &S::PreloadNpcResources, kAtStart, kBlock},
    {IDC_PRELOAD_OTHER, &S::PreloadOtherResources, kAtStart, kBlock},
    {IDC_PARTICLES, &S::EnhancedParticles, kAtStart, kBlock},
    {IDC_BLOOM, &S::EnhancedBloom, kAtStart, kBlock},
    {IDC_COAST_NIGHT, &S::CoastNight, kOnConfirmation, kApplyPhase},
    {IDC_VEYRA_SKILL, &S::VeyraSkill, kOnConfirmation, kApplyPhase},
    {IDC_VIGNETTE, &S::Vignette, kAtStart, kBlock},
    {IDC_SSAO, &S::Ssao, kAtStart, kBlock},
    {IDC_GAUSS_BLUR, &S::GaussBlur, kAtStart, kBlock},
    {IDC_GAUSS_HORIZONTAL, &S::GaussBlurHorizontal, kOnConfirmation, kBlock},
    {IDC_FILM_NOIR, &S::FilmNoir, kAtStart, kBlock},
    {IDC_SUNRAYS, &S::Sunrays, kOnConfirmation, kApplyPhase},
    {IDC_HEADBOB, &S::Headbob, kAtStart, kBlock},
    {IDC_SWEETFX, &S::SweetFx, kAtStart, kBlockAndApplyPhase},
    {IDC_RECOIL, &S::WeaponRecoil, kAtStart, kBlock},
    {IDC_HEV_GLASS, &S::HevGlass, kAtStart, kBlock},
    {IDC_RESHADE, &S::ReShade, kAtStart, kApplyPhase},
    {IDC_HIDE_CROSSHAIR, &S::HideCrosshair, kAtStart, kBlock},
    {IDC_VEYRA_WEAPONS, &S::VeyraWeapons, kOnConfirmation, kBlockAndApplyPhase},
    {IDC_ANAMORPH_FLARES, &S::AnamorphFlares, kOnConfirmation, kApplyPhase},
    {IDC_LARGE_VRAM, &S::LargeVramMode, kAtStart, kBlock},
};

}  // namespace

std::span<const CheckBoxOption> CheckBoxOptions() { return kCheckBoxOptions; }

}  // namespace veyra::model
