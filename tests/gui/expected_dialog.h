// What the settings dialog must look like, written down independently of the
// program's own layout table so that a slip in either one shows up.
#pragma once

#include <windows.h>

namespace veyra::gui {

// Every label of the dialog is a grey description label.
enum class Kind { kPush, kFlat, kFlatBorder, kCheck, kFrame, kGreyLabel, kDropDown };

struct ExpectedControl {
  int id;
  const char* name;
  Kind kind;
  int x, y, width, height;  // dialog units; a drop-down list's height is its opened list's
  const wchar_t* english;
  const wchar_t* german;
};

// Creation order, which is the tab order.
inline constexpr ExpectedControl kExpectedControls[] = {
    {1003, "IDC_OK", Kind::kPush, 423, 305, 85, 20, L"OK", L"OK"},
    {1004, "IDC_CANCEL", Kind::kPush, 513, 305, 85, 20, L"Cancel", L"Abbruch"},
    {1018, "IDC_FRAME_ENGINE", Kind::kFrame, 3, 160, 295, 115, L"Engine Settings",
     L"Engine Einstellungen"},
    {1023, "IDC_PRELOAD_NPC", Kind::kCheck, 13, 200, 270, 15, L"Force Preload of NPC Resources",
     L"Erzwinge Vorausladen von NPC Resourcen"},
    {1024, "IDC_PRELOAD_NPC_TEXT", Kind::kGreyLabel, 13, 215, 280, 20,
     L"This forces preload of NPC resources (textures and models) into memory on map load. Can "
     L"prevent stuttering, but will increase VRAM usage and loading times.",
     L"Erzwingt das Vorausladen von NPC Resourcen (Modelle und Texturen). Kann Stottern "
     L"verhindern, aber erhöht VRAM-Verbrauch und Ladezeiten."},
    {1025, "IDC_PRELOAD_OTHER", Kind::kCheck, 13, 235, 270, 15, L"Force Preload of Other Resources",
     L"Erzwinge Vorausladen von anderen Resourcen"},
    {1026, "IDC_PRELOAD_OTHER_TEXT", Kind::kGreyLabel, 13, 250, 280, 20,
     L"This forces preload of other resources (textures, sounds and models) into memory on map "
     L"load. Can prevent stuttering, but will increase memory usage and loading times.",
     L"Erzwingt das Vorausladen von anderen Resourcen (Texturen, Sounds und Modelle). Kann "
     L"Stottern verhindern, aber erhöht Speicherverbrauch und Ladezeiten."},
    {1029, "IDC_FRAME_GRAPHICS", Kind::kFrame, 303, 5, 295, 295, L"Graphics Settings",
     L"Grafik Einstellungen"},
    {1033, "IDC_ANAMORPH_FLARES", Kind::kCheck, 313, 35, 145, 14, L"Enable Anamorphic Lens Flares",
     L"Anamorphe Lichteffekte."},
    {1045, "IDC_PARTICLES", Kind::kCheck, 313, 230, 135, 15, L"Activate Enhanced Particle Effects",
     L"Erweiterte Partikel-Effekte"},
    {1047, "IDC_BLOOM", Kind::kCheck, 313, 18, 110, 16, L"Enable Enhanced Bloom Effects.",
     L"Erweitertes Blooming."},
    {1048, "IDC_BLOOM_LEVEL", Kind::kDropDown, 423, 20, 120, 80, L"", L""},
    {1049, "IDC_MIENWERK", Kind::kFlatBorder, 233, 280, 65, 20, L"Mienwerk", L"Mienwerk"},
    {1054, "IDC_VEYRA_WEAPONS", Kind::kCheck, 13, 15, 160, 14, L"Activate Veyra Mod's Weapons",
     L"Veyra Mod Waffen"},
    {1055, "IDC_VEYRA_WEAPONS_TEXT", Kind::kGreyLabel, 13, 30, 280, 25,
     L"Activates Veyra Mod's weapons/sounds with ironsight aiming feature. Disabling this option "
     L"activates VALVE's original weapons/sounds, without ironsight aiming.",
     L"Benutze Veyra Mod Version aller Waffen inklusive neuen Sounds und Ironsight Fähigkeit. "
     L"Deaktivieren schaltet um auf originale VALVE Waffen ohne Ironsight-Fähigkeit."},
    {1056, "IDC_MAXIMUM_VALVE", Kind::kFlat, 148, 280, 65, 20, L"Maximum VALVE", L"Maximum VALVE"},
    {1057, "IDC_RECOMMENDED", Kind::kFlat, 8, 280, 65, 20, L"Recommended", L"Empfohlen"},
    {1060, "IDC_FRAME_GAME", Kind::kFrame, 3, 5, 295, 150, L"Game Settings", L"Game Settings"},
    {1061, "IDC_VEYRA_SKILL", Kind::kCheck, 13, 85, 250, 14, L"Use Veyra Mod's Difficulty Settings",
     L"Veyra Mod Schwierigkeits-Einstellungen."},
    {1062, "IDC_VEYRA_SKILL_TEXT", Kind::kGreyLabel, 13, 100, 280, 25,
     L"Grenades have a bigger blast radius and cause more damage. Bullet hits will consume your "
     L"health quicker and headshots are ALWAYS lethal.",
     L"Granaten haben einen größeren Explosionsradius und richten mehr Schaden an. Kugeln "
     L"verursachen stärkere Verletzungen, und ein Kopftreffer ist IMMER tödlich."},
    {1063, "IDC_VIGNETTE", Kind::kCheck, 313, 50, 145, 14, L"Vignette Post Processing",
     L"Vignettierung"},
    {1065, "IDC_SUNRAYS", Kind::kCheck, 313, 65, 105, 14, L"Sunrays and Godrays", L"Sonnenstrahlen"},
    {1067, "IDC_HEV_GLASS", Kind::kCheck, 313, 80, 140, 14, L"HEV Suit Glass Visor Reflections",
     L"HEV Suit Helmglas-Effekt"},
    {1070, "IDC_RECOIL", Kind::kCheck, 13, 138, 250, 14, L"Weapons Recoil",
     L"Simulierter Waffenrückstoß"},
    {1072, "IDC_FILM_NOIR", Kind::kCheck, 313, 185, 145, 14, L"Film Noire Colors",
     L"Film Noire Farben"},
    {1075, "IDC_SUNRAYS_LEVEL", Kind::kDropDown, 423, 65, 120, 80, L"", L""},
    {1076, "IDC_SWEETFX", Kind::kCheck, 313, 260, 105, 14, L"SweetFX Post Processing",
     L"SweetFX Nachbearbeitung"},
    {1082, "IDC_HEADBOB", Kind::kCheck, 13, 123, 115, 14, L"Activate Player Head Bob Movement",
     L"Kopfbewegungen"},
    {1084, "IDC_SWEETFX_PRESET", Kind::kDropDown, 418, 260, 155, 80, L"", L""},
    {1085, "IDC_PRESET_EDIT", Kind::kPush, 578, 260, 15, 12, L"!", L"!"},
    {1086, "IDC_HIDE_CROSSHAIR", Kind::kCheck, 188, 15, 105, 14, L"Hide Crosshair",
     L"Verstecke Fadenkreuz"},
    {1089, "IDC_GAUSS_BLUR", Kind::kCheck, 313, 200, 110, 14, L" Gaussian Blur Post Processing",
     L"Gaußscher Weichzeichner"},
    {1091, "IDC_GAUSS_HORIZONTAL", Kind::kCheck, 423, 200, 110, 14, L"Horizontal Only.",
     L"Nur horizontal"},
    {1092, "IDC_LARGE_VRAM", Kind::kCheck, 13, 171, 250, 14,
     L"Activate Large VRAM Mode (Experimental)", L"Hoher VRAM Modus (experimentell)"},
    {1093, "IDC_LARGE_VRAM_TEXT", Kind::kGreyLabel, 13, 185, 280, 15,
     L"Activates a special mode to improve performance for GPU's with more than 3GB of VRAM.",
     L"Aktiviere hohe VRAM Nutzung (nur geeignet für Grafikkarten mit mehr als 3 GB VRAM)"},
    {1094, "IDC_DOF", Kind::kCheck, 313, 215, 110, 14, L"Depth of Field (DoF) With Autofocus",
     L"Tiefenunschärfe"},
    {1096, "IDC_FILMGRAIN", Kind::kCheck, 313, 95, 140, 16, L"Film Grain Post Processing ",
     L"Filmrauschen"},
    {1098, "IDC_DOF_CHROMATIC", Kind::kCheck, 423, 215, 95, 14, L"With Chromatic Aberration",
     L"chromatische Aberration"},
    {1099, "IDC_DOF_STRONGER", Kind::kCheck, 523, 215, 60, 14, L"Stronger Effect", L"verstärken"},
    {1100, "IDC_SSAO", Kind::kCheck, 313, 109, 140, 15, L"Ambient Occlusion (HBAO) Post Processing",
     L"Umgebungsverdeckung (HBAO)"},
    {1080, "IDC_RESHADE", Kind::kCheck, 313, 275, 260, 14, L"Reshade Post Processing (HQ Softbloom)",
     L"Reshade Nachbearbeitung (HQ Softbloom)"},
    {1059, "IDC_COAST_NIGHT", Kind::kCheck, 13, 51, 250, 14, L"Coast Sequence at night time",
     L"Küstensequenz bei Nacht"},
    {1058, "IDC_COAST_NIGHT_TEXT", Kind::kGreyLabel, 13, 65, 280, 20,
     L"This lets you play the coast sequence after Ravenholm at night, fixing a time lapse in the "
     L"original game.",
     L"Aktiviert die Küstensequenz (Ravenholm zu Nova Prospekt) bei Nacht. Dies korrigiert einen "
     L"Zeitsprung des Originalspiels."},
    {1102, "IDC_UNCHARTED", Kind::kCheck, 313, 140, 130, 14, L"Uncharted 2 Tonemapping",
     L"Uncharted 2 Farbanpassung"},
    {1103, "IDC_SHARPEN", Kind::kCheck, 313, 155, 135, 14, L"Sharpen the image", L"Bildschärfung"},
    {1104, "IDC_FILMIC", Kind::kCheck, 313, 170, 140, 14, L"Filmic Tonemapping",
     L"Filmähnliche Gammakurve"},
    {1105, "IDC_UNCHARTED_STRONGER", Kind::kCheck, 448, 140, 60, 14, L"stronger", L"stärker"},
    {1106, "IDC_UNCHARTED_STRONGEST", Kind::kCheck, 513, 140, 60, 14, L"strongest", L"am stärksten"},
    {1107, "IDC_RULE_1107", Kind::kFrame, 308, 135, 280, 20, L"", L""},
    {1109, "IDC_RULE_1109", Kind::kFrame, 308, 210, 280, 20, L"", L""},
    {1110, "IDC_RULE_1110", Kind::kFrame, 308, 195, 280, 20, L"", L""},
    {1111, "IDC_SHARPEN_STRONGER", Kind::kCheck, 448, 155, 60, 14, L"stronger", L"stärker"},
    {1112, "IDC_RULE_1112", Kind::kFrame, 308, 150, 280, 20, L"", L""},
    {1113, "IDC_FXAA", Kind::kCheck, 313, 245, 105, 15, L"FXAA Antialiasing", L"FXAA Antialiasing"},
    {1114, "IDC_RECOMMENDED2", Kind::kFlat, 78, 280, 65, 20, L"Recommended #2", L"Empfohlen #2"},
    {1115, "IDC_RULE_1115", Kind::kFrame, 308, 120, 280, 20, L"", L""},
    {1116, "IDC_HPD", Kind::kCheck, 313, 125, 130, 14, L"Haarm Peter Duiker Tonemapping",
     L"Haarm Peter Duiker Farbanpassung"},
    {1117, "IDC_HPD_STRONGER", Kind::kCheck, 448, 125, 60, 14, L"stronger", L"stärker"},
    {1118, "IDC_HPD_STRONGEST", Kind::kCheck, 513, 125, 60, 14, L"strongest", L"am stärksten"},
    {1119, "IDC_SHARPEN_STRONGEST", Kind::kCheck, 513, 155, 60, 14, L"strongest", L"am stärksten"},
    {1120, "IDC_UNDO", Kind::kPush, 313, 305, 100, 20, L"Undo last change...",
     L"Rückgängig machen..."},
};

struct ExpectedItem {
  int list_id;
  const wchar_t* english;
  const wchar_t* german;
};

// List items in order, per list.
inline constexpr ExpectedItem kExpectedItems[] = {
    {1048, L"Slightly", L"Leicht"},
    {1048, L"Moderate", L"Moderat"},
    {1048, L"Strong", L"Stark"},
    {1048, L"Very strong", L"Sehr stark"},
    {1048, L"Extreme", L"Extrem"},
    {1048, L"ReShade compatible", L"Reshade kompatibel"},
    {1048, L"Veyra Mod (recommended)", L"Veyra Mod (Empfehlung)"},
    {1048, L"Veyra Mod (more bloom)", L"Veyra Mod (mehr Bloom)"},
    {1075, L"Moderate", L"Moderat"},
    {1075, L"Strong", L"Stark"},
};

// The dialog's font; every position above is in dialog units of this font.
inline constexpr const wchar_t* kDialogFontFace = L"MS Sans Serif";
inline constexpr WORD kDialogFontPoints = 8;

// The preset list holds the game folder's presets, not texts of the program.
inline constexpr int kPresetListId = 1084;

inline constexpr int kExpectedDialogWidth = 601;  // dialog units, client area
inline constexpr int kExpectedDialogHeight = 329;
inline constexpr const wchar_t* kExpectedCaptionEnglish = L"Configurator";
inline constexpr const wchar_t* kExpectedCaptionGerman = L"Konfigurator";

inline constexpr DWORD kChildVisible = WS_CHILD | WS_VISIBLE;

// Window class and style of a kind as the live control reports them, which is
// not quite what the template asks for: the dialog manager turns a control's
// WS_BORDER into WS_EX_CLIENTEDGE, and a combo box hands WS_VSCROLL to its list.
struct ExpectedClass {
  const wchar_t* name;
  DWORD style;
  bool client_edge;
};

inline ExpectedClass ExpectedClassOf(Kind kind) {
  constexpr DWORD kPushStyle = kChildVisible | WS_TABSTOP | BS_PUSHBUTTON;
  constexpr DWORD kFlatStyle = kPushStyle | BS_FLAT | BS_CENTER | BS_VCENTER;
  switch (kind) {
    case Kind::kPush: return {L"Button", kPushStyle, false};
    case Kind::kFlat: return {L"Button", kFlatStyle, false};
    case Kind::kFlatBorder: return {L"Button", kFlatStyle, true};
    case Kind::kCheck: return {L"Button", kChildVisible | WS_TABSTOP | BS_AUTOCHECKBOX, false};
    case Kind::kFrame: return {L"Button", kChildVisible | BS_GROUPBOX, false};
    case Kind::kGreyLabel: return {L"Static", kChildVisible | SS_LEFT, false};
    case Kind::kDropDown: return {L"ComboBox", kChildVisible | CBS_DROPDOWNLIST, false};
  }
  return {L"", 0, false};
}

inline bool IsPushButton(Kind kind) {
  return kind == Kind::kPush || kind == Kind::kFlat || kind == Kind::kFlatBorder;
}

}  // namespace veyra::gui
