#include "app/change_description.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "app/detection.h"
#include "app/interface_texts.h"
#include "backups/store.h"
#include "install/apply_phase.h"
#include "model/control_ids.h"
#include "model/game_paths.h"
#include "model/options.h"

namespace veyra::app {

using namespace model;
namespace {

using backups::Change;

// A game path without its leading backslash, as a set names it.
std::string_view Relative(const char* path) { return std::string_view(path).substr(1); }

bool SameNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// Whether `subject` is `folder` (ending in a backslash) or lies below it.
bool Below(std::string_view subject, std::string_view folder) {
  if (SameNoCase(std::string(subject) + '\\', folder)) return true;
  return subject.size() > folder.size() && SameNoCase(subject.substr(0, folder.size()), folder);
}

bool IsFile(const Change& change, const char* path) {
  return change.kind != Change::Kind::kValue && SameNoCase(change.subject, Relative(path));
}

bool IsConsoleScript(const Change& change) {
  return std::any_of(paths::kConsoleScripts.begin(), paths::kConsoleScripts.end(),
                     [&](const char* script) { return IsFile(change, script); });
}

bool IsWeaponFile(const Change& change) {
  if (change.kind == Change::Kind::kValue) return false;
  for (const char* game : {"hl2", "episodic", "ep2"}) {
    for (const char* folder : install::kWeaponFolders) {
      if (Below(change.subject, std::string(game) + paths::kLooseFiles + folder)) return true;
    }
  }
  return false;
}

bool IsSpriteFile(const Change& change) {
  return change.kind != Change::Kind::kValue &&
         Below(change.subject, std::string("hl2") + paths::kLooseFiles + "materials\\sprites\\");
}

bool IsDifficultyFile(const Change& change) {
  return change.kind != Change::Kind::kValue &&
         std::any_of(paths::kModFolders.begin(), paths::kModFolders.end(), [&](const char* mod) {
           return Below(change.subject, std::string(Relative(mod)) + paths::kCfgFolder);
         });
}

bool IsCoastFile(const Change& change) {
  return change.kind != Change::Kind::kValue && Below(change.subject, Relative(paths::kCoastMaps));
}

bool IsSweetFxPresetFile(const Change& change) {
  return IsFile(change, paths::kSweetFxPresetFile);
}

bool IsReShadeMarker(const Change& change) { return IsFile(change, paths::kReShadeFx); }

bool IsVrTag(const Change& change) { return IsFile(change, paths::kVrTag); }

// The injectors' files lie in bin and in the game folder itself; so does the
// VR tag, which is matched before.
bool IsInjectorFile(const Change& change) {
  return change.kind != Change::Kind::kValue &&
         (Below(change.subject, Relative(paths::kBin)) ||
          change.subject.find('\\') == std::string::npos);
}

bool IsAntiAliasingValue(const Change& change) {
  if (change.kind != Change::Kind::kValue) return false;
  const bool key = std::any_of(
      paths::kGameSettingsKeys.begin(), paths::kGameSettingsKeys.end(), [&](const char* settings) {
        return SameNoCase(change.subject, std::string("HKCU\\") + settings);
      });
  return key && std::any_of(paths::kAntiAliasingValues.begin(), paths::kAntiAliasingValues.end(),
                            [&](const char* name) { return SameNoCase(change.value_name, name); });
}

bool IsSunraysList(const Change& change) {
  return std::any_of(paths::kPrecacheLists.begin(), paths::kPrecacheLists.end(),
                     [&](const char* list) { return IsFile(change, list); });
}

// How a group tells what its undo brings back.
enum class Direction {
  kNone,      // it does not: the item names the files only
  kTag,       // from the old content of the content set's tag
  kPresence,  // from whether the marker file was there before
};

// The changes that belong to one option, and how the player reads them.
struct Group {
  int control;
  bool (*owns)(const Change&);
  Texts name;
  Direction direction;
  // kTag: the content set's; kPresence: the file whose presence means "on".
  bool (*marker)(const Change&);
  Texts with;     // the box's content installed, or the marker there
  Texts without;  // the other
  Texts files = {"the files", "die Dateien"};  // what an undirected item names
};

bool IsWeaponsTag(const Change& change) { return IsFile(change, MarkerOf(IDC_VEYRA_WEAPONS).tag); }
bool IsSpritesTag(const Change& change) {
  return IsFile(change, MarkerOf(IDC_ANAMORPH_FLARES).tag);
}
bool IsSkillTag(const Change& change) { return IsFile(change, MarkerOf(IDC_VEYRA_SKILL).tag); }
bool IsMapsTag(const Change& change) { return IsFile(change, MarkerOf(IDC_COAST_NIGHT).tag); }

constexpr Texts kOn = {"on", "an"};
constexpr Texts kOff = {"off", "aus"};

// In the order the items are listed; a change belongs to the first group
// that owns it. The console scripts are listed first, by a rule of their own.
const Group kGroups[] = {
    {IDC_VEYRA_WEAPONS, IsWeaponFile, {"Weapons", "Waffen"}, Direction::kTag, IsWeaponsTag,
     {"Veyra Mod's weapons", "Veyra-Mod-Waffen"}, {"original weapons", "originale Waffen"}},
    {IDC_ANAMORPH_FLARES, IsSpriteFile, {"Lens flares", "Lichteffekte"}, Direction::kTag,
     IsSpritesTag, {"anamorphic", "anamorph"}, {"round", "rund"}},
    {IDC_VEYRA_SKILL, IsDifficultyFile, {"Difficulty", "Schwierigkeit"}, Direction::kTag,
     IsSkillTag, {"Veyra Mod's", "Veyra Mod"}, {"original", "original"}},
    {IDC_COAST_NIGHT, IsCoastFile, {"Coast sequence", "Küstensequenz"}, Direction::kTag, IsMapsTag,
     {"at night", "bei Nacht"}, {"by day", "bei Tag"}},
    {IDC_SWEETFX, IsSweetFxPresetFile, {"SweetFX", "SweetFX"}, Direction::kPresence,
     IsSweetFxPresetFile, kOn, kOff, {"its preset", "die Voreinstellung"}},
    {IDC_RESHADE, IsReShadeMarker, {"ReShade", "Reshade"}, Direction::kPresence, IsReShadeMarker,
     kOn, kOff},
    {IDC_FXAA, IsAntiAliasingValue, {"Anti-aliasing", "Kantenglättung"}, Direction::kNone, nullptr,
     {}, {}, {"the games' MSAA values", "die MSAA-Werte der Spiele"}},
    {IDC_SUNRAYS, IsSunraysList, {"Sun rays", "Sonnenstrahlen"}, Direction::kNone, nullptr, {}, {},
     {"the effect lists of the games", "die Effektlisten der Spiele"}},
    {0, IsVrTag, {"VR mode", "VR-Modus"}, Direction::kPresence, IsVrTag, kOn, kOff},
};

const char* In(const Texts& texts, bool german) { return german ? texts.german : texts.english; }

// "the console scripts of the three games", or of the games named.
std::string ConsoleScriptsItem(const std::vector<const Change*>& scripts, bool german) {
  if (scripts.size() == paths::kConsoleScripts.size()) {
    return german ? "die Konsolenskripte der drei Spiele" : "the console scripts of the three games";
  }
  std::string games;
  for (std::size_t n = 0; n < scripts.size(); ++n) {
    if (n > 0) games += german ? " und " : " and ";
    games += scripts[n]->subject.substr(0, scripts[n]->subject.find('\\'));
  }
  if (scripts.size() == 1) {
    return (german ? "das Konsolenskript von " : "the console script of ") + games;
  }
  return (german ? "die Konsolenskripte von " : "the console scripts of ") + games;
}

// "1 other file", "2 other files"; the noun agrees with the number.
std::string OtherItem(std::size_t count, bool values, bool german) {
  const bool one = count == 1;
  const char* noun = nullptr;
  if (values) {
    noun = german ? (one ? "weiterer Registrierungswert" : "weitere Registrierungswerte")
                  : (one ? "other registry value" : "other registry values");
  } else {
    noun = german ? (one ? "weitere Datei" : "weitere Dateien")
                  : (one ? "other file" : "other files");
  }
  return std::to_string(count) + " " + noun;
}

// Whether the group's content was installed (its box checked) before the
// change, as far as the change tells; nothing when it does not.
std::optional<bool> InstalledBefore(const Group& group, const std::vector<const Change*>& changes,
                                    const KeptContent& kept) {
  const auto marker = std::find_if(changes.begin(), changes.end(),
                                   [&](const Change* change) { return group.marker(*change); });
  if (marker == changes.end()) return std::nullopt;
  const Change& change = **marker;
  if (group.direction == Direction::kPresence) {
    // Rewritten, it was there before and after: nothing switched.
    if (change.old_hash.has_value() == change.new_hash.has_value()) return std::nullopt;
    return change.old_hash.has_value();
  }
  // As the detection reads a tag: one that was not there means the other set.
  if (!change.old_hash) return false;
  const std::optional<std::string> tag = kept ? kept(*change.old_hash) : std::nullopt;
  if (!tag) return std::nullopt;
  return tag->find(MarkerOf(group.control).word) != std::string::npos;
}

// The group a change belongs to: its index in kGroups, or nothing.
std::optional<std::size_t> GroupOf(const Change& change) {
  for (std::size_t n = 0; n < std::size(kGroups); ++n) {
    if (kGroups[n].owns(change)) return n;
  }
  return std::nullopt;
}

std::size_t IndexOf(int control) {
  for (std::size_t n = 0; n < std::size(kGroups); ++n) {
    if (kGroups[n].control == control) return n;
  }
  return std::size(kGroups);
}

struct MonthName {
  const char* english;
  const char* german;
};
constexpr MonthName kMonths[12] = {
    {"January", "Januar"}, {"February", "Februar"}, {"March", "März"},
    {"April", "April"},    {"May", "Mai"},          {"June", "Juni"},
    {"July", "Juli"},      {"August", "August"},    {"September", "September"},
    {"October", "Oktober"}, {"November", "November"}, {"December", "Dezember"},
};

}  // namespace

KeptContent KeptContentOf(platform::Os& os, const std::string& game_folder) {
  return [&os, game_folder](const std::string& hash) -> std::optional<std::string> {
    backups::Store store(os, game_folder);
    std::string bytes;
    if (store.ReadBytes(hash, bytes) != platform::error::kSuccess) return std::nullopt;
    return bytes;
  };
}

std::vector<std::string> WhatUndoingBringsBack(const backups::BackupSet& set,
                                               const std::string& language,
                                               const KeptContent& kept) {
  const bool german = IsGermanInterface(language);
  std::vector<const Change*> scripts;
  std::vector<std::vector<const Change*>> grouped(std::size(kGroups));
  std::vector<const Change*> injector_files;
  std::size_t other_files = 0;
  std::size_t other_values = 0;
  for (const Change& change : set.changes) {
    if (IsConsoleScript(change)) {
      if (std::find_if(scripts.begin(), scripts.end(), [&](const Change* seen) {
            return SameNoCase(seen->subject, change.subject);
          }) == scripts.end()) {
        scripts.push_back(&change);
      }
    } else if (const std::optional<std::size_t> group = GroupOf(change)) {
      grouped[*group].push_back(&change);
    } else if (IsInjectorFile(change)) {
      injector_files.push_back(&change);
    } else if (change.kind == Change::Kind::kValue) {
      ++other_values;
    } else {
      ++other_files;
    }
  }
  // The files the injectors share go with whichever of them changed.
  const bool injector_changed =
      !grouped[IndexOf(IDC_SWEETFX)].empty() || !grouped[IndexOf(IDC_RESHADE)].empty();
  if (!injector_changed) other_files += injector_files.size();

  std::vector<std::string> items;
  if (!scripts.empty()) items.push_back(ConsoleScriptsItem(scripts, german));
  for (std::size_t n = 0; n < std::size(kGroups); ++n) {
    if (grouped[n].empty()) continue;
    const Group& group = kGroups[n];
    std::string item = std::string(In(group.name, german)) + ": ";
    const std::optional<bool> before =
        group.direction == Direction::kNone ? std::nullopt : InstalledBefore(group, grouped[n], kept);
    if (before) {
      item += std::string(In(*before ? group.without : group.with, german)) + " → " +
              In(*before ? group.with : group.without, german);
    } else {
      item += In(group.files, german);
    }
    items.push_back(item);
  }
  if (other_files > 0) items.push_back(OtherItem(other_files, false, german));
  if (other_values > 0) items.push_back(OtherItem(other_values, true, german));
  return items;
}

std::vector<int> OptionsOfLastChange(const backups::BackupSet& set) {
  if (set.changes.empty()) return {};
  const Change& last = set.changes.back();
  if (IsConsoleScript(last)) return {};
  if (const std::optional<std::size_t> group = GroupOf(last)) {
    const int control = kGroups[*group].control;
    constexpr int kSteps[] = {IDC_VEYRA_WEAPONS, IDC_ANAMORPH_FLARES, IDC_VEYRA_SKILL,
                              IDC_COAST_NIGHT, IDC_SWEETFX};
    if (std::find(std::begin(kSteps), std::end(kSteps), control) != std::end(kSteps)) {
      return {control};
    }
    // ReShade's marker is one of SweetFX's files too.
    if (control == IDC_RESHADE) return {IDC_SWEETFX, IDC_RESHADE};
    return {};
  }
  if (IsInjectorFile(last)) return {IDC_SWEETFX, IDC_RESHADE};
  return {};
}

std::string ChangeTimeText(const std::string& started, const std::string& language) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  char end = 0;
  if (std::sscanf(started.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &year, &month, &day, &hour,
                  &minute, &second, &end) != 6 ||
      month < 1 || month > 12) {
    return started;
  }
  const MonthName& name = kMonths[month - 1];
  char text[64];
  if (IsGermanInterface(language)) {
    std::snprintf(text, sizeof text, "%d. %s %d, %02d:%02d Uhr", day, name.german, year, hour,
                  minute);
  } else {
    std::snprintf(text, sizeof text, "%d %s %d, %02d:%02d", day, name.english, year, hour, minute);
  }
  return text;
}

}  // namespace veyra::app
