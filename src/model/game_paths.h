// The places in the game folder that the program reads and changes. Each is
// joined directly to the folder the program was started in, so it begins with
// a backslash; a folder ends with one.
#pragma once

#include <array>

namespace veyra::model::paths {

// What tells the game's installation folder: it holds at least one of these.
inline constexpr std::array<const char*, 2> kInstallationMarks = {"\\hl2", "\\VYhl2"};

// The modification's three game folders, in the order every step takes them.
inline constexpr std::array<const char*, 3> kModFolders = {"\\VYhl2", "\\VYepisodic", "\\VYep2"};

// --- console scripts
inline constexpr const char* kConfigCfg = "\\VYhl2\\cfg\\config.cfg";
// The autoexec.cfg of each modification folder; the first is read at start.
inline constexpr std::array<const char*, 3> kConsoleScripts = {
    "\\VYhl2\\cfg\\autoexec.cfg",
    "\\VYepisodic\\cfg\\autoexec.cfg",
    "\\VYep2\\cfg\\autoexec.cfg",
};
// Below each modification folder: where the difficulty settings go.
inline constexpr const char* kCfgFolder = "\\cfg\\";

// --- post-processing precache lists; the first is read at start
inline constexpr std::array<const char*, 3> kPrecacheLists = {
    "\\VYhl2\\shadereditorui\\postprocessing_precache.txt",
    "\\VYepisodic\\shadereditorui\\postprocessing_precache.txt",
    "\\VYep2\\shadereditorui\\postprocessing_precache.txt",
};

// --- markers of what is installed
inline constexpr const char* kVrTag = "\\VR_TAG";
inline constexpr const char* kSpritesTag = "\\hl2\\custom\\1_VY_looseFiles\\materials\\sprites\\tag";
inline constexpr const char* kSkillTag = "\\VYhl2\\cfg\\tag";
inline constexpr const char* kWeaponsTag = "\\hl2\\custom\\1_VY_looseFiles\\models\\weapons\\tag";
inline constexpr const char* kMapsTag = "\\hl2\\custom\\1_VY_looseFiles\\maps\\tag";

// --- content sets and where they go
inline constexpr const char* kRepository = "\\Repository\\";
// Below each game's folder (hl2, episodic, ep2): the loose files the sets are copied over.
inline constexpr const char* kLooseFiles = "\\custom\\1_VY_looseFiles\\";
inline constexpr const char* kCoastMaps = "\\hl2\\custom\\1_VY_looseFiles\\maps\\";

// --- post-processing injectors
inline constexpr const char* kBin = "\\bin\\";
inline constexpr const char* kReShadeFx = "\\bin\\ReShade.fx";
inline constexpr const char* kSweetFxPresetFile = "\\bin\\SweetFX_preset.txt";
inline constexpr const char* kSweetFxPresets = "\\SweetFX\\Presets\\";
inline constexpr const char* kSweetFxBinaries = "\\SweetFX_Resources\\bin\\";
inline constexpr const char* kSweetFxPresetTemplate = "\\SweetFX_Resources\\Main\\SweetFX_preset.txt";
inline constexpr const char* kReShadePackage = "\\Reshade_Resources\\";

// --- the registry: the games' settings keys below HKEY_CURRENT_USER, and the
// anti-aliasing values in them that the program resets (the only values it writes)
inline constexpr std::array<const char*, 6> kGameSettingsKeys = {
    "Software\\Valve\\Source\\ep2\\Settings",   "Software\\Valve\\Source\\episodic\\Settings",
    "Software\\Valve\\Source\\hl2\\Settings",   "Software\\Valve\\Source\\VYep2\\Settings",
    "Software\\Valve\\Source\\VYepisodic\\Settings", "Software\\Valve\\Source\\VYhl2\\Settings",
};
inline constexpr std::array<const char*, 4> kAntiAliasingValues = {
    "mat_antialias", "ScreenMSAA", "mat_aaquality", "ScreenMSAAQuality"};

// --- the program's own: the backups of what it changed, and their log
inline constexpr const char* kBackups = "\\VeyraConfig backups";

// --- the companion tool, in a folder of its own
inline constexpr const char* kCompanionFolder = "\\Mienwerk";
inline constexpr const char* kCompanionTool = "\\Mienwerk\\Mienwerk.exe";

}  // namespace veyra::model::paths
