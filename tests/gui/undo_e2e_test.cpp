// Undoing what the real VeyraConfig.exe changed: /restore after a finished OK,
// the offer at the next start after a run that was ended midway, a content
// switch put back whole when one of its copies fails, and the commands'
// output and exit codes.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "automation.h"
#include "e2e_support.h"
#include "workflow_support.h"

namespace veyra::gui {
namespace {

// The files and folders below some folders of the game, by path below the game folder.
Snapshot FilesBelow(const GameFolder& game, const std::vector<std::wstring>& folders) {
  Snapshot files;
  for (const std::wstring& folder : folders) {
    for (const auto& [path, bytes] : Take(game.path() + folder)) files[folder + path] = bytes;
  }
  return files;
}

// The name of the file a listing of the folder gives last, or "" for none.
std::wstring LastListed(const std::wstring& folder) {
  std::wstring last;
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return last;
  do {
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) last = entry.cFileName;
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  return last;
}

std::string Lookup(const Snapshot& snapshot, const std::wstring& path) {
  const auto it = snapshot.find(path);
  return it == snapshot.end() ? "<missing>" : it->second;
}

// What a run of the program with its standard output redirected leaves.
struct Output {
  std::optional<DWORD> code;
  std::string text;  // what it wrote to its standard output
  std::size_t messages = 0;
  std::string status;
};

enum class Redirection { kFile, kPipe };

Output RunRedirected(const GameFolder& game, const std::wstring& arguments, Redirection to) {
  SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
  Output out;
  HANDLE read = nullptr, write = nullptr;
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring file =
      std::wstring(temp) + L"veyra-gui-output-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
  if (to == Redirection::kPipe) {
    // Large enough for the whole output: it is read once the program has ended.
    if (!CreatePipe(&read, &write, &inheritable, 1 << 16)) {
      out.status = "no pipe, error " + std::to_string(GetLastError());
      return out;
    }
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  } else {
    write = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (write == INVALID_HANDLE_VALUE) {
      out.status = "no output file, error " + std::to_string(GetLastError());
      return out;
    }
  }
  {
    Configurator program(game.path(), arguments, write);
    // From here the program holds the only writing end, so the pipe ends with it.
    CloseHandle(write);
    out.code = program.WaitForExit();
    out.messages = program.messages().size();
    out.status = program.Status();
  }
  if (to == Redirection::kPipe) {
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(read, buffer, sizeof buffer, &got, nullptr) && got > 0) out.text.append(buffer, got);
    CloseHandle(read);
  } else {
    out.text = ReadBytes(file).value_or("");
    DeleteFileW(file.c_str());
  }
  return out;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

// --- the anti-aliasing values, each with its type and data or absent

using Values = std::map<std::string, std::optional<std::pair<DWORD, std::string>>>;

Values ReadValues() {
  Values values;
  for (const char* path : kSettingsKeys) {
    HKEY key = nullptr;
    const bool open = RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) == ERROR_SUCCESS;
    for (const char* name : kAntiAliasingValues) {
      std::optional<std::pair<DWORD, std::string>>& value = values[std::string(path) + " " + name];
      DWORD type = REG_NONE, size = 0;
      if (!open || RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) continue;
      std::string data(size, '\0');
      if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) ==
          ERROR_SUCCESS) {
        data.resize(size);
        value = std::make_pair(type, data);
      }
    }
    if (open) RegCloseKey(key);
  }
  return values;
}

std::string Show(const std::optional<std::pair<DWORD, std::string>>& value) {
  if (!value) return "absent";
  std::string bytes;
  for (unsigned char c : value->second) {
    char hex[4];
    snprintf(hex, sizeof hex, "%02x", c);
    bytes += hex;
  }
  return "type " + std::to_string(value->first) + " data " + bytes;
}

std::string ValueDifferences(const Values& before, const Values& after) {
  std::string out;
  for (const auto& [name, value] : before) {
    const auto it = after.find(name);
    const std::optional<std::pair<DWORD, std::string>> now =
        it == after.end() ? std::nullopt : it->second;
    if (now != value) out += " " + name + ": " + Show(value) + " -> " + Show(now) + ";";
  }
  return out;
}

void SetValue(const char* path, const char* name, DWORD type, const std::string& data) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS,
                                           nullptr, &key, nullptr))
      << path;
  const LSTATUS status = RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                        static_cast<DWORD>(data.size()));
  RegCloseKey(key);
  ASSERT_EQ(ERROR_SUCCESS, status) << path << " " << name;
}

std::string Dword(DWORD value) { return std::string(reinterpret_cast<const char*>(&value), sizeof value); }

// What a player's earlier settings may have left: values to be overwritten, one
// already as the reset writes it, one of another type; the rest absent.
void SeedValues() {
  SetValue("Software\\Valve\\Source\\hl2\\Settings", "mat_antialias", REG_DWORD, Dword(4));
  SetValue("Software\\Valve\\Source\\hl2\\Settings", "ScreenMSAA", REG_DWORD, Dword(8));
  SetValue("Software\\Valve\\Source\\episodic\\Settings", "mat_aaquality", REG_DWORD, Dword(0));
  SetValue("Software\\Valve\\Source\\VYhl2\\Settings", "ScreenMSAAQuality", REG_SZ, std::string("2\0", 2));
}

// --- OK, then /restore /quiet

struct RestoreCase {
  const char* name;
  void (*prepare)(const GameFolder&);  // what earlier runs installed, or null
  std::vector<int> ticked;            // check boxes ticked (or unticked) before OK
  const wchar_t* preset;              // the SweetFX preset chosen, or null
  std::vector<std::wstring> changed;  // files OK adds, changes or deletes
  bool changes_values;                // whether OK changes anti-aliasing values
};

void PrintTo(const RestoreCase& c, std::ostream* out) { *out << c.name; }

const RestoreCase kRestoreCases[] = {
    {"Weapons", nullptr, {kWeapons}, nullptr,
     {L"\\hl2" + kLooseFiles + L"\\models\\weapons\\tag", L"\\ep2" + kLooseFiles + L"\\sound\\weapons\\smg1\\fire1.wav"},
     false},
    {"OriginalWeaponsOverInstalledOnes", InstallWeapons, {kWeapons}, nullptr,
     {L"\\hl2" + kLooseFiles + L"\\models\\weapons\\tag", L"\\ep2" + kLooseFiles + L"\\sound\\weapons\\smg1\\fire1.wav"},
     false},
    {"AnamorphicFlares", nullptr, {kAnamorph}, nullptr,
     {L"\\hl2" + kLooseFiles + L"\\materials\\sprites\\glow01.vmt"}, false},
    {"Difficulty", nullptr, {kVeyraSkill}, nullptr, {L"\\VYhl2\\cfg\\skill.cfg", L"\\VYep2\\cfg\\tag"}, false},
    {"NightCoast", nullptr, {kCoastNight}, nullptr,
     {L"\\hl2" + kLooseFiles + L"\\maps\\d2_coast_01.bsp", L"\\hl2" + kLooseFiles + L"\\maps\\graphs\\d2_coast_01.ain"},
     false},
    {"SweetFxWithSmaaPreset", nullptr, {kSweetFx}, L"SMAA_Sharp",
     {L"\\bin\\d3d9.dll", L"\\bin\\SweetFX_preset.txt"}, true},
    {"SweetFxRemoved", InstallSweetFx, {kSweetFx}, nullptr,
     {L"\\bin\\d3d9.dll", L"\\bin\\SweetFX_preset.txt"}, false},
    {"ReShade", nullptr, {kReShade}, nullptr, {L"\\bin\\ReShade.fx", L"\\bin\\d3d9.dll"}, false},
    {"Fxaa", nullptr, {kFxaa}, nullptr, {}, true},
};

class UndoRestoreTest : public ::testing::TestWithParam<RestoreCase> {};

TEST_P(UndoRestoreTest, RestoreQuietPutsBackEveryFileAndValueOkChanged) {
  const RestoreCase& c = GetParam();
  const SteamLanguageValue language("english");
  const NoSettingsKeys no_keys;
  ASSERT_NO_FATAL_FAILURE(SeedValues());
  const GameFolder game;
  ASSERT_TRUE(game.holds_game()) << "VEYRA_SAMPLE_GAME names no sample game";
  if (c.prepare) {
    ASSERT_NO_FATAL_FAILURE(c.prepare(game));
  }
  Snapshot files_before;
  Values values_before;
  {
    Session run(game);
    ASSERT_DIALOG(run);
    // Taken with the dialog open: a start creates the console scripts it misses.
    files_before = GameFiles(game);
    values_before = ReadValues();
    std::vector<Want> turned;
    for (int id : c.ticked) {
      const int was = ReadControl(run.dialog(), Control(run.dialog(), id)).check;
      ASSERT_TRUE(Click(run.dialog(), id)) << id;
      turned.push_back({id, was == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED});
    }
    ExpectControls(run.dialog(), turned);
    if (c.preset) {
      ASSERT_TRUE(SelectItem(run.dialog(), kPresetList, c.preset)) << Utf8(c.preset);
    }
    ASSERT_TRUE(run.CloseWith(kOk));
    EXPECT_TRUE(run.program().messages().empty()) << run.program().Status();
  }
  const Snapshot files_after_ok = GameFiles(game);
  for (const std::wstring& path : c.changed) {
    EXPECT_NE(Lookup(files_before, path), Lookup(files_after_ok, path)) << Utf8(path) << " did not change";
  }
  const Values values_after_ok = ReadValues();
  EXPECT_EQ(c.changes_values, values_after_ok != values_before)
      << "values changed by OK:" << ValueDifferences(values_before, values_after_ok);

  Configurator restore(game.path(), L"/restore /quiet");
  const std::optional<DWORD> code = restore.WaitForExit();
  ASSERT_TRUE(code.has_value()) << restore.Status();
  EXPECT_EQ(0u, *code) << restore.Status();
  EXPECT_TRUE(restore.messages().empty()) << restore.Status();
  EXPECT_EQ("", Differences(files_before, GameFiles(game)));
  EXPECT_EQ("", ValueDifferences(values_before, ReadValues()));
}

INSTANTIATE_TEST_SUITE_P(Undo, UndoRestoreTest, ::testing::ValuesIn(kRestoreCases),
                         [](const auto& info) { return std::string(info.param.name); });

// --- a run ended during a copy

// Each case in one interface language, which the recovery question and the
// wait window's caption follow.
struct InterruptedCase {
  const char* name;
  void (*prepare)(const GameFolder&);
  const wchar_t* copied_set;  // the set the weapons switch copies
  const char* registry_value;
  const wchar_t* wait_caption;
  const wchar_t* question_start;
  const wchar_t* question_part;
  int wanted;  // the weapons box as the player sets it for this switch
};

void PrintTo(const InterruptedCase& c, std::ostream* out) { *out << c.name; }

const InterruptedCase kInterruptedCases[] = {
    {"NewFilesEnglish", LargeModWeapons, L"HD_weapons", "english", L"Copy files",
     L"The last change of the game's settings (", L") was interrupted", BST_CHECKED},
    {"ReplacedFilesGerman", LargeInstalledModWeapons, L"LO_weapons", "german", L"Kopiere Dateien",
     L"Die letzte \u00c4nderung der Spieleinstellungen (", L") wurde unterbrochen", BST_UNCHECKED},
};

// A file's size and time of last writing, or "<absent>". Read without opening
// the file: before the program copies over a file it moves the old one into its
// backups, which a handle of the test's without FILE_SHARE_DELETE would refuse.
std::string Stamp(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return "<absent>";
  const ULARGE_INTEGER written{{data.ftLastWriteTime.dwLowDateTime, data.ftLastWriteTime.dwHighDateTime}};
  return std::to_string(data.nFileSizeLow) + " bytes, written at " + std::to_string(written.QuadPart);
}

// Starts the program, switches the weapons, presses OK and ends the program
// by force midway through the switch; `before`, unless null, gets the files as
// the dialog found them.
void EndDuringTheSwitch(const GameFolder& game, const InterruptedCase& c, Snapshot* before = nullptr) {
  const std::wstring tag = game.path() + L"\\hl2" + kLooseFiles + L"\\models\\weapons\\tag";
  const std::wstring last_sounds = game.path() + L"\\ep2" + kLooseFiles + L"\\sound\\weapons";
  Session run(game);
  ASSERT_DIALOG(run);
  if (before) *before = GameFiles(game);
  const std::string tag_before = Stamp(tag);
  ASSERT_TRUE(Click(run.dialog(), kWeapons));
  ASSERT_TRUE(Click(run.dialog(), kOk));
  // Ended once the wait window is up and the switch has begun with the first
  // game's tag file; the large sounds follow it.
  ASSERT_TRUE(WaitUntil(kTimeoutMs, [&] {
    return (WindowOf(run.program().id(), c.wait_caption) && Stamp(tag) != tag_before) ||
           !run.program().Running();
  })) << "the switch did not begin: the tag file " << Stamp(tag) << " as before; " << run.program().Status();
  ASSERT_TRUE(run.program().Running()) << "it ended before it could be ended: " << run.program().Status();
  ASSERT_TRUE(run.program().Kill());
  // Otherwise the set is too small for this machine.
  ASSERT_NE(Take(SetSounds(game, c.copied_set), Keep::kDigest), Take(last_sounds, Keep::kDigest))
      << "the copy had finished";
}

// Each file of a content set (below `set`) that is missing below `copy` or
// holds other bytes there, with both digests.
std::string NotCopied(const std::wstring& set, const std::wstring& copy) {
  const Snapshot copied = Take(copy, Keep::kDigest);
  std::string out;
  for (const auto& [path, digest] : Take(set, Keep::kDigest)) {
    if (digest == kFolderMarker) continue;
    const std::string found = Lookup(copied, path);
    if (found != digest) out += " " + Utf8(copy + path) + ": " + found + ", the set's " + digest + ";";
  }
  return out;
}

class UndoInterruptedTest : public ::testing::TestWithParam<InterruptedCase> {};

TEST_P(UndoInterruptedTest, EndedDuringTheCopyThenYesAtTheNextStartPutsBackTheFilesBeforeOk) {
  const InterruptedCase& c = GetParam();
  const SteamLanguageValue language(c.registry_value);
  const GameFolder game;
  ASSERT_TRUE(game.holds_game());
  ASSERT_NO_FATAL_FAILURE(c.prepare(game));
  Snapshot before;
  ASSERT_NO_FATAL_FAILURE(EndDuringTheSwitch(game, c, &before));
  {
    Session again(game);  // answers the question with its first button, Yes
    ASSERT_DIALOG(again);
    const std::vector<MessageSeen>& messages = again.program().messages();
    ASSERT_EQ(1u, messages.size()) << again.program().Status();
    EXPECT_EQ(0u, messages[0].text.find(c.question_start)) << Utf8(messages[0].text);
    EXPECT_NE(std::wstring::npos, messages[0].text.find(c.question_part)) << Utf8(messages[0].text);
    EXPECT_EQ(IDYES, messages[0].answer);
    ASSERT_TRUE(again.CloseWith(kCancel));
  }
  EXPECT_EQ("", Differences(before, GameFiles(game)));
  {
    Session third(game);
    ASSERT_DIALOG(third);
    EXPECT_TRUE(third.program().messages().empty()) << third.program().Status();
    ASSERT_TRUE(third.CloseWith(kCancel));
  }
  // The undoing is recorded as a change of its own, so it can be undone in turn.
  const Output history = RunRedirected(game, L"/history", Redirection::kFile);
  const std::vector<std::string> lines = Lines(history.text);
  ASSERT_EQ(3u, lines.size()) << history.status << "; it wrote: " << history.text;
  // The history speaks the interface language.
  const bool german = std::string(c.registry_value) == "german";
  EXPECT_NE(std::string::npos, lines[1].find("  OK: ")) << lines[1];
  EXPECT_EQ(std::string::npos, lines[1].find(german ? "unterbrochen" : "interrupted")) << lines[1];
  EXPECT_NE(std::string::npos,
            lines[2].find(german ? "  R\xc3\xbc" "ckg\xc3\xa4ngigmachung nach Unterbrechung: "
                                 : "  recovery: "))
      << lines[2];
}

// No keeps the half-switched files: the weapons show as not installed, and the
// OK that follows switches them whole, even with the box left as it shows (the
// original weapons): every file of the set in each game with the set's bytes.
TEST_P(UndoInterruptedTest, EndedDuringTheCopyThenNoAtTheNextStartShowsItNotInstalledAndOkSwitchesItWhole) {
  const InterruptedCase& c = GetParam();
  const SteamLanguageValue language(c.registry_value);
  const GameFolder game;
  ASSERT_TRUE(game.holds_game());
  ASSERT_NO_FATAL_FAILURE(c.prepare(game));
  ASSERT_NO_FATAL_FAILURE(EndDuringTheSwitch(game, c));
  const std::wstring cut_short_list = game.path() + kBackups + L"\\cut short.txt";
  {
    Session again(game, {IDNO});
    ASSERT_DIALOG(again);
    const std::vector<MessageSeen>& messages = again.program().messages();
    ASSERT_EQ(1u, messages.size()) << again.program().Status();
    EXPECT_EQ(0u, messages[0].text.find(c.question_start)) << Utf8(messages[0].text);
    EXPECT_EQ(IDNO, messages[0].answer);
    EXPECT_TRUE(Exists(cut_short_list)) << Utf8(cut_short_list);
    ExpectControls(again.dialog(), {{kWeapons, BST_UNCHECKED}});
    if (c.wanted == BST_CHECKED) {
      ASSERT_TRUE(Click(again.dialog(), kWeapons));
    }
    ExpectControls(again.dialog(), {{kWeapons, c.wanted}});
    ASSERT_TRUE(again.CloseWith(kOk));
    EXPECT_EQ(1u, messages.size()) << again.program().Status();
  }
  const std::wstring set = game.path() + L"\\Repository\\" + c.copied_set + L"\\hl2";
  ASSERT_NE(0, CountFiles(set)) << Utf8(set);
  for (const wchar_t* name : kGames) {
    EXPECT_EQ("", NotCopied(set, game.path() + name + kLooseFiles)) << Utf8(name);
  }
  EXPECT_FALSE(Exists(cut_short_list)) << Utf8(cut_short_list);
  Session third(game);
  ASSERT_DIALOG(third);
  EXPECT_TRUE(third.program().messages().empty()) << third.program().Status();
  ExpectControls(third.dialog(), {{kWeapons, c.wanted}});
  ASSERT_TRUE(third.CloseWith(kCancel));
}

INSTANTIATE_TEST_SUITE_P(Undo, UndoInterruptedTest, ::testing::ValuesIn(kInterruptedCases),
                         [](const auto& info) { return std::string(info.param.name); });

// --- a step that cannot finish

// A folder stands where the step would copy a file: the file its source folder
// lists last, so that the step has copied the others before it fails.
struct StepCase {
  const char* name;
  int ticked;
  const wchar_t* source;       // below the game folder
  const wchar_t* destination;  // where the source's files go
  std::vector<std::wstring> watched;  // folders the step writes to
};

void PrintTo(const StepCase& c, std::ostream* out) { *out << c.name; }

const StepCase kStepCases[] = {
    {"Weapons", kWeapons, L"\\Repository\\HD_weapons\\hl2\\sound\\weapons\\ar2",
     L"\\hl2\\custom\\1_VY_looseFiles\\sound\\weapons\\ar2",
     {L"\\hl2" + kLooseFiles, L"\\episodic" + kLooseFiles, L"\\ep2" + kLooseFiles}},
    {"SweetFx", kSweetFx, L"\\SweetFX_Resources\\bin", L"\\bin", {L"\\bin"}},
    {"ReShade", kReShade, L"\\Reshade_Resources", L"\\bin", {L"\\bin"}},
};

class UndoStepTest : public ::testing::TestWithParam<StepCase> {};

TEST_P(UndoStepTest, FolderInPlaceOfAFilePutsTheStepBackWithOneMessage) {
  const StepCase& c = GetParam();
  const SteamLanguageValue language("english");
  const NoSettingsKeys no_keys;
  const GameFolder game;
  ASSERT_TRUE(game.holds_game());
  const std::wstring name = LastListed(game.path() + c.source);
  ASSERT_NE(L"", name) << Utf8(c.source);
  const std::wstring blocked = game.path() + c.destination + L"\\" + name;
  ASSERT_TRUE(CreateDirectoryW(blocked.c_str(), nullptr)) << GetLastError();
  // What the system answers a copy onto a folder.
  const std::wstring source = game.path() + c.source + L"\\" + name;
  ASSERT_FALSE(CopyFileW(source.c_str(), blocked.c_str(), FALSE));
  ASSERT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());

  const Snapshot watched_before = FilesBelow(game, c.watched);
  {
    Session run(game);
    ASSERT_DIALOG(run);
    // The difficulty step comes after these: the apply phase goes on.
    ASSERT_TRUE(Click(run.dialog(), c.ticked));
    ASSERT_TRUE(Click(run.dialog(), kVeyraSkill));
    ExpectControls(run.dialog(), {{c.ticked, BST_CHECKED}, {kVeyraSkill, BST_CHECKED}});
    // Then the offer to undo the whole OK: No keeps what the other steps did.
    run.program().AnswerWith({IDNO});
    ASSERT_TRUE(run.CloseWith(kOk));
    const std::vector<MessageSeen>& messages = run.program().messages();
    ASSERT_EQ(2u, messages.size()) << run.program().Status();
    EXPECT_EQ(IDNO, messages[1].answer);
    EXPECT_EQ(0u, messages[1].text.find(L"Not everything could be changed")) << Utf8(messages[1].text);
    EXPECT_EQ("File error!", Utf8(messages[0].caption));
    EXPECT_EQ("Following error occured while trying to copy the file:\r\n" + Utf8(blocked) +
                  "\r\nError: 70, Permission denied\r\n\r\nThe files of this step were put back as they were.",
              Utf8(messages[0].text));
  }
  EXPECT_EQ("", Differences(watched_before, FilesBelow(game, c.watched)));
  EXPECT_EQ(ReadBytes(game.path() + L"\\Repository\\VY_Skill\\skill.cfg").value_or("<missing source>"),
            ReadBytes(game.path() + L"\\VYhl2\\cfg\\skill.cfg").value_or("<missing>"));

  Session again(game);
  ASSERT_DIALOG(again);
  EXPECT_TRUE(again.program().messages().empty()) << again.program().Status();
  ExpectControls(again.dialog(), {{c.ticked, BST_UNCHECKED}, {kVeyraSkill, BST_CHECKED}});
  ASSERT_TRUE(again.CloseWith(kCancel));
}

INSTANTIATE_TEST_SUITE_P(Undo, UndoStepTest, ::testing::ValuesIn(kStepCases),
                         [](const auto& info) { return std::string(info.param.name); });

// --- the commands

struct NothingCase {
  const char* name;
  const wchar_t* arguments;
  std::size_t messages;  // shown, each answered with OK
};

void PrintTo(const NothingCase& c, std::ostream* out) { *out << c.name; }

const NothingCase kNothingCases[] = {
    {"Quiet", L"/restore /quiet", 0},
    {"Asking", L"/restore", 1},
};

class UndoNothingTest : public ::testing::TestWithParam<NothingCase> {};

TEST_P(UndoNothingTest, RestoreWithoutARecordedChangeEndsWithOneAndWritesNothing) {
  const SteamLanguageValue language("english");
  const GameFolder game;
  ASSERT_TRUE(game.holds_game());
  const Snapshot before = Take(game.path());
  Configurator program(game.path(), GetParam().arguments);
  const std::optional<DWORD> code = program.WaitForExit();
  ASSERT_TRUE(code.has_value()) << program.Status();
  EXPECT_EQ(1u, *code) << program.Status();
  EXPECT_EQ(GetParam().messages, program.messages().size()) << program.Status();
  EXPECT_EQ("", Differences(before, Take(game.path())));
}

INSTANTIATE_TEST_SUITE_P(Undo, UndoNothingTest, ::testing::ValuesIn(kNothingCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(UndoCommandTest, HistoryWritesATitleAndOneLinePerSetToARedirectedOutput) {
  const SteamLanguageValue language("english");
  const GameFolder game;
  ASSERT_TRUE(game.holds_game());
  {
    Session run(game);
    ASSERT_DIALOG(run);
    ASSERT_TRUE(Click(run.dialog(), kAnamorph));
    ExpectControls(run.dialog(), {{kAnamorph, BST_CHECKED}});
    ASSERT_TRUE(run.CloseWith(kOk));
  }
  {
    Configurator restore(game.path(), L"/restore /quiet");
    const std::optional<DWORD> code = restore.WaitForExit();
    ASSERT_TRUE(code.has_value()) << restore.Status();
    ASSERT_EQ(0u, *code) << restore.Status();
  }
  const int sets = CountFiles(game.path() + kBackups + L"\\sets");
  ASSERT_EQ(2, sets) << "an OK and a restore";
  for (const Redirection to : {Redirection::kFile, Redirection::kPipe}) {
    SCOPED_TRACE(to == Redirection::kFile ? "to a file" : "to a pipe");
    const Output out = RunRedirected(game, L"/history", to);
    ASSERT_TRUE(out.code.has_value()) << out.status;
    EXPECT_EQ(0u, *out.code) << out.status;
    EXPECT_EQ(0u, out.messages) << out.status;
    const std::vector<std::string> lines = Lines(out.text);
    ASSERT_EQ(1u + sets, lines.size()) << out.text;
    EXPECT_NE(std::string::npos, lines[1].find("  OK: ")) << lines[1];
    EXPECT_NE(std::string::npos, lines[2].find("  restore: ")) << lines[2];
  }
}

}  // namespace
}  // namespace veyra::gui
