// What the workflow tests share: the dialog's control IDs, waiting for the
// states of its controls, a run of the configurator up to its dialog, and the
// game folder's files and anti-aliasing values before and after a run.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "e2e_support.h"

namespace veyra::gui {

// Control IDs of the dialog.
enum : int {
  kOk = 1003,
  kCancel = 1004,
  kAnamorph = 1033,
  kBloom = 1047,
  kBloomLevel = 1048,
  kWeapons = 1054,
  kMienwerk = 1049,
  kMaximumValve = 1056,
  kRecommended = 1057,
  kCoastNight = 1059,
  kVeyraSkill = 1061,
  kSunrays = 1065,
  kRecoil = 1070,
  kFilmic = 1104,
  kSunraysLevel = 1075,
  kSweetFx = 1076,
  kReShade = 1080,
  kPresetList = 1084,
  kPresetEdit = 1085,
  kHideCrosshair = 1086,
  kDof = 1094,
  kDofChromatic = 1098,
  kUncharted = 1102,
  kSharpen = 1103,
  kUnchartedStronger = 1105,
  kUnchartedStrongest = 1106,
  kSharpenStronger = 1111,
  kFxaa = 1113,
  kRecommended2 = 1114,
  kHpd = 1116,
  kHpdStronger = 1117,
  kHpdStrongest = 1118,
  kSharpenStrongest = 1119,
};

constexpr int kAny = -2;  // a property the case does not look at

// The state one control should show; selection is 0-based as the combo box counts.
struct Want {
  int id;
  int check = kAny;
  int enabled = kAny;
  int selection = kAny;
};

// Waits until every control shows its wanted state, then reports each one that does not.
void ExpectControls(HWND dialog, const std::vector<Want>& wants);
// The selected item's text, or "" when none is selected.
std::wstring SelectedItem(HWND dialog, int id);
// Selects the item of this text in a combo box; false when it has none such.
bool SelectItem(HWND dialog, int id, const std::wstring& text);

// A visible top-level window of the process whose title contains `part`, or null.
HWND WindowOf(DWORD process_id, const std::wstring& part);

// Starts the configurator on a game folder and waits for its dialog.
class Session {
 public:
  // `answers` answer the messages shown before the dialog, as Configurator::AnswerWith takes them.
  explicit Session(const GameFolder& game, std::vector<int> answers = {}) : program_(game.path()) {
    program_.AnswerWith(std::move(answers));
    dialog_ = program_.WaitForDialog();
  }
  HWND dialog() const { return dialog_; }
  Configurator& program() { return program_; }

  // OK or Cancel, then the exit; success when the process ended with code 0.
  ::testing::AssertionResult CloseWith(int button);
  ::testing::AssertionResult AwaitExit();

 private:
  Configurator program_;
  HWND dialog_ = nullptr;
};

#define ASSERT_DIALOG(run) \
  ASSERT_NE(nullptr, (run).dialog()) << "no dialog within " << kTimeoutMs << " ms: " << (run).program().Status()

// --- files of the game folder

std::optional<std::string> ReadBytes(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& bytes);
bool Exists(const std::wstring& path);

// Every file and folder below `folder`, by relative path, with the file's bytes
// or their digest (folders map to a marker no file of the sample holds).
using Snapshot = std::map<std::wstring, std::string>;
inline const std::string kFolderMarker = "<folder>";
enum class Keep { kBytes, kDigest };
Snapshot Take(const std::wstring& folder, Keep keep = Keep::kBytes);
// The paths whose presence or content differs.
std::string Differences(const Snapshot& before, const Snapshot& after);
// Every file below `from` has its namesake with the same bytes below `to`.
void ExpectCopied(const std::wstring& from, const std::wstring& to);

// --- the game folder as earlier runs or a larger mod leave it

inline const std::wstring kBackups = L"\\VeyraConfig backups";
inline const std::wstring kLooseFiles = L"\\custom\\1_VY_looseFiles";
inline const wchar_t* const kGames[] = {L"\\hl2", L"\\episodic", L"\\ep2"};

// The game folder's files and folders, without the program's own backups.
Snapshot GameFiles(const GameFolder& game);
// Files below a folder, counted without reading them.
int CountFiles(const std::wstring& folder);
// Copies every file and folder below `from` into `to`, as an earlier run would have.
void CopyInto(const std::wstring& from, const std::wstring& to);
void InstallWeapons(const GameFolder& game);
void InstallSweetFx(const GameFolder& game);

// Large files added to a weapon set's sounds, so that copying the set keeps the
// program busy long enough to be ended midway.
std::wstring SetSounds(const GameFolder& game, const wchar_t* set);
// The mod's weapons to be copied into the games as new files.
void LargeModWeapons(const GameFolder& game);
// The mod's weapons installed, to be replaced file by file by the original ones.
void LargeInstalledModWeapons(const GameFolder& game);

// --- the anti-aliasing keys the program may write

inline const char* const kSettingsKeys[] = {
    "Software\\Valve\\Source\\hl2\\Settings",   "Software\\Valve\\Source\\episodic\\Settings",
    "Software\\Valve\\Source\\ep2\\Settings",   "Software\\Valve\\Source\\VYhl2\\Settings",
    "Software\\Valve\\Source\\VYepisodic\\Settings", "Software\\Valve\\Source\\VYep2\\Settings",
};
inline const char* const kAntiAliasingValues[] = {"mat_antialias", "ScreenMSAA", "mat_aaquality",
                                                  "ScreenMSAAQuality"};

// Removes the keys now and again at the end.
class NoSettingsKeys {
 public:
  NoSettingsKeys() { Remove(); }
  ~NoSettingsKeys() { Remove(); }
  NoSettingsKeys(const NoSettingsKeys&) = delete;
  NoSettingsKeys& operator=(const NoSettingsKeys&) = delete;

 private:
  static void Remove();
};

bool KeyExists(const char* path);

}  // namespace veyra::gui
