// The check boxes of the settings dialog: one row each, holding all that is
// the box's own: its control, the settings flag it stands for and the flag's
// name, when the flag takes the box's state, what acts on the flag, the
// console setting that keeps it, and its texts in both languages.
//
// Tables whose order is behaviour (the layout, the click reactions, the preset
// buttons, the detection, the removal passes, the generated lines) keep their
// order and name a box by its control; what else they need of it they take
// from its row here, looked up while the program is built, so a table that
// names a box without a row, or asks for a console setting the box does not
// keep, does not build.
#pragma once

#include <span>
#include <string_view>

#include "model/control_ids.h"
#include "model/program_state.h"

namespace veyra::model {

// Every flag takes its box's state when the player confirms. Those the console
// settings decide also do so once they are read at start.
enum class Taken { kAtStart, kOnConfirmation };

// What acts on the flag: a line of the generated console block, a step of the
// apply phase, or both.
enum class Use { kBlock, kApplyPhase, kBlockAndApplyPhase };

// A text in the two interface languages; both null when there is none.
struct Texts {
  const char* english = nullptr;
  const char* german = nullptr;
};

struct CheckBoxOption {
  int control;
  const char* name;  // the flag's name in the program state
  int SettingsState::*flag;
  Taken taken;
  Use use;
  // The console setting that keeps the box's state: the generated block writes
  // it and the detection reads it back. Null when files decide the state.
  const char* console_setting;
  Texts label;                 // none: the layout's text stays in every language
  Texts tip;                   // what the box does, costs and changes
  Texts tip_unavailable = {};  // why it is greyed out; none: it never is
};

namespace option_rows {

using S = SettingsState;
using enum Taken;
using enum Use;

// clang-format off: one line of facts, then the label, the tip and why it is greyed out.
inline constexpr CheckBoxOption kCheckBoxOptions[] = {
    {IDC_FILMIC, "FilmicTonemapping", &S::FilmicTonemapping, kAtStart, kBlock, "rk_ppe_filmic",
     {"Filmic Tonemapping", "Filmähnliche Gammakurve"},
     {"A film-like gamma curve with softer highlights.",
      "Eine filmähnliche Gammakurve mit weicheren Lichtern."}},
    {IDC_FXAA, "Fxaa", &S::Fxaa, kAtStart, kBlockAndApplyPhase, "rk_ppe_fxaa",
     {},
     {"Fast anti-aliasing as post-processing. OK switches the game's own anti-aliasing (MSAA) off "
      "in the registry, since both together would cost twice. Costs little frame rate.",
      "Schnelle Kantenglättung als Nachbearbeitung. OK schaltet die eigene Kantenglättung des "
      "Spiels (MSAA) in der Registrierung aus, da beide zusammen doppelt kosten würden. Kostet "
      "wenig Bildrate."}},
    {IDC_SHARPEN, "Sharpen", &S::Sharpen, kAtStart, kBlock, "rk_ppe_sharpen",
     {"Sharpen the image", "Bildschärfung"},
     {"Sharpens the picture. Costs little frame rate.",
      "Schärft das Bild. Kostet wenig Bildrate."}},
    {IDC_SHARPEN_STRONGER, "SharpenStronger", &S::SharpenStronger, kAtStart, kBlock,
     "rk_ppe_sharpen",
     {"stronger", "stärker"},
     {"Sharpens more.", "Schärft stärker."},
     {"Available when sharpening is switched on.",
      "Verfügbar, wenn die Bildschärfung eingeschaltet ist."}},
    {IDC_SHARPEN_STRONGEST, "SharpenStrongest", &S::SharpenStrongest, kAtStart, kBlock,
     "rk_ppe_sharpen",
     {"strongest", "am stärksten"},
     {"Sharpens most.", "Schärft am stärksten."},
     {"Available when sharpening is switched on.",
      "Verfügbar, wenn die Bildschärfung eingeschaltet ist."}},
    {IDC_UNCHARTED, "UnchartedTonemapping", &S::UnchartedTonemapping, kAtStart, kBlock,
     "rk_ppe_uncharted",
     {"Uncharted 2 Tonemapping", "Uncharted 2 Farbanpassung"},
     {"Filmic colours and contrast (Uncharted 2 tone mapping). Not together with Haarm Peter "
      "Duiker tone mapping.",
      "Filmähnliche Farben und Kontraste (Uncharted-2-Farbanpassung). Nicht zusammen mit der "
      "Haarm-Peter-Duiker-Farbanpassung."}},
    {IDC_UNCHARTED_STRONGER, "UnchartedStronger", &S::UnchartedStronger, kAtStart, kBlock,
     "rk_ppe_uncharted",
     {"stronger", "stärker"},
     {"A stronger effect.", "Ein stärkerer Effekt."},
     {"Available when Uncharted 2 tone mapping is switched on.",
      "Verfügbar, wenn die Uncharted-2-Farbanpassung eingeschaltet ist."}},
    {IDC_UNCHARTED_STRONGEST, "UnchartedStrongest", &S::UnchartedStrongest, kAtStart, kBlock,
     "rk_ppe_uncharted",
     {"strongest", "am stärksten"},
     {"The strongest effect.", "Der stärkste Effekt."},
     {"Available when Uncharted 2 tone mapping is switched on.",
      "Verfügbar, wenn die Uncharted-2-Farbanpassung eingeschaltet ist."}},
    {IDC_HPD, "HpdTonemapping", &S::HpdTonemapping, kAtStart, kBlock, "rk_ppe_hpd",
     {"Haarm Peter Duiker Tonemapping", "Haarm Peter Duiker Farbanpassung"},
     {"Film-like colours (Haarm Peter Duiker tone mapping). Not together with Uncharted 2 tone "
      "mapping.",
      "Filmähnliche Farben (Haarm-Peter-Duiker-Farbanpassung). Nicht zusammen mit der "
      "Uncharted-2-Farbanpassung."}},
    {IDC_HPD_STRONGER, "HpdStronger", &S::HpdStronger, kAtStart, kBlock, "rk_ppe_hpd",
     {"stronger", "stärker"},
     {"A stronger effect.", "Ein stärkerer Effekt."},
     {"Available when Haarm Peter Duiker tone mapping is switched on.",
      "Verfügbar, wenn die Haarm-Peter-Duiker-Farbanpassung eingeschaltet ist."}},
    {IDC_HPD_STRONGEST, "HpdStrongest", &S::HpdStrongest, kAtStart, kBlock, "rk_ppe_hpd",
     {"strongest", "am stärksten"},
     {"The strongest effect.", "Der stärkste Effekt."},
     {"Available when Haarm Peter Duiker tone mapping is switched on.",
      "Verfügbar, wenn die Haarm-Peter-Duiker-Farbanpassung eingeschaltet ist."}},
    {IDC_DOF, "DepthOfField", &S::DepthOfField, kAtStart, kBlock, "rk_ppe_bokehdof",
     {"Depth of Field (DoF) With Autofocus", "Tiefenunschärfe"},
     {"Blurs what lies far from where you look, focusing by itself. Costs frame rate.",
      "Zeichnet weich, was weit vom Blickpunkt entfernt ist, und stellt selbst scharf. Kostet "
      "Bildrate."}},
    {IDC_DOF_CHROMATIC, "DofChromatic", &S::DofChromatic, kAtStart, kBlock, "rk_ppe_bokehdof",
     {"With Chromatic Aberration", "chromatische Aberration"},
     {"Colour fringes in the blurred parts, as a real lens makes them.",
      "Farbsäume in den unscharfen Bereichen, wie ein echtes Objektiv sie zeigt."},
     {"Available when the depth of field is switched on.",
      "Verfügbar, wenn die Tiefenunschärfe eingeschaltet ist."}},
    {IDC_DOF_STRONGER, "DofStronger", &S::DofStronger, kAtStart, kBlock, "rk_ppe_bokehdof",
     {"Stronger Effect", "verstärken"},
     {"A stronger blur, with chromatic aberration.",
      "Stärkere Unschärfe, mit chromatischer Aberration."},
     {"Available when the depth of field with chromatic aberration is switched on.",
      "Verfügbar, wenn die Tiefenunschärfe mit chromatischer Aberration eingeschaltet ist."}},
    {IDC_FILMGRAIN, "FilmGrain", &S::FilmGrain, kAtStart, kBlock, "rk_ppe_filmgrain",
     {"Film Grain Post Processing ", "Filmrauschen"},
     {"A fine film grain over the picture.", "Ein feines Filmkorn über dem Bild."}},
    {IDC_PRELOAD_NPC, "PreloadNpcResources", &S::PreloadNpcResources, kAtStart, kBlock,
     "npc_citizen_dont_precache_all",
     {"Force Preload of NPC Resources", "Erzwinge Vorausladen von NPC Resourcen"},
     {"Loads the models and textures of all characters when a map loads. Can prevent stutter when "
      "new characters appear; costs video memory and longer loading times.",
      "Lädt beim Laden einer Karte die Modelle und Texturen aller Figuren. Kann Ruckeln "
      "verhindern, wenn neue Figuren auftauchen; kostet Grafikspeicher und längere Ladezeiten."}},
    {IDC_PRELOAD_OTHER, "PreloadOtherResources", &S::PreloadOtherResources, kAtStart, kBlock,
     "sv_forcepreload",
     {"Force Preload of Other Resources", "Erzwinge Vorausladen von anderen Resourcen"},
     {"Loads the other textures, sounds and models of a map in advance. Can prevent stutter; "
      "costs memory and longer loading times.",
      "Lädt die übrigen Texturen, Sounds und Modelle einer Karte im Voraus. Kann Ruckeln "
      "verhindern; kostet Speicher und längere Ladezeiten."}},
    {IDC_PARTICLES, "EnhancedParticles", &S::EnhancedParticles, kAtStart, kBlock,
     "cl_new_impact_effects",
     {"Activate Enhanced Particle Effects", "Erweiterte Partikel-Effekte"},
     {"Richer smoke, sparks and debris. Costs some frame rate in heavy fights.",
      "Aufwendigerer Rauch, Funken und Trümmer. Kostet in großen Gefechten etwas Bildrate."}},
    {IDC_BLOOM, "EnhancedBloom", &S::EnhancedBloom, kAtStart, kBlock,
     "mat_bloom_scalefactor_scalar",
     {"Enable Enhanced Bloom Effects.", "Erweitertes Blooming."},
     {"A stronger glow around bright light; the list beside it sets how strong. Costs little "
      "frame rate.",
      "Stärkeres Leuchten um helles Licht; die Liste daneben bestimmt die Stärke. Kostet wenig "
      "Bildrate."}},
    {IDC_COAST_NIGHT, "CoastNight", &S::CoastNight, kOnConfirmation, kApplyPhase, nullptr,
     {"Coast Sequence at night time", "Küstensequenz bei Nacht"},
     {"Plays the coast sequence after Ravenholm at night, mending a jump in time of the original "
      "game. OK copies the maps into the game.",
      "Spielt die Küstensequenz nach Ravenholm bei Nacht und behebt so einen Zeitsprung des "
      "Originalspiels. OK kopiert die Karten ins Spiel."}},
    {IDC_VEYRA_SKILL, "VeyraSkill", &S::VeyraSkill, kOnConfirmation, kApplyPhase, nullptr,
     {"Use Veyra Mod's Difficulty Settings", "Veyra Mod Schwierigkeits-Einstellungen."},
     {"Veyra Mod's difficulty: bigger grenade blasts, bullets hurt more and headshots always "
      "kill. OK copies the difficulty settings into the game.",
      "Die Schwierigkeit von Veyra Mod: größere Granatenexplosionen, Kugeln verletzen stärker und "
      "Kopftreffer töten immer. OK kopiert die Einstellungen ins Spiel."}},
    {IDC_VIGNETTE, "Vignette", &S::Vignette, kAtStart, kBlock, "rk_ppe_vignette",
     {"Vignette Post Processing", "Vignettierung"},
     {"Darkens the corners of the picture like a camera lens. Costs little frame rate.",
      "Dunkelt die Bildecken ab wie ein Kameraobjektiv. Kostet wenig Bildrate."}},
    {IDC_SSAO, "Ssao", &S::Ssao, kAtStart, kBlock, "ae_ssao",
     {"Ambient Occlusion (HBAO) Post Processing", "Umgebungsverdeckung (HBAO)"},
     {"Soft shadows in corners and where objects meet. Costs noticeable frame rate.",
      "Weiche Schatten in Ecken und wo Gegenstände aufeinandertreffen. Kostet spürbar Bildrate."}},
    {IDC_GAUSS_BLUR, "GaussBlur", &S::GaussBlur, kAtStart, kBlock, "rk_ppe_gaussblur",
     {" Gaussian Blur Post Processing", "Gaußscher Weichzeichner"},
     {"Softens the whole picture a little. Costs a little frame rate.",
      "Macht das ganze Bild etwas weicher. Kostet etwas Bildrate."}},
    {IDC_GAUSS_HORIZONTAL, "GaussBlurHorizontal", &S::GaussBlurHorizontal, kOnConfirmation, kBlock,
     "rk_ppe_gaussblur",
     {"Horizontal Only.", "Nur horizontal"},
     {"Blurs sideways only, which keeps more detail.",
      "Zeichnet nur waagerecht weich, was mehr Details erhält."},
     {"Available when the Gaussian blur is switched on.",
      "Verfügbar, wenn der Gaußsche Weichzeichner eingeschaltet ist."}},
    {IDC_FILM_NOIR, "FilmNoir", &S::FilmNoir, kAtStart, kBlock, "rk_ppe_desaturate",
     {"Film Noire Colors", "Film Noire Farben"},
     {"A black-and-white picture with strong contrast.",
      "Ein Schwarzweißbild mit starkem Kontrast."}},
    {IDC_SUNRAYS, "Sunrays", &S::Sunrays, kOnConfirmation, kApplyPhase, nullptr,
     {"Sunrays and Godrays", "Sonnenstrahlen"},
     {"Rays of sunlight through trees and past edges; the list beside it sets how strong. Costs "
      "some frame rate outdoors.",
      "Sonnenstrahlen durch Bäume und an Kanten vorbei; die Liste daneben bestimmt die Stärke. "
      "Kostet im Freien etwas Bildrate."}},
    {IDC_HEADBOB, "Headbob", &S::Headbob, kAtStart, kBlock, "RK_viewbob_enabled",
     {"Activate Player Head Bob Movement", "Kopfbewegungen"},
     {"The view moves with your steps.", "Die Sicht bewegt sich mit den Schritten."}},
    {IDC_SWEETFX, "SweetFx", &S::SweetFx, kAtStart, kBlockAndApplyPhase, nullptr,
     {"SweetFX Post Processing", "SweetFX Nachbearbeitung"},
     {"Puts the SweetFX post-processing into the game's bin folder, with the preset chosen beside "
      "it; unchecked, it is removed. Costs frame rate depending on the preset. Not together with "
      "ReShade.",
      "Installiert die SweetFX-Nachbearbeitung im bin-Ordner des Spiels, mit der daneben "
      "gewählten Voreinstellung; ohne Haken wird sie entfernt. Kostet je nach Voreinstellung "
      "Bildrate. Nicht zusammen mit Reshade."}},
    {IDC_RECOIL, "WeaponRecoil", &S::WeaponRecoil, kAtStart, kBlock, "rk_weapons_recoil",
     {"Weapons Recoil", "Simulierter Waffenrückstoß"},
     {"The weapons kick back when you fire.", "Die Waffen schlagen beim Schießen zurück."},
     {"Available with Veyra Mod's weapons.", "Verfügbar mit den Waffen von Veyra Mod."}},
    {IDC_HEV_GLASS, "HevGlass", &S::HevGlass, kAtStart, kBlock, "rk_ppe_glass_effect",
     {"HEV Suit Glass Visor Reflections", "HEV Suit Helmglas-Effekt"},
     {"Reflections on the glass of the HEV suit's helmet. Costs a little frame rate.",
      "Spiegelungen im Helmglas des HEV-Anzugs. Kostet etwas Bildrate."}},
    {IDC_RESHADE, "ReShade", &S::ReShade, kAtStart, kApplyPhase, nullptr,
     {"Reshade Post Processing (HQ Softbloom)", "Reshade Nachbearbeitung (HQ Softbloom)"},
     {"Puts the ReShade post-processing with a soft HQ bloom into the game's bin folder; "
      "unchecked, it is removed. Not together with SweetFX; selects the ReShade-compatible bloom. "
      "Costs frame rate.",
      "Installiert die Reshade-Nachbearbeitung mit weichem HQ-Bloom im bin-Ordner des Spiels; "
      "ohne Haken wird sie entfernt. Nicht zusammen mit SweetFX; wählt das Reshade-kompatible "
      "Bloom. Kostet Bildrate."}},
    {IDC_HIDE_CROSSHAIR, "HideCrosshair", &S::HideCrosshair, kAtStart, kBlock, "crosshair",
     {"Hide Crosshair", "Verstecke Fadenkreuz"},
     {"Hides the crosshair; you aim over the iron sights.",
      "Blendet das Fadenkreuz aus; gezielt wird über Kimme und Korn."},
     {"Available with Veyra Mod's weapons.", "Verfügbar mit den Waffen von Veyra Mod."}},
    {IDC_VEYRA_WEAPONS, "VeyraWeapons", &S::VeyraWeapons, kOnConfirmation, kBlockAndApplyPhase,
     nullptr,
     {"Activate Veyra Mod's Weapons", "Veyra Mod Waffen"},
     {"Veyra Mod's weapon models and sounds with iron-sight aiming; unchecked, the original "
      "weapons. OK copies the weapon set into the three games, which takes a moment.",
      "Die Waffenmodelle und Sounds von Veyra Mod mit Kimme und Korn; ohne Haken die originalen "
      "Waffen. OK kopiert das Waffenpaket in die drei Spiele, was einen Moment dauert."}},
    {IDC_ANAMORPH_FLARES, "AnamorphFlares", &S::AnamorphFlares, kOnConfirmation, kApplyPhase,
     nullptr,
     {"Enable Anamorphic Lens Flares", "Anamorphe Lichteffekte."},
     {"Wide, film-like streaks of light instead of the round lens flares. OK copies the sprites "
      "into the game; hardly any cost in frame rate.",
      "Breite, filmähnliche Lichtstreifen statt der runden Lichtreflexe. OK kopiert die Sprites "
      "ins Spiel; kostet kaum Bildrate."}},
    {IDC_LARGE_VRAM, "LargeVramMode", &S::LargeVramMode, kAtStart, kBlock,
     "mat_forcemanagedtextureintohardware",
     {"Activate Large VRAM Mode (Experimental)", "Hoher VRAM Modus (experimentell)"},
     {"Keeps more textures in video memory, for graphics cards with more than 3 GB. Experimental.",
      "Hält mehr Texturen im Grafikspeicher, für Grafikkarten mit mehr als 3 GB. Experimentell."}},
};
// clang-format on

}  // namespace option_rows

inline std::span<const CheckBoxOption> CheckBoxOptions() { return option_rows::kCheckBoxOptions; }

// The row of `control`'s check box. Evaluated while building: a control
// without a row is no constant, and the build stops there.
consteval const CheckBoxOption& OptionOf(int control) {
  for (const CheckBoxOption& option : option_rows::kCheckBoxOptions) {
    if (option.control == control) return option;
  }
  throw "no check-box row for this control";
}

// The row of a box whose state a console setting keeps; any other stops the build.
consteval const CheckBoxOption& ConsoleOptionOf(int control) {
  const CheckBoxOption& option = OptionOf(control);
  if (option.console_setting == nullptr) throw "this check box keeps no console setting";
  return option;
}

consteval std::string_view SettingOf(int control) {
  return ConsoleOptionOf(control).console_setting;
}

consteval int SettingsState::*FlagOf(int control) { return OptionOf(control).flag; }

}  // namespace veyra::model
