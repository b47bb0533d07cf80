#include "app/interface_texts.h"

#include <string_view>

#include "model/control_ids.h"
#include "model/options.h"

namespace veyra::app {

using namespace model;
namespace {

// The texts of the controls that are no check box; a check box's own are in its option row.
struct TranslatedText {
  int control;  // 0 = the dialog's caption
  Texts text;
};

constexpr TranslatedText kTexts[] = {
    {0, "Configurator", "Konfigurator"},
    {IDC_RECOMMENDED, "Recommended", "Empfohlen"},
    {IDC_RECOMMENDED2, "Recommended #2", "Empfohlen #2"},
    {IDC_CANCEL, "Cancel", "Abbruch"},
    {IDC_FRAME_ENGINE, "Engine Settings", "Engine Einstellungen"},
    {IDC_PRELOAD_NPC_TEXT,
     "This forces preload of NPC resources (textures and models) into memory on map load. Can "
     "prevent stuttering, but will increase VRAM usage and loading times.",
     "Erzwingt das Vorausladen von NPC Resourcen (Modelle und Texturen). Kann Stottern verhindern, "
     "aber erhöht VRAM-Verbrauch und Ladezeiten."},
    {IDC_PRELOAD_OTHER_TEXT,
     "This forces preload of other resources (textures, sounds and models) into memory on map "
     "load. Can prevent stuttering, but will increase memory usage and loading times.",
     "Erzwingt das Vorausladen von anderen Resourcen (Texturen, Sounds und Modelle). Kann Stottern "
     "verhindern, aber erhöht Speicherverbrauch und Ladezeiten."},
    {IDC_FRAME_GRAPHICS, "Graphics Settings", "Grafik Einstellungen"},
    {IDC_COAST_NIGHT_TEXT,
     "This lets you play the coast sequence after Ravenholm at night, fixing a time lapse in the "
     "original game.",
     "Aktiviert die Küstensequenz (Ravenholm zu Nova Prospekt) bei Nacht. Dies korrigiert einen "
     "Zeitsprung des Originalspiels."},
    {IDC_VEYRA_WEAPONS_TEXT,
     "Activates Veyra Mod's weapons/sounds with ironsight aiming feature. Disabling this option "
     "activates VALVE's original weapons/sounds, without ironsight aiming.",
     "Benutze Veyra Mod Version aller Waffen inklusive neuen Sounds und Ironsight Fähigkeit. "
     "Deaktivieren schaltet um auf originale VALVE Waffen ohne Ironsight-Fähigkeit."},
    {IDC_VEYRA_SKILL_TEXT,
     "Grenades have a bigger blast radius and cause more damage. Bullet hits will consume your "
     "health quicker and headshots are ALWAYS lethal.",
     "Granaten haben einen größeren Explosionsradius und richten mehr Schaden an. Kugeln "
     "verursachen stärkere Verletzungen, und ein Kopftreffer ist IMMER tödlich."},
    {IDC_LARGE_VRAM_TEXT,
     "Activates a special mode to improve performance for GPU's with more than 3GB of VRAM.",
     "Aktiviere hohe VRAM Nutzung (nur geeignet für Grafikkarten mit mehr als 3 GB VRAM)"},
    {IDC_UNDO, "Undo last change...", "Rückgängig machen..."},
};

struct ToolTipTexts {
  int control;
  Texts tip;
  Texts unavailable;
};

// What each list and button does, for its tooltip; the control's unavailable
// texts say why it is greyed out (none: it never is).
constexpr ToolTipTexts kToolTips[] = {
    {IDC_OK,
     "Saves your choices and applies them: the settings block of the three autoexec.cfg, the "
     "content sets, the post-processing files and the anti-aliasing values. Whatever is changed is "
     "first kept in the folder VeyraConfig backups.",
     "Speichert die Auswahl und wendet sie an: den Einstellungsblock der drei autoexec.cfg, die "
     "Inhaltspakete, die Nachbearbeitungsdateien und die Kantenglättungswerte. Alles, was geändert "
     "wird, wird vorher im Ordner VeyraConfig backups gesichert.",
     nullptr, nullptr},
    {IDC_CANCEL, "Closes the program without applying your choices.",
     "Schließt das Programm, ohne die Auswahl zu übernehmen.", nullptr, nullptr},
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
    {IDC_SUNRAYS_LEVEL, "How strong the sun rays are.", "Wie stark die Sonnenstrahlen sind.",
     "Available when the sun rays are switched on.",
     "Verfügbar, wenn die Sonnenstrahlen eingeschaltet sind."},
    {IDC_SWEETFX_PRESET, "The SweetFX preset, one of the files in SweetFX\\Presets.",
     "Die SweetFX-Voreinstellung, eine der Dateien in SweetFX\\Presets.",
     "Available when SweetFX is switched on and ReShade is off.",
     "Verfügbar, wenn SweetFX ein- und Reshade ausgeschaltet ist."},
    {IDC_PRESET_EDIT, "Opens the selected SweetFX preset in Notepad.",
     "Öffnet die gewählte SweetFX-Voreinstellung im Editor.",
     "Available when SweetFX is switched on and ReShade is off.",
     "Verfügbar, wenn SweetFX ein- und Reshade ausgeschaltet ist."},
    {IDC_UNDO,
     "Undoes the last recorded change and puts its files and values back as they were before it.",
     "Macht die letzte gespeicherte Änderung rückgängig und stellt ihre Dateien und Werte wieder "
     "her, wie sie vorher waren.",
     "There is no recorded change to undo.",
     "Es gibt keine gespeicherte Änderung, die rückgängig gemacht werden kann."},
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
     "Undo it and put every file back as it was before?\r\n\r\n"
     "Yes: every file and value it changed is put back as it was before it.\r\n"
     "No: the files stay as they are; what was cut short is shown as not installed, and the "
     "next OK installs or removes it again in full.",
     "Die letzte Änderung der Spieleinstellungen (%1) wurde unterbrochen, bevor sie fertig war."
     "\r\n\r\nSoll sie rückgängig gemacht und jede Datei wiederhergestellt werden?\r\n\r\n"
     "Ja: Jede Datei und jeder Wert, den sie geändert hat, wird wiederhergestellt.\r\n"
     "Nein: Die Dateien bleiben, wie sie sind. Was mittendrin abgebrochen wurde, wird als nicht "
     "installiert angezeigt, und beim nächsten OK wird es vollständig neu installiert oder "
     "entfernt."},
    {Message::kRestoreQuestion,
     "Undo the change of %1?\r\n\r\nThis puts back %2 and %3 as they were before it.",
     "Die Änderung vom %1 rückgängig machen?\r\n\r\nDabei werden %2 und %3 wiederhergestellt."},
    {Message::kRestoreManyQuestion,
     "Undo the %1 most recent changes, back to the one of %2?\r\n\r\nThis puts back %3 and %4 as "
     "they were before them.",
     "Die %1 letzten Änderungen bis zu der vom %2 rückgängig machen?\r\n\r\nDabei werden %3 und "
     "%4 wiederhergestellt."},
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
     "VeyraConfig.exe /restore [N] [/quiet]  undoes the newest change not undone yet, or the\r\n"
     "                                       N newest, newest first; /quiet: without asking\r\n"
     "VeyraConfig.exe /restore NAME          undoes the backup set NAME, an undo included\r\n"
     "VeyraConfig.exe /history               lists the recorded changes with their names\r\n"
     "VeyraConfig.exe /?                     shows this\r\n",
     "Veyra Mod Konfigurator %1\r\n\r\n"
     "VeyraConfig.exe                        öffnet die Einstellungen\r\n"
     "VeyraConfig.exe /restore [N] [/quiet]  macht die neueste noch nicht rückgängig gemachte\r\n"
     "                                       Änderung rückgängig, oder die N neuesten, die\r\n"
     "                                       neueste zuerst; /quiet: ohne Nachfrage\r\n"
     "VeyraConfig.exe /restore NAME          macht die Sicherung NAME rückgängig, auch eine\r\n"
     "                                       Rückgängigmachung\r\n"
     "VeyraConfig.exe /history               listet die gespeicherten Änderungen mit Namen\r\n"
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
    {Message::kNoRoomToRestore,
     "The change cannot be undone: the drive of the game folder has too little free space "
     "for the backups to be copied back:\r\n%3\r\n\r\nNeeded: %1\r\nFree: %2\r\n\r\nNothing "
     "was changed. Free up some space on the drive, then try again.",
     "Die Änderung kann nicht rückgängig gemacht werden, weil auf dem Laufwerk des "
     "Spielordners zu wenig Platz frei ist, um die Sicherungen zurückzukopieren:\r\n%3\r\n"
     "\r\nBenötigt: %1\r\nFrei: %2\r\n\r\nEs wurde nichts geändert. Schaffen Sie Platz auf "
     "dem Laufwerk und versuchen Sie es dann noch einmal."},
    {Message::kNoSuchSet,
     "There is no backup set %1. VeyraConfig.exe /history lists them.\r\n",
     "Es gibt keine Sicherung %1. VeyraConfig.exe /history listet sie auf.\r\n"},
    {Message::kUndoneBy, " (undone by %1)", " (rückgängig gemacht durch %1)"},
    {Message::kGameInUse,
     "The settings cannot be changed while the game uses its files:\r\n%1\r\n\r\nNothing was "
     "changed. Close the game and try again, or cancel to go back to the settings.",
     "Die Einstellungen können nicht geändert werden, solange das Spiel seine Dateien "
     "verwendet:\r\n%1\r\n\r\nEs wurde nichts geändert. Beenden Sie das Spiel und versuchen Sie "
     "es erneut, oder brechen Sie ab, um zu den Einstellungen zurückzukehren."},
    {Message::kGameRunning, "The game (hl2.exe) is running.", "Das Spiel (hl2.exe) läuft."},
    {Message::kFileInUse, "Another program has this file open:\r\n%1",
     "Ein anderes Programm hat diese Datei geöffnet:\r\n%1"},
    {Message::kFileAndOneMoreInUse, "Another program has this file and 1 more open:\r\n%1",
     "Ein anderes Programm hat diese und 1 weitere Datei geöffnet:\r\n%1"},
    {Message::kFilesInUse, "Another program has this file and %2 more open:\r\n%1",
     "Ein anderes Programm hat diese und %2 weitere Dateien geöffnet:\r\n%1"},
    {Message::kNotEnoughSpace,
     "The drive of the game folder has too little free space for this change:\r\n%3\r\n\r\n"
     "Needed, with the backups that let it be undone: %1\r\nFree: %2\r\n\r\nNothing was "
     "changed. Free up some space on the drive, then press OK again.",
     "Auf dem Laufwerk des Spielordners ist für diese Änderung zu wenig Platz frei:\r\n%3\r\n"
     "\r\nBenötigt, mit den Sicherungen zum Rückgängigmachen: %1\r\nFrei: %2\r\n\r\nEs wurde "
     "nichts geändert. Schaffen Sie Platz auf dem Laufwerk und klicken Sie dann noch einmal auf "
     "OK."},
    {Message::kForeignLibrary,
     "Removing the post-processing would delete this file, which did not come with the "
     "modification:\r\n%1\r\n\r\nIt may belong to a program of your own, such as another "
     "injector. Delete it?\r\n\r\nIf not, it stays; everything else is changed as chosen.",
     "Beim Entfernen der Nachbearbeitung würde diese Datei gelöscht, die nicht von der "
     "Modifikation stammt:\r\n%1\r\n\r\nSie kann zu einem eigenen Programm gehören, etwa zu "
     "einem anderen Injektor. Soll sie gelöscht werden?\r\n\r\nWenn nicht, bleibt sie erhalten; "
     "alles andere wird wie gewählt geändert."},
    {Message::kForeignLibraries,
     "Removing the post-processing would delete these files, which did not come with the "
     "modification:\r\n%1\r\n\r\nThey may belong to a program of your own, such as another "
     "injector. Delete them?\r\n\r\nIf not, they stay; everything else is changed as chosen.",
     "Beim Entfernen der Nachbearbeitung würden diese Dateien gelöscht, die nicht von der "
     "Modifikation stammen:\r\n%1\r\n\r\nSie können zu einem eigenen Programm gehören, etwa "
     "zu einem anderen Injektor. Sollen sie gelöscht werden?\r\n\r\nWenn nicht, bleiben sie "
     "erhalten; alles andere wird wie gewählt geändert."},
    {Message::kUndoButtonTip, "Undoes the change of %1:\r\n%2",
     "Macht die Änderung vom %1 rückgängig:\r\n%2"},
    {Message::kChangesUnreadable, "The recorded changes cannot be read: %1",
     "Die gespeicherten Änderungen können nicht gelesen werden: %1"},
    {Message::kUndoQuestion,
     "Undo the change of %1?\r\n\r\nThis brings back:\r\n%2\r\n\r\nThe settings then show "
     "what is installed.",
     "Die Änderung vom %1 rückgängig machen?\r\n\r\nDamit kommt zurück:\r\n%2\r\n\r\n"
     "Die Einstellungen zeigen danach, was installiert ist."},
    {Message::kUnfinishedOkQuestion,
     "Not everything could be changed; the details are in VeyraConfig backups\\log.txt.\r\n\r\n"
     "Undo the whole change of this OK, the console scripts included?\r\n%1\r\n\r\n"
     "Yes: everything is put back as it was before OK.\r\nNo: what was changed stays.",
     "Nicht alles konnte geändert werden; Einzelheiten stehen in VeyraConfig backups\\log.txt."
     "\r\n\r\nSoll die ganze Änderung dieses OK rückgängig gemacht werden, die "
     "Konsolenskripte eingeschlossen?\r\n%1\r\n\r\n"
     "Ja: Alles wird wiederhergestellt, wie es vor OK war.\r\nNein: Was geändert wurde, bleibt."},
    {Message::kUnexpectedError,
     "The program has to end because of an unexpected error:\r\n%1\r\n\r\nIf it was saving "
     "your settings, it offers to undo the unfinished change the next time it starts.",
     "Das Programm muss wegen eines unerwarteten Fehlers beendet werden:\r\n%1\r\n\r\nFalls es "
     "gerade Ihre Einstellungen gespeichert hat, bietet es beim nächsten Start an, die "
     "unvollständige Änderung rückgängig zu machen."},
    {Message::kUnknownError, "unknown error", "unbekannter Fehler"},
    {Message::kHistoryRestore, "restore", "Rückgängigmachung"},
    {Message::kHistoryRecovery, "recovery", "Rückgängigmachung nach Unterbrechung"},
    {Message::kHistoryFilesIn, "%1 in %2", "%1 in %2"},
    {Message::kHistoryInterrupted, " (interrupted)", " (unterbrochen)"},
};

struct CountedTexts {
  Counted noun;
  ItemTexts one;
  ItemTexts more;  // also for none
};

constexpr CountedTexts kCountedNouns[] = {
    {Counted::kFiles, {"file", "Datei"}, {"files", "Dateien"}},
    {Counted::kRegistryValues,
     {"registry value", "Registrierungswert"},
     {"registry values", "Registrierungswerte"}},
};

// The text in the chosen language; "" when there is none.
const char* In(const Texts& texts, bool german) {
  const char* text = german ? texts.german : texts.english;
  return text != nullptr ? text : "";
}

// Replaces the item's text where it stands: removed, then inserted again at the same position.
void ReplaceItemText(platform::DialogControls& dialog, int list, int item, const char* text) {
  dialog.RemoveItem(list, item);
  dialog.InsertItem(list, item, text);
}

}  // namespace

std::string CountText(const std::string& language, Counted noun, std::size_t count) {
  const bool german = IsGermanInterface(language);
  for (const CountedTexts& texts : kCountedNouns) {
    if (texts.noun != noun) continue;
    const ItemTexts& words = count == 1 ? texts.one : texts.more;
    return std::to_string(count) + " " + (german ? words.german : words.english);
  }
  return std::to_string(count);
}

std::string MessageText(const std::string& language, Message message,
                        const std::vector<std::string>& inserts) {
  const bool german = IsGermanInterface(language);
  std::string_view pattern;
  for (const MessageTexts& texts : kMessages) {
    if (texts.message == message) pattern = german ? texts.german : texts.english;
  }
  // One pass over the pattern: an insert is never searched for markers, so a
  // path holding "%2" comes out as it is.
  std::string text;
  for (std::size_t at = 0; at < pattern.size(); ++at) {
    const std::size_t number =
        pattern[at] == '%' && at + 1 < pattern.size() && pattern[at + 1] >= '1' && pattern[at + 1] <= '9'
            ? static_cast<std::size_t>(pattern[at + 1] - '0')
            : 0;
    if (number == 0 || number > inserts.size()) {
      text += pattern[at];
      continue;
    }
    text += inserts[number - 1];
    ++at;
  }
  return text;
}

void InterfaceTexts(const std::string& language, platform::DialogControls& dialog,
                    const ProgramState& state) {
  const bool german = IsGermanInterface(language);
  for (const TranslatedText& text : kTexts) {
    if (text.control == 0) {
      dialog.SetCaption(In(text.text, german));
    } else {
      dialog.SetText(text.control, In(text.text, german));
    }
  }
  for (const ToolTipTexts& tip : kToolTips) {
    dialog.SetToolTip(tip.control, In(tip.tip, german), In(tip.unavailable, german));
  }
  for (const CheckBoxOption& option : CheckBoxOptions()) {
    if (option.label.english != nullptr) dialog.SetText(option.control, In(option.label, german));
    dialog.SetToolTip(option.control, In(option.tip, german), In(option.tip_unavailable, german));
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
  for (const CheckBoxOption& option : CheckBoxOptions()) {
    if (option.label.english != nullptr) controls.push_back(option.control);
  }
  return controls;
}

ToolTip ToolTipOf(const std::string& language, int control) {
  const bool german = IsGermanInterface(language);
  for (const ToolTipTexts& tip : kToolTips) {
    if (tip.control == control) return {In(tip.tip, german), In(tip.unavailable, german)};
  }
  return {};
}

std::vector<int> ControlsOfToolTipRows() {
  std::vector<int> controls;
  for (const ToolTipTexts& tip : kToolTips) controls.push_back(tip.control);
  for (const CheckBoxOption& option : CheckBoxOptions()) controls.push_back(option.control);
  return controls;
}

}  // namespace veyra::app
