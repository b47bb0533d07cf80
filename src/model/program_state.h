// Everything the configurator knows during one run. `main` owns the one
// instance and passes it by reference; the detection at start rebuilds it
// from the game's files each time, nothing of it is stored by itself.
#pragma once

#include <array>
#include <string>

namespace veyra::model {

// One flag (or small integer) per option. The detection sets them from the
// installed files, the confirmation from the controls.
struct SettingsState {
  int LargeVramMode = 0;
  int PreloadNpcResources = 0;
  int PreloadOtherResources = 0;
  int AnamorphFlares = 0;
  int EnhancedBloom = 0;
  int BloomLevel = 0;  // selected item 1..8 of the bloom list, 0 = none
  int VeyraWeapons = 0;
  int EnhancedParticles = 0;
  int CoastNight = 0;
  int VeyraSkill = 0;
  int Headbob = 0;
  int HideCrosshair = 0;
  int FilmNoir = 0;
  int Vignette = 0;
  int Ssao = 0;
  int GaussBlur = 0;
  int GaussBlurHorizontal = 0;
  int Sunrays = 0;
  int SunraysLevel = 0;  // selected item 1..2, 0 = none
  int HevGlass = 0;
  int WeaponRecoil = 0;
  int ReShade = 0;
  int SweetFx = 0;
  std::string SelectedSweetFxPreset;
  int DepthOfField = 0;
  int DofChromatic = 0;
  int DofStronger = 0;
  int FilmGrain = 0;
  int FilmicTonemapping = 0;
  int Fxaa = 0;
  int Sharpen = 0;
  int SharpenStronger = 0;
  int SharpenStrongest = 0;
  int UnchartedTonemapping = 0;
  int UnchartedStronger = 0;
  int UnchartedStrongest = 0;
  int HpdTonemapping = 0;
  int HpdStronger = 0;
  int HpdStrongest = 0;
  int VrMode = 0;
};

// An installed state that is neither: a step of an interrupted change kept as
// it was, its content perhaps half switched. No choice equals it, so the next
// OK runs that step in full.
inline constexpr int kCutShort = -1;

// What the detection found installed; the apply phase copies or removes
// content only where the confirmed option differs from it.
struct InstalledState {
  int AnamorphFlaresInstalled = 0;
  int VeyraWeaponsInstalled = 0;
  int CoastNightInstalled = 0;
  int VeyraSkillInstalled = 0;
  int ReShadeInstalled = 0;
};

struct ProgramState {
  // Paths: the start directory and the bases every path is joined to.
  std::string StartDirectory;
  std::string BasePath;
  std::string EpisodicBasePath;
  std::string Ep2BasePath;

  std::string SteamLanguage;
  int CancelRequested = 0;

  // Constant value tables, filled at start. BloomScaleValues[n] is bloom level n (1..8);
  // index 0 is unused so the levels read as they are numbered in the dialog.
  std::array<std::string, 9> BloomScaleValues;
  std::string BloomTintExponentDreamy;
  std::string BloomTintExponentDreamy3;
  std::string TvGammaExponentDreamy;
  std::string TvGammaExponentDreamy3;

  // Found by the detection.
  std::string BloomScaleValue;
  std::string SunraysOnPattern;
  std::string SunraysOffPattern;
  std::string SunraysStrongOnPattern;
  std::string SunraysStrongOffPattern;
  std::string SweetFxPresetName;

  SettingsState Settings;
  InstalledState Installed;
};

// Fills the constant value tables (start-up step 2).
void FillValueTables(ProgramState& state);

// Records the start directory and derives the base paths from it.
void SetStartDirectory(ProgramState& state, const std::string& directory);

// True when `language` (SteamLanguage) selects the German texts: exactly "german" or "deutsch".
bool IsGermanInterface(const std::string& language);

}  // namespace veyra::model
