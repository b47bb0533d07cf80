// The backups of the real VeyraConfig.exe when things go wrong around them:
// sets that someone else wrote, kept contents that were damaged, a clock that
// goes back, a second instance, a link out of the game folder, and a restore
// that was ended midway.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "automation.h"
#include "backups/content_hash.h"
#include "backups/store.h"
#include "e2e_support.h"
#include "platform/win32/win32_os.h"
#include "workflow_support.h"

namespace veyra::gui {
namespace {

const std::wstring kStore = kBackups + L"\\store";
const std::wstring kSets = kBackups + L"\\sets";
const char* const kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::wstring Wide(const std::string& text) {
  return std::wstring(text.begin(), text.end());  // ASCII only: names and hashes
}

bool Contains(const std::wstring& text, const std::string& part) {
  return Utf8(text).find(part) != std::string::npos;
}

// The names of the files in a folder, without reading them.
std::vector<std::wstring> FileNames(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(entry.cFileName);
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  return names;
}

void MakeBackupsFolders(const GameFolder& game) {
  for (const std::wstring& folder : {kBackups, kStore, kSets}) {
    CreateDirectoryW((game.path() + folder).c_str(), nullptr);
  }
}

// Keeps `bytes` in the store as the program would; their hash.
std::string Keep(const GameFolder& game, const std::string& bytes) {
  const std::string hash = backups::ContentHash(bytes);
  WriteBytes(game.path() + kStore + L"\\" + Wide(hash), bytes);
  return hash;
}

// A set written by hand in the program's form: a header, tab-separated lines
// each ended by CR LF, and the closing line unless it was interrupted.
void WriteSet(const GameFolder& game, const std::string& name, std::uint64_t sequence,
              const std::vector<std::string>& lines, bool complete) {
  std::string text = "VeyraConfig backup set\r\nstarted\t2026-10-25 02:30:00\r\naction\tOK\r\nsequence\t" +
                     std::to_string(sequence) + "\r\n";
  for (const std::string& line : lines) text += line + "\r\n";
  if (complete) text += "complete\t2026-10-25 02:30:05\r\n";
  MakeBackupsFolders(game);
  WriteBytes(game.path() + kSets + L"\\" + Wide(name) + L".txt", text);
}

// How a command-line run ended, and what it showed.
struct Ended {
  std::optional<DWORD> code;
  std::vector<MessageSeen> messages;
  std::string status;
};

Ended RunCommand(const GameFolder& game, const std::wstring& arguments) {
  Configurator program(game.path(), arguments);
  Ended run;
  run.code = program.WaitForExit();
  run.messages = program.messages();
  run.status = program.Status();
  return run;
}

std::optional<std::string> RegistryString(HKEY root, const char* key, const std::string& name) {
  char data[512] = {};
  DWORD size = sizeof data - 1;
  if (RegGetValueA(root, key, name.c_str(), RRF_RT_ANY, nullptr, data, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::string(data);
}

// --- sets written by someone else

// What such a set could reach outside the game folder: a file beside it to
// delete, one to plant there (its content kept in the store, as for a genuine
// set), an empty folder to remove, and a program to start with Windows, for
// the player and for every user.
enum class Reach { kDeletesFile, kPlantsFile, kRemovesFolder, kUserRunValue, kMachineRunValue };

class Bait {
 public:
  explicit Bait(const GameFolder& game)
      : game_(game),
        tag_("veyra-bait-" + std::to_string(GetCurrentProcessId())),
        victim_(Outside(tag_ + "-victim.txt")),
        planted_(Outside(tag_ + "-planted.txt")),
        folder_(Outside(tag_ + "-emptydir")) {
    MakeBackupsFolders(game);
    WriteBytes(victim_, kVictimBytes);
    CreateDirectoryW(folder_.c_str(), nullptr);
    planted_hash_ = Keep(game, "planted\r\n");
    value_hash_ = Keep(game, backups::ValueBytes({REG_SZ, std::string("C:\\planted.exe\0", 16)}));
    game_hash_ = Keep(game, "exec planted\r\n");
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
      EXPECT_EQ(std::nullopt, RegistryString(root, kRunKey, tag_)) << "left by an earlier run";
    }
  }
  ~Bait() {
    DeleteFileW(victim_.c_str());
    DeleteFileW(planted_.c_str());
    RemoveDirectoryW(folder_.c_str());
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) RegDeleteKeyValueA(root, kRunKey, tag_.c_str());
  }
  Bait(const Bait&) = delete;
  Bait& operator=(const Bait&) = delete;

  // The line, as a set holds it (old content first), that restoring would act on.
  std::string Line(Reach reach) const {
    switch (reach) {
      case Reach::kDeletesFile:
        return "file\t..\\" + tag_ + "-victim.txt\tabsent\t" + backups::ContentHash(kVictimBytes);
      case Reach::kPlantsFile:
        return "file\t..\\" + tag_ + "-planted.txt\t" + planted_hash_ + "\tabsent";
      case Reach::kRemovesFolder:
        return "folder\t..\\" + tag_ + "-emptydir\tabsent\tpresent";
      case Reach::kUserRunValue:
        return "value\tHKCU\\" + std::string(kRunKey) + "\t" + tag_ + "\t" + value_hash_ + "\tabsent";
      case Reach::kMachineRunValue:
        return "value\t0x80000002\\" + std::string(kRunKey) + "\t" + tag_ + "\t" + value_hash_ + "\tabsent";
    }
    return "";
  }
  // A genuine line before it: a file of the game a restore of the set would make.
  std::string GameLine() const { return "file\tVYhl2\\cfg\\planted.cfg\t" + game_hash_ + "\tabsent"; }

  void ExpectUntouched() const {
    EXPECT_EQ(kVictimBytes, ReadBytes(victim_).value_or("<missing>")) << Utf8(victim_);
    EXPECT_FALSE(Exists(planted_)) << Utf8(planted_);
    EXPECT_TRUE(Exists(folder_)) << Utf8(folder_);
    EXPECT_FALSE(Exists(game_.path() + L"\\VYhl2\\cfg\\planted.cfg"));
    EXPECT_EQ(std::nullopt, RegistryString(HKEY_CURRENT_USER, kRunKey, tag_)) << "HKCU";
    EXPECT_EQ(std::nullopt, RegistryString(HKEY_LOCAL_MACHINE, kRunKey, tag_)) << "HKLM";
  }

 private:
  static constexpr const char* kVictimBytes = "a file of someone else\r\n";

  std::wstring Outside(const std::string& name) const {
    return game_.path().substr(0, game_.path().rfind(L'\\') + 1) + Wide(name);
  }

  const GameFolder& game_;
  std::string tag_;
  std::wstring victim_, planted_, folder_;
  std::string planted_hash_, value_hash_, game_hash_;
};

struct ReachCase {
  const char* name;
  Reach reach;
};

void PrintTo(const ReachCase& c, std::ostream* out) { *out << c.name; }

const ReachCase kReachCases[] = {
    {"DeletesAFileBesideTheGame", Reach::kDeletesFile},
    {"PlantsAFileBesideTheGame", Reach::kPlantsFile},
    {"RemovesAFolderBesideTheGame", Reach::kRemovesFolder},
    {"WritesTheUsersRunKey", Reach::kUserRunValue},
    {"WritesTheMachinesRunKey", Reach::kMachineRunValue},
};

class ForeignSetTest : public ::testing::TestWithParam<ReachCase> {};

TEST_P(ForeignSetTest, RestoreQuietRefusesTheWholeSetWithOneMessageAndChangesNothing) {
  const SteamLanguageValue language("english");
  const GameFolder game;
  ASSERT_TRUE(game.holds_game());
  const Bait bait(game);
  const std::string line = bait.Line(GetParam().reach);
  const std::string name = "000001-20261025-023000";
  ASSERT_NO_FATAL_FAILURE(WriteSet(game, name, 1, {bait.GameLine(), line}, true));
  const Snapshot before = GameFiles(game);

  const Ended run = RunCommand(game, L"/restore /quiet");
  ASSERT_TRUE(run.code.has_value()) << run.status;
  EXPECT_EQ(2u, *run.code) << run.status;
  ASSERT_EQ(1u, run.messages.size()) << run.status;
  EXPECT_TRUE(Contains(run.messages[0].text, name)) << Utf8(run.messages[0].text);
  EXPECT_TRUE(Contains(run.messages[0].text, line)) << Utf8(run.messages[0].text);
  bait.ExpectUntouched();
  EXPECT_EQ("", Differences(before, GameFiles(game)));
}

INSTANTIATE_TEST_SUITE_P(Backups, ForeignSetTest, ::testing::ValuesIn(kReachCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ForeignInterruptedSetTest, IsNotOfferedAtAPlainStartAndTheLogSaysWhy) {
  const SteamLanguageValue language("english");
  const GameFolder game;
  ASSERT_TRUE(game.holds_game());
  const Bait bait(game);
  std::vector<std::string> lines = {bait.GameLine()};
  for (const ReachCase& c : kReachCases) lines.push_back(bait.Line(c.reach));
  // Named and numbered to come after any set the program could write.
  const std::string name = "999999-20991231-235959";
  ASSERT_NO_FATAL_FAILURE(WriteSet(game, name, 999999, lines, false));
  Snapshot before;
  {
    Session run(game);
    ASSERT_DIALOG(run);
    // Taken with the dialog open: a start creates the console scripts it misses.
    before = GameFiles(game);
    EXPECT_TRUE(run.program().messages().empty()) << run.program().Status();
    ASSERT_TRUE(run.CloseWith(kCancel));
  }
  bait.ExpectUntouched();
  EXPECT_EQ("", Differences(before, GameFiles(game)));
  const std::string log = ReadBytes(game.path() + kBackups + L"\\log.txt").value_or("<no log>");
  EXPECT_NE(std::string::npos, log.find("backup set " + name + " not offered for undoing: it names " + lines[1]))
      << log;
}

// --- kept contents that no longer hold what they held

struct DamageCase {
  const char* name;
  void (*damage)(const std::wstring& kept);
};

void PrintTo(const DamageCase& c, std::ostream* out) { *out << c.name; }

const DamageCase kDamageCases[] = {
    // The same size, other bytes: only the hash tells.
    {"Garbled",
     [](const std::wstring& kept) {
       std::string bytes = ReadBytes(kept).value_or("");
       for (char& c : bytes) c = static_cast<char>(~c);
       if (bytes.empty()) bytes = "not empty";
       WriteBytes(kept, bytes);
     }},
    {"Missing", [](const std::wstring& kept) { EXPECT_TRUE(DeleteFileW(kept.c_str())) << Utf8(kept); }},
};

class DamagedStoreTest : public ::testing::TestWithParam<DamageCase> {};

// The files the set changed whose old content is kept: a restore brings them back.
std::set<std::string> FilesKept(const std::string& manifest) {
  std::set<std::string> files;
  for (std::size_t start = 0, end; (end = manifest.find("\r\n", start)) != std::string::npos; start = end + 2) {
    std::vector<std::string> fields;
    const std::string line = manifest.substr(start, end - start);
    for (std::size_t from = 0, tab;; from = tab + 1) {
      tab = line.find('\t', from);
      fields.push_back(line.substr(from, tab == std::string::npos ? tab : tab - from));
      if (tab == std::string::npos) break;
    }
    if (fields.size() == 4 && fields[0] == "file" && fields[2] != "absent") files.insert(fields[1]);
  }
  return files;
}

TEST_P(DamagedStoreTest, RestoreQuietRefusesWithOneMessageNamingTheFilesAndChangesNothing) {
  const SteamLanguageValue language("english");
  const GameFolder game;
  ASSERT_TRUE(game.holds_game());
  ASSERT_NO_FATAL_FAILURE(InstallWeapons(game));
  {
    Session run(game);
    ASSERT_DIALOG(run);
    // The mod's weapons are installed: unticked, the original ones replace them.
    ASSERT_TRUE(Click(run.dialog(), kWeapons));
    ExpectControls(run.dialog(), {{kWeapons, BST_UNCHECKED}});
    ASSERT_TRUE(run.CloseWith(kOk));
  }
  const std::vector<std::wstring> sets = FileNames(game.path() + kSets);
  ASSERT_EQ(1u, sets.size());
  const std::set<std::string> kept = FilesKept(ReadBytes(game.path() + kSets + L"\\" + sets[0]).value_or(""));
  ASSERT_FALSE(kept.empty()) << "the switch replaced no file";
  const std::vector<std::wstring> contents = FileNames(game.path() + kStore);
  for (const std::wstring& content : contents) GetParam().damage(game.path() + kStore + L"\\" + content);
  const Snapshot before = GameFiles(game);

  const Ended run = RunCommand(game, L"/restore /quiet");
  ASSERT_TRUE(run.code.has_value()) << run.status;
  EXPECT_EQ(2u, *run.code) << run.status;
  ASSERT_EQ(1u, run.messages.size()) << run.status;
  // The message lists the files, one a line, between its first line and its last.
  std::set<std::string> named;
  const std::string text = Utf8(run.messages[0].text);
  for (std::size_t start = text.find("\r\n"), end; start != std::string::npos &&
                                                   (end = text.find("\r\n", start + 2)) != std::string::npos;
       start = end) {
    if (end > start + 2) named.insert(text.substr(start + 2, end - start - 2));
  }
  named.erase("Nothing was changed.");
  EXPECT_EQ(kept, named) << text;
  EXPECT_EQ("", Differences(before, GameFiles(game)));
}

INSTANTIATE_TEST_SUITE_P(Backups, DamagedStoreTest, ::testing::ValuesIn(kDamageCases),
                         [](const auto& info) { return std::string(info.param.name); });

// --- a clock that goes back

// VeyraConfig.exe started through Wine's loader as a Linux program with
// libfaketime preloaded, so that the clock it reads is shifted. (A Windows
// program started by another gets the Linux environment of its starter's
// loader, not its Windows one: only a Linux program takes one from there.)
class ShiftedClockRun {
 public:
  ShiftedClockRun(const GameFolder& game, const char* faketime) {
    const wchar_t* const loader = _wgetenv(L"WINELOADER");
    if (!loader) {
      ADD_FAILURE() << "no WINELOADER: not under Wine";
      return;
    }
    const std::wstring name = ExePath().substr(ExePath().rfind(L'\\') + 1);
    const std::vector<DWORD> earlier = ProcessesNamed(name.c_str());
    std::wstring environment;
    const wchar_t* const strings = GetEnvironmentStringsW();
    for (const wchar_t* entry = strings; *entry; entry += wcslen(entry) + 1) {
      environment += entry;
      environment += L'\0';
    }
    FreeEnvironmentStringsW(const_cast<wchar_t*>(strings));
    // Timers and file times stay true; only the time of day moves.
    for (const std::wstring& entry : {L"LD_PRELOAD=" + std::wstring(kLibrary), L"FAKETIME=" + Wide(faketime),
                                     std::wstring(L"FAKETIME_DONT_FAKE_MONOTONIC=1"), std::wstring(L"NO_FAKE_STAT=1")}) {
      environment += entry + L'\0';
    }
    // Wine hands a Linux program its command line split at blanks.
    std::wstring command = std::wstring(L"wine64 ") + ExePath();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(WindowsPath(loader).c_str(), command.data(), nullptr, nullptr, FALSE,
                        CREATE_UNICODE_ENVIRONMENT, environment.data(), game.path().c_str(), &startup, &started)) {
      ADD_FAILURE() << "cannot start " << Utf8(loader) << ", error " << GetLastError();
      return;
    }
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);  // the loader's: it says nothing of the program
    WaitUntil(kTimeoutMs, [&] {
      for (const DWORD id : ProcessesNamed(name.c_str())) {
        if (std::find(earlier.begin(), earlier.end(), id) == earlier.end()) id_ = id;
      }
      return id_ != 0;
    });
    if (id_) process_ = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE, id_);
    if (!process_) ADD_FAILURE() << "the program did not appear within " << kTimeoutMs << " ms";
  }
  ~ShiftedClockRun() {
    if (!process_) return;
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_, 1);
      WaitForSingleObject(process_, kTimeoutMs);
    }
    CloseHandle(process_);
  }
  ShiftedClockRun(const ShiftedClockRun&) = delete;
  ShiftedClockRun& operator=(const ShiftedClockRun&) = delete;

  static constexpr const wchar_t* kLibrary = L"/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1";

  HWND WaitForDialog() {
    HWND dialog = nullptr;
    if (process_) WaitUntil(kTimeoutMs, [&] { return (dialog = FindMainDialog(id_)) != nullptr; });
    return dialog;
  }
  // OK, then the exit code; nothing when it did not end in time.
  std::optional<DWORD> CloseWithOk(HWND dialog) {
    if (!Click(dialog, kOk) || WaitForSingleObject(process_, kTimeoutMs) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return code;
  }
  // What it shows now, for failure messages.
  std::string Shown() const {
    std::string shown = "the program shows:";
    for (HWND window : VisibleDialogs(id_)) {
      shown += " \"" + Utf8(WindowText(window)) + ": " + Utf8(WindowText(Control(window, 0xFFFF))) + "\"";
    }
    return shown;
  }

 private:
  DWORD id_ = 0;
  HANDLE process_ = nullptr;
};

struct ClockCase {
  const char* name;
  const char* first_clock;   // libfaketime's FAKETIME for the first OK
  const char* second_clock;  // and for the second
  const char* second_set;    // what the second OK's set's name shows of its clock
  int earlier_sets;          // complete sets made before, with today's date
};

void PrintTo(const ClockCase& c, std::ostream* out) { *out << c.name; }

const ClockCase kClockCases[] = {
    {"TwentyMinutesBackAtTheEndOfSummerTime", "@2026-10-25 02:30:00", "@2026-10-25 02:10:00", "-20261025-021", 0},
    // With as many sets as are kept before it, a set of 2001 would be the
    // first to go if age were told by the clock.
    {"YearsBackPastTheKeptSets", "@2026-10-25 02:30:00", "@2001-06-15 12:00:00", "-20010615-", 10},
};

class ClockTest : public ::testing::TestWithParam<ClockCase> {};

TEST_P(ClockTest, RestoreQuietUndoesTheLaterOkWhateverItsClockSaid) {
  const ClockCase& c = GetParam();
  if (!_wgetenv(L"WINELOADER")) GTEST_SKIP() << "the clock is shifted through Wine's loader";
  ASSERT_TRUE(Exists(WindowsPath(ShiftedClockRun::kLibrary)))
      << Utf8(ShiftedClockRun::kLibrary) << " is missing: scripts/deps.sh installs libfaketime";
  const SteamLanguageValue language("english");
  const GameFolder game;
  ASSERT_TRUE(game.holds_game());
  for (int n = 1; n <= c.earlier_sets; ++n) {
    ASSERT_NO_FATAL_FAILURE(WriteSet(game, std::string(6 - std::to_string(n).size(), '0') + std::to_string(n) +
                                               "-20261208-100000", n, {}, true));
  }
  Snapshot before_second;
  for (const auto& [clock, ticked] : {std::pair{c.first_clock, kAnamorph}, std::pair{c.second_clock, kWeapons}}) {
    SCOPED_TRACE(clock);
    ShiftedClockRun run(game, clock);
    const HWND dialog = run.WaitForDialog();
    ASSERT_NE(nullptr, dialog) << run.Shown();
    before_second = GameFiles(game);
    ASSERT_TRUE(Click(dialog, ticked));
    ExpectControls(dialog, {{ticked, BST_CHECKED}});
    const std::optional<DWORD> code = run.CloseWithOk(dialog);
    ASSERT_EQ(std::optional<DWORD>(0), code) << run.Shown();
  }
  const std::vector<std::wstring> sets = FileNames(game.path() + kSets);
  ASSERT_TRUE(std::any_of(sets.begin(), sets.end(),
                          [&](const std::wstring& set) { return Contains(set, c.second_set); }))
      << "no set of the shifted clock (" << c.second_set << ") among " << sets.size();

  const Ended run = RunCommand(game, L"/restore /quiet");
  ASSERT_TRUE(run.code.has_value()) << run.status;
  EXPECT_EQ(0u, *run.code) << run.status;
  EXPECT_TRUE(run.messages.empty()) << run.status;
  EXPECT_EQ("", Differences(before_second, GameFiles(game)));
}

INSTANTIATE_TEST_SUITE_P(Backups, ClockTest, ::testing::ValuesIn(kClockCases),
                         [](const auto& info) { return std::string(info.param.name); });

// --- a second instance

// A game folder another instance is at work in: it started there (and made
// the console scripts a start makes), holds the folder's lock (taken here, by
// the test), and its set is in the making, and so is the new content of a
// console script, beside it. Its set names a folder it made.
class BusyFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(game_.holds_game());
    {
      Session start(game_);
      ASSERT_DIALOG(start);
      ASSERT_TRUE(start.CloseWith(kCancel));
    }
    ASSERT_TRUE(CreateDirectoryW(made_.c_str(), nullptr)) << GetLastError();
    ASSERT_NO_FATAL_FAILURE(WriteSet(game_, "000001-20261208-100000", 1,
                                     {"folder\tVYhl2\\cfg\\being-made\tabsent\tpresent"}, false));
    ASSERT_NO_FATAL_FAILURE(WriteBytes(in_the_making_, kNewContent));
    platform::SystemError error;
    lock_ = os_.LockFolder(Utf8(game_.path()), error);
    ASSERT_NE(nullptr, lock_) << "cannot lock the folder, error " << error.value;
  }

  void ExpectTheOtherInstancesWorkIntact() {
    EXPECT_EQ(kNewContent, ReadBytes(in_the_making_).value_or("<missing>"));
    EXPECT_TRUE(Exists(made_));
  }

  static constexpr const char* kNewContent = "exec being_written\r\n";
  const SteamLanguageValue language_{"english"};
  const GameFolder game_;
  const std::wstring made_ = game_.path() + L"\\VYhl2\\cfg\\being-made";
  const std::wstring in_the_making_ = game_.path() + L"\\VYhl2\\cfg\\autoexec.cfg.veyra-new";
  platform::win32::Win32Os os_;
  std::unique_ptr<platform::Os::FolderLock> lock_;
};

bool SaysBusy(const MessageSeen& message) { return Contains(message.text, "already at work"); }

TEST_F(BusyFolderTest, RestoreQuietEndsWithTwoAndOneMessageAndChangesNothing) {
  const Snapshot before = Take(game_.path(), Keep::kDigest);
  const Ended run = RunCommand(game_, L"/restore /quiet");
  ASSERT_TRUE(run.code.has_value()) << run.status;
  EXPECT_EQ(2u, *run.code) << run.status;
  ASSERT_EQ(1u, run.messages.size()) << run.status;
  EXPECT_TRUE(SaysBusy(run.messages[0])) << run.status;
  EXPECT_EQ("", Differences(before, Take(game_.path(), Keep::kDigest)));
  ExpectTheOtherInstancesWorkIntact();
}

TEST_F(BusyFolderTest, APlainStartOffersNothingAndRefusesOkWithOneMessageWhileTheDialogStays) {
  Session run(game_);
  ASSERT_DIALOG(run);
  EXPECT_TRUE(run.program().messages().empty()) << run.program().Status();
  ExpectTheOtherInstancesWorkIntact();
  const Snapshot before = Take(game_.path(), Keep::kDigest);
  ASSERT_TRUE(Click(run.dialog(), kAnamorph));
  ExpectControls(run.dialog(), {{kAnamorph, BST_CHECKED}});
  ASSERT_TRUE(Click(run.dialog(), kOk));
  ASSERT_TRUE(run.program().AnswerNextMessage()) << run.program().Status();
  ASSERT_EQ(1u, run.program().messages().size()) << run.program().Status();
  EXPECT_TRUE(SaysBusy(run.program().messages()[0])) << run.program().Status();
  EXPECT_TRUE(run.program().Running()) << run.program().Status();
  EXPECT_TRUE(IsWindowVisible(run.dialog())) << run.program().Status();
  EXPECT_EQ("", Differences(before, Take(game_.path(), Keep::kDigest)));
  ExpectTheOtherInstancesWorkIntact();

  // Once the other instance has finished, the same dialog goes ahead.
  lock_.reset();
  ASSERT_TRUE(run.CloseWith(kOk));
  EXPECT_EQ(1u, run.program().messages().size()) << run.program().Status();
  EXPECT_EQ(2u, FileNames(game_.path() + kSets).size());
}

// --- a link out of the game folder

using UnixName = char*(CDECL*)(const wchar_t*);

UnixName WineUnixName() {
  return reinterpret_cast<UnixName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
}

// The path `link` leads to once links are followed, as the file system spells it.
std::wstring FinalPath(const std::wstring& link) {
  HANDLE file = CreateFileW(link.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return L"<cannot open, error " + std::to_wstring(GetLastError()) + L">";
  std::wstring final(32768, L'\0');
  final.resize(GetFinalPathNameByHandleW(file, final.data(), static_cast<DWORD>(final.size()), 0));
  CloseHandle(file);
  return final.rfind(L"\\\\?\\", 0) == 0 ? final.substr(4) : final;
}

// A Linux symbolic link, made by ln; true once Windows sees it lead to `target`.
bool MakeUnixLink(const std::wstring& target, const std::wstring& link) {
  const auto unix_path = [](const std::wstring& path) {
    char* name = WineUnixName()(path.c_str());
    const std::string result = name ? name : "";
    HeapFree(GetProcessHeap(), 0, name);
    return result;
  };
  // Wine hands a Linux program its command line split at blanks.
  std::string command = "ln -s " + unix_path(target) + " " + unix_path(link);
  if (std::count(command.begin(), command.end(), ' ') != 3) {
    ADD_FAILURE() << "blanks in the paths: " << command;
    return false;
  }
  std::wstring wide = Wide(command);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(L"Z:\\bin\\ln", wide.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    ADD_FAILURE() << "cannot start ln, error " << GetLastError();
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);  // signalled before ln may have run: the link tells
  return WaitUntil(kTimeoutMs, [&] { return FinalPath(link) == target; });
}

TEST(LinkOutOfTheGameTest, SweetFxRemovedLeavesTheFileALinkInBinLeadsToAndSaysSo) {
  if (!WineUnixName()) GTEST_SKIP() << "the link is made on the Linux side";
  const SteamLanguageValue language("english");
  const NoSettingsKeys no_keys;
  const GameFolder game;
  ASSERT_TRUE(game.holds_game());
  const GameFolder elsewhere(GameFolder::Content::kNothing);
  const std::wstring injector = elsewhere.path() + L"\\d3d9.dll";
  const std::string injector_bytes = "the player's own injector";
  ASSERT_NO_FATAL_FAILURE(WriteBytes(injector, injector_bytes));
  ASSERT_NO_FATAL_FAILURE(InstallSweetFx(game));
  const std::wstring link = game.path() + L"\\bin\\d3d9.dll";
  ASSERT_TRUE(DeleteFileW(link.c_str())) << GetLastError();
  // A deleted file keeps its name until the last handle to it is closed, which
  // under load may come after DeleteFile returns; ln would find it still there.
  ASSERT_TRUE(WaitUntil(kTimeoutMs, [&] { return !Exists(link); }))
      << "the deleted file is still there: " << Utf8(FinalPath(link));
  ASSERT_TRUE(MakeUnixLink(injector, link)) << "the link leads to " << Utf8(FinalPath(link));
  {
    Session run(game);
    ASSERT_DIALOG(run);
    ExpectControls(run.dialog(), {{kSweetFx, BST_CHECKED}});
    ASSERT_TRUE(Click(run.dialog(), kSweetFx));
    ExpectControls(run.dialog(), {{kSweetFx, BST_UNCHECKED}});
    // The refused step's message, then the offer to undo the whole OK: kept.
    run.program().AnswerWith({IDNO});
    run.CloseWith(kOk);
    ASSERT_FALSE(run.program().Running()) << run.program().Status();
    const std::vector<MessageSeen>& messages = run.program().messages();
    ASSERT_EQ(2u, messages.size()) << run.program().Status();
    EXPECT_TRUE(Contains(messages[0].text, Utf8(link))) << Utf8(messages[0].text);
    EXPECT_EQ(IDNO, messages[1].answer) << Utf8(messages[1].text);
  }
  EXPECT_EQ(injector_bytes, ReadBytes(injector).value_or("<missing>"));
  EXPECT_EQ(injector, FinalPath(link)) << "the link is gone or leads elsewhere";
}

// --- no set for nothing

// How many backup sets the game folder holds.
std::size_t SetCount(const GameFolder& game) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((game.path() + L"\\VeyraConfig backups\\sets\\*.txt").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  std::size_t count = 0;
  do ++count; while (FindNextFileW(search, &found));
  FindClose(search);
  return count;
}

// With SweetFX on, every OK writes the preset file twice on its way (its
// template, then its include line); OKs that change nothing in the end leave
// no set, so /restore still finds the one real change behind them.
TEST(NoSetForNothingTest, OksWithoutAChangeOnSweetFxLeaveTheRealChangeNextToUndo) {
  const SteamLanguageValue language("english");
  const NoSettingsKeys no_keys;
  const GameFolder game;
  ASSERT_TRUE(game.holds_game());
  ASSERT_NO_FATAL_FAILURE(InstallSweetFx(game));
  const auto ok = [&](bool switch_weapons) {
    Session run(game);
    ASSERT_DIALOG(run);
    ExpectControls(run.dialog(), {{kSweetFx, BST_CHECKED}});
    if (switch_weapons) {
      ASSERT_TRUE(Click(run.dialog(), kWeapons));
    }
    ASSERT_TRUE(run.CloseWith(kOk));
    EXPECT_TRUE(run.program().messages().empty()) << run.program().Status();
  };
  ASSERT_NO_FATAL_FAILURE(ok(false));  // the first OK writes the settings it finds
  const Snapshot before = GameFiles(game);
  ASSERT_NO_FATAL_FAILURE(ok(true));
  const Snapshot switched = GameFiles(game);
  ASSERT_NE("", Differences(before, switched));
  const std::size_t sets = SetCount(game);
  for (int again = 0; again < 3; ++again) {
    ASSERT_NO_FATAL_FAILURE(ok(false));
    EXPECT_EQ(sets, SetCount(game)) << "an OK without a change left a set";
  }
  EXPECT_EQ("", Differences(switched, GameFiles(game)));

  const Ended run = RunCommand(game, L"/restore /quiet");
  ASSERT_TRUE(run.code.has_value()) << run.status;
  EXPECT_EQ(0u, *run.code) << run.status;
  EXPECT_EQ("", Differences(before, GameFiles(game)));
}

// --- a restore ended midway

TEST(InterruptedRestoreTest, RestoreQuietAgainFinishesItAndTheNextStartAsksNothing) {
  const SteamLanguageValue language("english");
  const GameFolder game;
  ASSERT_TRUE(game.holds_game());
  ASSERT_NO_FATAL_FAILURE(LargeInstalledModWeapons(game));
  Snapshot before;
  {
    Session run(game);
    ASSERT_DIALOG(run);
    before = GameFiles(game);
    ASSERT_TRUE(Click(run.dialog(), kWeapons));
    ExpectControls(run.dialog(), {{kWeapons, BST_UNCHECKED}});
    ASSERT_TRUE(run.CloseWith(kOk));
  }
  const Snapshot after_ok = GameFiles(game);
  ASSERT_NE("", Differences(before, after_ok));
  {
    // Each content put back first moves what is there into the store.
    const int kept_by_ok = CountFiles(game.path() + kStore);
    Configurator restore(game.path(), L"/restore /quiet");
    ASSERT_TRUE(WaitUntil(kTimeoutMs, [&] {
      return CountFiles(game.path() + kStore) >= kept_by_ok + 3 || !restore.Running();
    }));
    ASSERT_TRUE(restore.Running()) << "it ended before it could be ended: " << restore.Status();
    ASSERT_TRUE(restore.Kill());
  }
  const Snapshot cut_short = GameFiles(game);
  ASSERT_NE("", Differences(before, cut_short)) << "the restore had finished";
  ASSERT_NE("", Differences(after_ok, cut_short)) << "the restore had not begun";

  const Ended again = RunCommand(game, L"/restore /quiet");
  ASSERT_TRUE(again.code.has_value()) << again.status;
  EXPECT_EQ(0u, *again.code) << again.status;
  EXPECT_TRUE(again.messages.empty()) << again.status;
  EXPECT_EQ("", Differences(before, GameFiles(game)));

  Session next(game);
  ASSERT_DIALOG(next);
  EXPECT_TRUE(next.program().messages().empty()) << next.program().Status();
  ASSERT_TRUE(next.CloseWith(kCancel));
}

}  // namespace
}  // namespace veyra::gui
