#include "app/interface_texts.h"

#include "model/control_ids.h"

namespace veyra::app {

using namespace model;
namespace {

struct TranslatedText {
  int control;  // 0 = the dialog's caption
  const char* english;
  const char* german;
};

constexpr TranslatedText kTexts[] = {
    {0, "Configurator", "Konfigurator"},
    {IDC_RECOMMENDED, "Recommended", "Empfohlen"},
    {IDC_RECOMMENDED2, "Recommended #2", "Empfohlen #2"},
    {IDC_CANCEL, "Cancel", "Abbruch"},
    {IDC_FRAME_ENGINE, "Engine Settings", "Engine Einstellungen"},
    {IDC_PRELOAD_NPC, "Force Preload of NPC Resources", "Erzwinge Vorausladen von NPC Resourcen"},
    {IDC_PRELOAD_NPC_TEXT,
     "This forces preload of NPC resources (textures and models) into memory on map load. Can "
     "prevent stuttering, but will increase VRAM usage and loading times.",
     "Erzwingt das Vorausladen von NPC Resourcen (Modelle und Texturen). Kann Stottern verhindern, "
     "aber erhöht VRAM-Verbrauch und Ladezeiten."},
    {IDC_PRELOAD_OTHER, "Force Preload of Other Resources",
     "Erzwinge Vorausladen von anderen Resourcen"},
    {IDC_PRELOAD_OTHER_TEXT,
     "This forces preload of other resources (textures, sounds and models) into memory on map "
     "load. Can prevent stuttering, but will increase memory usage and loading times.",
     "Erzwingt das Vorausladen von anderen Resourcen (Texturen, Sounds und Modelle). Kann Stottern "
     "verhindern, aber erhöht Speicherverbrauch und Ladezeiten."},
    {IDC_FRAME_GRAPHICS, "Graphics Settings", "Grafik Einstellungen"},
    {IDC_ANAMORPH_FLARES, "Enable Anamorphic Lens Flares", "Anamorphe Lichteffekte."},
    {IDC_COAST_NIGHT, "Coast Sequence at night time", "Küstensequenz bei Nacht"},
    {IDC_COAST_NIGHT_TEXT,
     "This lets you play the coast sequence after Ravenholm at night, fixing a time lapse in the "
     "original game.",
     "Aktiviert die Küstensequenz (Ravenholm zu Nova Prospekt) bei Nacht. Dies korrigiert einen "
     "Zeitsprung des Originalspiels."},
    {IDC_VEYRA_WEAPONS, "Activate Veyra Mod's Weapons", "Veyra Mod Waffen"},
    {IDC_VEYRA_WEAPONS_TEXT,
     "Activates Veyra Mod's weapons/sounds with ironsight aiming feature. Disabling this option "
     "activates VALVE's original weapons/sounds, without ironsight aiming.",
     "Benutze Veyra Mod Version aller Waffen inklusive neuen Sounds und Ironsight Fähigkeit. "
     "Deaktivieren schaltet um auf originale VALVE Waffen ohne Ironsight-Fähigkeit."},
    {IDC_PARTICLES, "Activate Enhanced Particle Effects", "Erweiterte Partikel-Effekte"},
    {IDC_BLOOM, "Enable Enhanced Bloom Effects.", "Erweitertes Blooming."},
    {IDC_VEYRA_SKILL, "Use Veyra Mod's Difficulty Settings",
     "Veyra Mod Schwierigkeits-Einstellungen."},
    {IDC_VEYRA_SKILL_TEXT,
     "Grenades have a bigger blast radius and cause more damage. Bullet hits will consume your "
     "health quicker and headshots are ALWAYS lethal.",
     "Granaten haben einen größeren Explosionsradius und richten mehr Schaden an. Kugeln "
     "verursachen stärkere Verletzungen, und ein Kopftreffer ist IMMER tödlich."},
    {IDC_VIGNETTE, "Vignette Post Processing", "Vignettierung"},
    {IDC_SSAO, "Ambient Occlusion (HBAO) Post Processing", "Umgebungsverdeckung (HBAO)"},
    {IDC_FILM_NOIR, "Film Noire Colors", "Film Noire Farben"},
    {IDC_SUNRAYS, "Sunrays and Godrays", "Sonnenstrahlen"},
    {IDC_HEV_GLASS, "HEV Suit Glass Visor Reflections", "HEV Suit Helmglas-Effekt"},
    {IDC_RECOIL, "Weapons Recoil", "Simulierter Waffenrückstoß"},
    {IDC_SWEETFX, "SweetFX Post Processing", "SweetFX Nachbearbeitung"},
    {IDC_RESHADE, "Reshade Post Processing (HQ Softbloom)",
     "Reshade Nachbearbeitung (HQ Softbloom)"},
    {IDC_HEADBOB, "Activate Player Head Bob Movement", "Kopfbewegungen"},
    {IDC_HIDE_CROSSHAIR, "Hide Crosshair", "Verstecke Fadenkreuz"},
    {IDC_GAUSS_BLUR, " Gaussian Blur Post Processing", "Gaußscher Weichzeichner"},
    {IDC_GAUSS_HORIZONTAL, "Horizontal Only.", "Nur horizontal"},
    {IDC_LARGE_VRAM, "Activate Large VRAM Mode (Experimental)", "Hoher VRAM Modus (experimentell)"},
    {IDC_LARGE_VRAM_TEXT,
     "Activates a special mode to improve performance for GPU's with more than 3GB of VRAM.",
     "Aktiviere hohe VRAM Nutzung (nur geeignet für Grafikkarten mit mehr als 3 GB VRAM)"},
    {IDC_DOF, "Depth of Field (DoF) With Autofocus", "Tiefenunschärfe"},
    {IDC_DOF_CHROMATIC, "With Chromatic Aberration", "chromatische Aberration"},
    {IDC_DOF_STRONGER, "Stronger Effect", "verstärken"},
    {IDC_FILMGRAIN, "Film Grain Post Processing ", "Filmrauschen"},
    {IDC_UNCHARTED, "Uncharted 2 Tonemapping", "Uncharted 2 Farbanpassung"},
    {IDC_UNCHARTED_STRONGER, "stronger", "stärker"},
    {IDC_UNCHARTED_STRONGEST, "strongest", "am stärksten"},
    {IDC_HPD, "Haarm Peter Duiker Tonemapping", "Haarm Peter Duiker Farbanpassung"},
    {IDC_HPD_STRONGER, "stronger", "stärker"},
    {IDC_HPD_STRONGEST, "strongest", "am stärksten"},
    {IDC_SHARPEN, "Sharpen the image", "Bildschärfung"},
    {IDC_SHARPEN_STRONGER, "stronger", "stärker"},
    {IDC_SHARPEN_STRONGEST, "strongest", "am stärksten"},
    {IDC_FILMIC, "Filmic Tonemapping", "Filmähnliche Gammakurve"},
};

struct ToolTipTexts {
  int control;
  const char* english;
  const char* german;
  const char* english_unavailable;
  const char* german_unavailable;
};

// What each check box, list and button does, for its tooltip; the control's
// unavailable texts say why it is greyed out (nullptr: it never is).
constexpr ToolTipTexts kToolTips[] = {
    {IDC_OK,
     "Saves your choices and applies them: the settings block of the three autoexec.cfg, the "
     "content sets, the post-processing files and the anti-aliasing values. Whatever is changed is "
     "first kept in the folder VeyraConfig backups.",
     "Speichert die Auswahl und wendet sie an: den Einstellungsblock der drei autoexec.cfg, die "
     "Inhaltspakete, die Nachbearbeitungsdateien und die Kantenglättungswerte. Alles, was geändert "
     "wird, wird vorher im Ordner VeyraConfig backups gesichert.",
     nullptr, nullptr},
    {IDC_CANCEL, "Closes the program without changing anything.",
     "Schließt das Programm, ohne etwas zu ändern.", nullptr, nullptr},
    {IDC_PRELOAD_NPC,
     "Loads the models and textures of all characters when a map loads. Can prevent stutter when "
     "new characters appear; costs video memory and longer loading times.",
     "Lädt beim Laden einer Karte die Modelle und Texturen aller Figuren. Kann Ruckeln verhindern, "
     "wenn neue Figuren auftauchen; kostet Grafikspeicher und längere Ladezeiten.",
     nullptr, nullptr},
    {IDC_PRELOAD_OTHER,
     "Loads the other textures, sounds and models of a map in advance. Can prevent stutter; costs "
     "memory and longer loading times.",
     "Lädt die übrigen Texturen, Sounds und Modelle einer Karte im Voraus. Kann Ruckeln "
     "verhindern; kostet Speicher und längere Ladezeiten.",
     nullptr, nullptr},
    {IDC_ANAMORPH_FLARES,
     "Wide, film-like streaks of light instead of the round lens flares. OK copies the sprites "
     "into the game; hardly any cost in frame rate.",
     "Breite, filmähnliche Lichtstreifen statt der runden Lichtreflexe. OK kopiert die Sprites ins "
     "Spiel; kostet kaum Bildrate.",
     nullptr, nullptr},
    {IDC_PARTICLES, "Richer smoke, sparks and debris. Costs some frame rate in heavy fights.",
     "Aufwendigerer Rauch, Funken und Trümmer. Kostet in großen Gefechten etwas Bildrate.", nullptr,
     nullptr},
    {IDC_BLOOM,
     "A stronger glow around bright light; the list beside it sets how strong. Costs little frame "
     "rate.",
     "Stärkeres Leuchten um helles Licht; die Liste daneben bestimmt die Stärke. Kostet wenig "
     "Bildrate.",
     nullptr, nullptr},
    {IDC_BLOOM_LEVEL,
     "How strong the glow is. \"ReShade compatible\" is meant for the ReShade post-processing.",
     "Wie stark das Leuchten ist. \"Reshade kompatibel\" ist für die Reshade-Nachbearbeitung "
     "gedacht.",
     "Available when the enhanced bloom is switched on.",
     "Verfügbar, wenn das erweiterte Blooming eingeschaltet ist."},
    {IDC_MIENWERK, "Starts Mienwerk, the companion tool for changing the characters' looks.",
     "Startet Mienwerk, das Begleitprogramm zum Anpassen der Figuren.",
     "Mienwerk is not installed: Mienwerk\\Mienwerk.exe is missing in the game folder.",
     "Mienwerk ist nicht installiert: Mienwerk\\Mienwerk.exe fehlt im Spielordner."},
    {IDC_VEYRA_WEAPONS,
     "Veyra Mod's weapon models and sounds with iron-sight aiming; unchecked, the original "
     "weapons. OK copies the weapon set into the three games, which takes a moment.",
     "Die Waffenmodelle und Sounds von Veyra Mod mit Kimme und Korn; ohne Haken die originalen "
     "Waffen. OK kopiert das Waffenpaket in die drei Spiele, was einen Moment dauert.",
     nullptr, nullptr},
    {IDC_MAXIMUM_VALVE,
     "Sets everything close to the original game: the original weapons, difficulty and coast "
     "sequence, head bob on, and every effect, all post-processing (SweetFX and ReShade too) and "
     "the preloading off. Leaves the large VRAM mode and FXAA alone.",
     "Stellt alles nah an das Originalspiel: originale Waffen, Schwierigkeit und Küstensequenz, "
     "Kopfbewegungen an, und alle Effekte, jede Nachbearbeitung (auch SweetFX und Reshade) und das "
     "Vorausladen aus. Lässt den VRAM-Modus und FXAA unverändert.",
     nullptr, nullptr},
    {IDC_RECOMMENDED,
     "The mod team's choice: Veyra Mod's weapons with recoil, difficulty and night coast, the "
     "recommended bloom, lens flares, sharpening, depth of field with chromatic aberration, "
     "particles and stronger Haarm Peter Duiker tone mapping. No SweetFX or ReShade.",
     "Die Wahl des Mod-Teams: Waffen mit Rückstoß, Schwierigkeit und nächtliche Küste von Veyra "
     "Mod, das empfohlene Bloom, Lichteffekte, Schärfung, Tiefenunschärfe mit chromatischer "
     "Aberration, Partikel und stärkere Haarm-Peter-Duiker-Farbanpassung. Kein SweetFX oder "
     "Reshade.",
     nullptr, nullptr},
    {IDC_RECOMMENDED2,
     "Like Recommended, but with filmic tone mapping instead of Haarm Peter Duiker tone mapping.",
     "Wie Empfohlen, aber mit filmähnlicher Gammakurve statt der Haarm-Peter-Duiker-Farbanpassung.",
     nullptr, nullptr},
    {IDC_VEYRA_SKILL,
     "Veyra Mod's difficulty: bigger grenade blasts, bullets hurt more and headshots always kill. "
     "OK copies the difficulty settings into the game.",
     "Die Schwierigkeit von Veyra Mod: größere Granatenexplosionen, Kugeln verletzen stärker und "
     "Kopftreffer töten immer. OK kopiert die Einstellungen ins Spiel.",
     nullptr, nullptr},
    {IDC_VIGNETTE,
     "Darkens the corners of the picture like a camera lens. Costs little frame rate.",
     "Dunkelt die Bildecken ab wie ein Kameraobjektiv. Kostet wenig Bildrate.", nullptr, nullptr},
    {IDC_SUNRAYS,
     "Rays of sunlight through trees and past edges; the list beside it sets how strong. Costs "
     "some frame rate outdoors.",
     "Sonnenstrahlen durch Bäume und an Kanten vorbei; die Liste daneben bestimmt die Stärke. "
     "Kostet im Freien etwas Bildrate.",
     nullptr, nullptr},
    {IDC_SUNRAYS_LEVEL, "How strong the sun rays are.", "Wie stark die Sonnenstrahlen sind.",
     "Available when the sun rays are switched on.",
     "Verfügbar, wenn die Sonnenstrahlen eingeschaltet sind."},
    {IDC_HEV_GLASS, "Reflections on the glass of the HEV suit's helmet. Costs a little frame rate.",
     "Spiegelungen im Helmglas des HEV-Anzugs. Kostet etwas Bildrate.", nullptr, nullptr},
    {IDC_RECOIL, "The weapons kick back when you fire.",
     "Die Waffen schlagen beim Schießen zurück.", "Available with Veyra Mod's weapons.",
     "Verfügbar mit den Waffen von Veyra Mod."},
    {IDC_FILM_NOIR, "A black-and-white picture with strong contrast.",
     "Ein Schwarzweißbild mit starkem Kontrast.", nullptr, nullptr},
    {IDC_SWEETFX,
     "Puts the SweetFX post-processing into the game's bin folder, with the preset chosen beside "
     "it; unchecked, it is removed. Costs frame rate depending on the preset. Not together with "
     "ReShade.",
     "Installiert die SweetFX-Nachbearbeitung im bin-Ordner des Spiels, mit der daneben gewählten "
     "Voreinstellung; ohne Haken wird sie entfernt. Kostet je nach Voreinstellung Bildrate. Nicht "
     "zusammen mit Reshade.",
     nullptr, nullptr},
    {IDC_HEADBOB, "The view moves with your steps.", "Die Sicht bewegt sich mit den Schritten.",
     nullptr, nullptr},
    {IDC_SWEETFX_PRESET, "The SweetFX preset, one of the files in SweetFX\\Presets.",
     "Die SweetFX-Voreinstellung, eine der Dateien in SweetFX\\Presets.",
     "Available when SweetFX is switched on and ReShade is off.",
     "Verfügbar, wenn SweetFX ein- und Reshade ausgeschaltet ist."},
    {IDC_PRESET_EDIT, "Opens the selected SweetFX preset in Notepad.",
     "Öffnet die gewählte SweetFX-Voreinstellung im Editor.",
     "Available when SweetFX is switched on and ReShade is off.",
     "Verfügbar, wenn SweetFX ein- und Reshade ausgeschaltet ist."},
    {IDC_HIDE_CROSSHAIR, "Hides the crosshair; you aim over the iron sights.",
     "Blendet das Fadenkreuz aus; gezielt wird über Kimme und Korn.",
     "Available with Veyra Mod's weapons.", "Verfügbar mit den Waffen von Veyra Mod."},
    {IDC_GAUSS_BLUR, "Softens the whole picture a little. Costs a little frame rate.",
     "Macht das ganze Bild etwas weicher. Kostet etwas Bildrate.", nullptr, nullptr},
    {IDC_GAUSS_HORIZONTAL, "Blurs sideways only, which keeps more detail.",
     "Zeichnet nur waagerecht weich, was mehr Details erhält.",
     "Available when the Gaussian blur is switched on.",
     "Verfügbar, wenn der Gaußsche Weichzeichner eingeschaltet ist."},
    {IDC_LARGE_VRAM,
     "Keeps more textures in video memory, for graphics cards with more than 3 GB. Experimental.",
     "Hält mehr Texturen im Grafikspeicher, für Grafikkarten mit mehr als 3 GB. Experimentell.",
     nullptr, nullptr},
    {IDC_DOF, "Blurs what lies far from where you look, focusing by itself. Costs frame rate.",
     "Zeichnet weich, was weit vom Blickpunkt entfernt ist, und stellt selbst scharf. Kostet "
     "Bildrate.",
     nullptr, nullptr},
    {IDC_FILMGRAIN, "A fine film grain over the picture.", "Ein feines Filmkorn über dem Bild.",
     nullptr, nullptr},
    {IDC_DOF_CHROMATIC, "Colour fringes in the blurred parts, as a real lens makes them.",
     "Farbsäume in den unscharfen Bereichen, wie ein echtes Objektiv sie zeigt.",
     "Available when the depth of field is switched on.",
     "Verfügbar, wenn die Tiefenunschärfe eingeschaltet ist."},
    {IDC_DOF_STRONGER, "A stronger blur, with chromatic aberration.",
     "Stärkere Unschärfe, mit chromatischer Aberration.",
     "Available when the depth of field with chromatic aberration is switched on.",
     "Verfügbar, wenn die Tiefenunschärfe mit chromatischer Aberration eingeschaltet ist."},
    {IDC_SSAO, "Soft shadows in corners and where objects meet. Costs noticeable frame rate.",
     "Weiche Schatten in Ecken und wo Gegenstände aufeinandertreffen. Kostet spürbar Bildrate.",
     nullptr, nullptr},
    {IDC_RESHADE,
     "Puts the ReShade post-processing with a soft HQ bloom into the game's bin folder; unchecked, "
     "it is removed. Not together with SweetFX; selects the ReShade-compatible bloom. Costs frame "
     "rate.",
     "Installiert die Reshade-Nachbearbeitung mit weichem HQ-Bloom im bin-Ordner des Spiels; ohne "
     "Haken wird sie entfernt. Nicht zusammen mit SweetFX; wählt das Reshade-kompatible Bloom. "
     "Kostet Bildrate.",
     nullptr, nullptr},
    {IDC_COAST_NIGHT,
     "Plays the coast sequence after Ravenholm at night, mending a jump in time of the original "
     "game. OK copies the maps into the game.",
     "Spielt die Küstensequenz nach Ravenholm bei Nacht und behebt so einen Zeitsprung des "
     "Originalspiels. OK kopiert die Karten ins Spiel.",
     nullptr, nullptr},
    {IDC_UNCHARTED,
     "Filmic colours and contrast (Uncharted 2 tone mapping). Not together with Haarm Peter Duiker "
     "tone mapping.",
     "Filmähnliche Farben und Kontraste (Uncharted-2-Farbanpassung). Nicht zusammen mit der "
     "Haarm-Peter-Duiker-Farbanpassung.",
     nullptr, nullptr},
    {IDC_SHARPEN, "Sharpens the picture. Costs little frame rate.",
     "Schärft das Bild. Kostet wenig Bildrate.", nullptr, nullptr},
    {IDC_FILMIC, "A film-like gamma curve with softer highlights.",
     "Eine filmähnliche Gammakurve mit weicheren Lichtern.", nullptr, nullptr},
    {IDC_UNCHARTED_STRONGER, "A stronger effect.", "Ein stärkerer Effekt.",
     "Available when Uncharted 2 tone mapping is switched on.",
     "Verfügbar, wenn die Uncharted-2-Farbanpassung eingeschaltet ist."},
    {IDC_UNCHARTED_STRONGEST, "The strongest effect.", "Der stärkste Effekt.",
     "Available when Uncharted 2 tone mapping is switched on.",
     "Verfügbar, wenn die Uncharted-2-Farbanpassung eingeschaltet ist."},
    {IDC_SHARPEN_STRONGER, "Sharpens more.", "Schärft stärker.",
     "Available when sharpening is switched on.",
     "Verfügbar, wenn die Bildschärfung eingeschaltet ist."},
    {IDC_SHARPEN_STRONGEST, "Sharpens most.", "Schärft am stärksten.",
     "Available when sharpening is switched on.",
     "Verfügbar, wenn die Bildschärfung eingeschaltet ist."},
    {IDC_FXAA,
     "Fast anti-aliasing as post-processing. OK switches the game's own anti-aliasing (MSAA) off "
     "in the registry, since both together would cost twice. Costs little frame rate.",
     "Schnelle Kantenglättung als Nachbearbeitung. OK schaltet die eigene Kantenglättung des "
     "Spiels (MSAA) in der Registrierung aus, da beide zusammen doppelt kosten würden. Kostet "
     "wenig Bildrate.",
     nullptr, nullptr},
    {IDC_HPD,
     "Film-like colours (Haarm Peter Duiker tone mapping). Not together with Uncharted 2 tone "
     "mapping.",
     "Filmähnliche Farben (Haarm-Peter-Duiker-Farbanpassung). Nicht zusammen mit der "
     "Uncharted-2-Farbanpassung.",
     nullptr, nullptr},
    {IDC_HPD_STRONGER, "A stronger effect.", "Ein stärkerer Effekt.",
     "Available when Haarm Peter Duiker tone mapping is switched on.",
     "Verfügbar, wenn die Haarm-Peter-Duiker-Farbanpassung eingeschaltet ist."},
    {IDC_HPD_STRONGEST, "The strongest effect.", "Der stärkste Effekt.",
     "Available when Haarm Peter Duiker tone mapping is switched on.",
     "Verfügbar, wenn die Haarm-Peter-Duiker-Farbanpassung eingeschaltet ist."},
};

struct ItemTexts {
  const char* english;
  const char* german;
};

constexpr ItemTexts kBloomItems[8] = {
    {"Slightly", "Leicht"},
    {"Moderate", "Moderat"},
    {"Strong", "Stark"},
    {"Very strong", "Sehr stark"},
    {"Extreme", "Extrem"},
    {"ReShade compatible", "Reshade kompatibel"},
    {"Veyra Mod (recommended)", "Veyra Mod (Empfehlung)"},
    {"Veyra Mod (more bloom)", "Veyra Mod (mehr Bloom)"},
};

constexpr ItemTexts kSunraysItems[2] = {
    {"Moderate", "Moderat"},
    {"Strong", "Stark"},
};

struct MessageTexts {
  Message message;
  const char* english;
  const char* german;
};

constexpr MessageTexts kMessages[] = {
    {Message::kCaption, "Configurator", "Konfigurator"},
    {Message::kRecoveryQuestion,
     "The last change of the game's settings (%1) was interrupted before it was finished.\r\n\r\n"
     "Undo it and put every file back as it was before?",
     "Die letzte Änderung der Spieleinstellungen (%1) wurde unterbrochen, bevor sie fertig war."
     "\r\n\r\nSoll sie rückgängig gemacht und jede Datei wiederhergestellt werden?"},
    {Message::kRestoreQuestion,
     "Undo the change of %1?\r\n\r\nThis puts back %2 files and %3 registry values as they were "
     "before it.",
     "Die Änderung vom %1 rückgängig machen?\r\n\r\nDabei werden %2 Dateien und %3 "
     "Registrierungswerte wiederhergestellt."},
    {Message::kRestoreManyQuestion,
     "Undo the %1 most recent changes, back to the one of %2?\r\n\r\nThis puts back %3 files and "
     "%4 registry values as they were before them.",
     "Die %1 letzten Änderungen bis zu der vom %2 rückgängig machen?\r\n\r\nDabei werden %3 "
     "Dateien und %4 Registrierungswerte wiederhergestellt."},
    {Message::kNothingToRestore, "There is no recorded change to undo.",
     "Es gibt keine gespeicherte Änderung, die rückgängig gemacht werden kann."},
    {Message::kRestoreFailed,
     "Not everything could be put back:\r\n%1\r\n\r\nThe rest was put back. The details are in "
     "VeyraConfig backups\\log.txt.",
     "Nicht alles konnte wiederhergestellt werden:\r\n%1\r\n\r\nDer Rest wurde "
     "wiederhergestellt. Einzelheiten stehen in VeyraConfig backups\\log.txt."},
    {Message::kHistoryTitle,
     "Recorded changes, newest last:", "Gespeicherte Änderungen, die neueste zuletzt:"},
    {Message::kNoHistory, "No change has been recorded yet.",
     "Es wurde noch keine Änderung gespeichert."},
    {Message::kUsage,
     "Veyra Mod Configurator %1\r\n\r\n"
     "VeyraConfig.exe                        opens the settings\r\n"
     "VeyraConfig.exe /restore [N] [/quiet]  undoes the most recent change, or the N most\r\n"
     "                                       recent ones, newest first; /quiet: without asking\r\n"
     "VeyraConfig.exe /history               lists the recorded changes\r\n"
     "VeyraConfig.exe /?                     shows this\r\n",
     "Veyra Mod Konfigurator %1\r\n\r\n"
     "VeyraConfig.exe                        öffnet die Einstellungen\r\n"
     "VeyraConfig.exe /restore [N] [/quiet]  macht die letzte Änderung rückgängig, oder die N\r\n"
     "                                       letzten, die neueste zuerst; /quiet: ohne Nachfrage\r\n"
     "VeyraConfig.exe /history               listet die gespeicherten Änderungen\r\n"
     "VeyraConfig.exe /?                     zeigt diese Hilfe\r\n"},
    {Message::kWrongFolder,
     "The configurator must be started from the game's installation folder, the folder that "
     "holds hl2, VYhl2 and bin.\r\n\r\nIt was started in:\r\n%1\r\n\r\nNothing was changed. "
     "Copy the configurator into the game's installation folder and start it from there.",
     "Der Konfigurator muss aus dem Installationsordner des Spiels gestartet werden, dem Ordner "
     "mit hl2, VYhl2 und bin.\r\n\r\nEr wurde gestartet in:\r\n%1\r\n\r\nEs wurde nichts "
     "geändert. Kopieren Sie den Konfigurator in den Installationsordner des Spiels und starten "
     "Sie ihn von dort."},
    {Message::kBusy,
     "The configurator is already at work in this folder:\r\n%1\r\n\r\nNothing was changed. "
     "Wait until the other configurator window has finished, then try again.",
     "Der Konfigurator arbeitet bereits in diesem Ordner:\r\n%1\r\n\r\nEs wurde nichts "
     "geändert. Warten Sie, bis das andere Konfigurator-Fenster fertig ist, und versuchen Sie es "
     "dann noch einmal."},
    {Message::kSetRefused,
     "The backup set %1 cannot be used. It names something the configurator never changes:"
     "\r\n%2\r\n\r\nNothing was changed.",
     "Die Sicherung %1 kann nicht verwendet werden. Sie nennt etwas, das der Konfigurator nie "
     "ändert:\r\n%2\r\n\r\nEs wurde nichts geändert."},
    {Message::kContentsDamaged,
     "The change cannot be undone: the backups of these files are damaged or missing:\r\n%1"
     "\r\nNothing was changed.",
     "Die Änderung kann nicht rückgängig gemacht werden, weil die Sicherungen dieser Dateien "
     "beschädigt sind oder fehlen:\r\n%1\r\nEs wurde nichts geändert."},
};

// Replaces the item's text where it stands: removed, then inserted again at the same position.
void ReplaceItemText(platform::DialogControls& dialog, int list, int item, const char* text) {
  dialog.RemoveItem(list, item);
  dialog.InsertItem(list, item, text);
}

}  // namespace

std::string MessageText(const std::string& language, Message message,
                        const std::vector<std::string>& inserts) {
  const bool german = IsGermanInterface(language);
  std::string text;
  for (const MessageTexts& texts : kMessages) {
    if (texts.message == message) text = german ? texts.german : texts.english;
  }
  for (std::size_t n = 0; n < inserts.size(); ++n) {
    const std::string marker = "%" + std::to_string(n + 1);
    for (std::size_t at = text.find(marker); at != std::string::npos;
         at = text.find(marker, at + inserts[n].size())) {
      text.replace(at, marker.size(), inserts[n]);
    }
  }
  return text;
}

bool IsGermanInterface(const std::string& language) {
  return language == "german" || language == "deutsch";
}

void InterfaceTexts(const std::string& language, platform::DialogControls& dialog,
                    const ProgramState& state) {
  const bool german = IsGermanInterface(language);
  for (const TranslatedText& text : kTexts) {
    const char* chosen = german ? text.german : text.english;
    if (text.control == 0) {
      dialog.SetCaption(chosen);
    } else {
      dialog.SetText(text.control, chosen);
    }
  }

  for (const ToolTipTexts& tip : kToolTips) {
    const char* unavailable = german ? tip.german_unavailable : tip.english_unavailable;
    dialog.SetToolTip(tip.control, german ? tip.german : tip.english,
                      unavailable ? unavailable : "");
  }

  for (int item = 1; item <= 8; ++item) {
    const ItemTexts& texts = kBloomItems[item - 1];
    ReplaceItemText(dialog, IDC_BLOOM_LEVEL, item, german ? texts.german : texts.english);
  }
  // Replacing the items dropped any selection; select the detected value's level.
  for (int level = 1; level <= 8; ++level) {
    if (state.BloomScaleValues[level] == state.BloomScaleValue) {
      dialog.Select(IDC_BLOOM_LEVEL, level);
      break;
    }
  }

  const int sunrays_level = dialog.Selection(IDC_SUNRAYS_LEVEL);
  for (int item = 1; item <= 2; ++item) {
    const ItemTexts& texts = kSunraysItems[item - 1];
    ReplaceItemText(dialog, IDC_SUNRAYS_LEVEL, item, german ? texts.german : texts.english);
  }
  if (sunrays_level == 1 || sunrays_level == 2) dialog.Select(IDC_SUNRAYS_LEVEL, sunrays_level);
}

std::vector<int> ControlsOfTextRows() {
  std::vector<int> controls;
  for (const TranslatedText& text : kTexts) controls.push_back(text.control);
  return controls;
}

std::vector<int> ControlsOfToolTipRows() {
  std::vector<int> controls;
  for (const ToolTipTexts& tip : kToolTips) controls.push_back(tip.control);
  return controls;
}

}  // namespace veyra::app
