#include "backups/journal.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "config/text_file.h"
#include "backups/content_hash.h"
#include "tests/doubles/listed_sets.h"
#include "tests/doubles/fault_injecting_os.h"
#include "tests/doubles/memory_registry_os.h"
#include "tests/doubles/operation_log_os.h"
#include "tests/doubles/recording_os.h"
#include "tests/doubles/test_os.h"

namespace veyra::backups {
namespace {

namespace fs = std::filesystem;
namespace error = platform::error;
using platform::hkey::kCurrentUser;
using Kind = testing::OperationLogOs::Kind;

// The history's words as an English reader sees them; the program's own come from its text tables.
const SummaryWords kEnglishWords{
    .action = [](const std::string& action) { return action; },
    .files = [](int n) { return std::to_string(n) + (n == 1 ? " file" : " files"); },
    .values =
        [](int n) { return std::to_string(n) + (n == 1 ? " registry value" : " registry values"); },
    .files_in = [](const std::string& files,
                   const std::string& folders) { return files + " in " + folders; },
    .interrupted = " (interrupted)",
};

std::size_t CountFiles(const std::string& folder) {
  if (!testing::PathExists(folder)) return 0;
  std::size_t count = 0;
  for (const auto& entry : fs::directory_iterator(testing::FileSystemPath(folder))) {
    count += entry.is_regular_file() ? 1 : 0;
  }
  return count;
}

// Reference values from the xxhsum tool: the first half of the hash is XXH64 with seed 0.
TEST(ContentHashTest, FirstHalfIsXxh64OfTheBytes) {
  const std::pair<std::string, const char*> vectors[] = {
      {"", "ef46db3751d8e999"},
      {"abc", "44bc2cf5ad770999"},
      {"Nobody inspects the spammish repetition", "fbcea83c8a378bf1"},
      {std::string(1000, '\0'), "0e2b1ef27944075a"},
  };
  for (const auto& [bytes, xxh64] : vectors) {
    const std::string hash = ContentHash(bytes);
    ASSERT_EQ(32u, hash.size()) << hash;
    EXPECT_EQ(xxh64, hash.substr(0, 16)) << bytes.size() << " bytes";
    EXPECT_NE(hash.substr(0, 16), hash.substr(16)) << "the two halves must differ";
  }
  EXPECT_NE(ContentHash("a"), ContentHash("b"));
  // The same in pieces of every size around the hash's 32-byte stripes.
  const std::string long_text(1000, '\0');
  for (const std::size_t piece : {1u, 7u, 31u, 32u, 33u, 999u}) {
    ContentHasher hasher;
    for (std::size_t at = 0; at < long_text.size(); at += piece) {
      hasher.Add(std::string_view(long_text).substr(at, piece));
    }
    EXPECT_EQ("0e2b1ef27944075a", hasher.Finish().substr(0, 16)) << "pieces of " << piece;
  }
}

TEST(BackupSetTest, ManifestReadsBackWhatWasWrittenAndSkipsACutLine) {
  const Change file{Change::Kind::kFile, "bin\\d3d9.dll", "", std::nullopt, ContentHash("dll")};
  const Change value{Change::Kind::kValue, "HKCU\\Software\\Valve\\Source\\hl2\\Settings",
                     "mat_antialias", ContentHash("old"), ContentHash("new")};
  const platform::LocalTime time{2026, 12, 7, 14, 30, 5};
  std::string text = ManifestHeader("OK", time, 7, {}) + ManifestLine(file) + ManifestLine(value);
  BackupSet set = ParseManifest("20261207-143005-01", text + "file\tcut\tabsent\tab");
  EXPECT_EQ("OK", set.action);
  EXPECT_EQ("2026-12-07 14:30:05", set.started);
  EXPECT_EQ(7u, set.sequence);
  EXPECT_TRUE(set.has_header);
  EXPECT_TRUE(set.unknown_lines.empty());
  EXPECT_EQ((std::vector<Change>{file, value}), set.changes);
  EXPECT_FALSE(set.complete);
  set = ParseManifest("x", text + ManifestCompleteLine(time));
  EXPECT_TRUE(set.complete);
  EXPECT_EQ("2026-12-07 14:30:05  OK: 1 file in bin, 1 registry value",
            SetSummary(set, kEnglishWords));
}

// The walk back: each row is a history, oldest first, as (sequence, the
// sequences it undoes); the changes left to undo, newest first, are worked
// out by hand from what each undo did.
TEST(BackupSetTest, TheWalkBackSkipsUndoneChangesAndUndosAndFollowsRedos) {
  struct Row {
    const char* history;
    std::vector<std::pair<std::uint64_t, std::vector<std::uint64_t>>> sets;
    std::vector<std::uint64_t> undoable;
  };
  const Row rows[] = {
      {"two changes", {{1, {}}, {2, {}}}, {2, 1}},
      {"the newer undone", {{1, {}}, {2, {}}, {3, {2}}}, {1}},
      {"both undone, one a time", {{1, {}}, {2, {}}, {3, {2}}, {4, {1}}}, {}},
      {"both undone at once", {{1, {}}, {2, {}}, {3, {2, 1}}}, {}},
      {"undone, then redone", {{1, {}}, {2, {1}}, {3, {2}}}, {1}},
      {"redone, then undone again", {{1, {}}, {2, {1}}, {3, {2}}, {4, {1}}}, {}},
      {"a change after an undo", {{1, {}}, {2, {1}}, {3, {}}}, {3}},
      {"an undo naming itself or a later set", {{1, {}}, {2, {2, 3}}, {3, {}}}, {3, 1}},
      {"an old set without a number", {{0, {}}, {1, {}}, {2, {0}}}, {1, 0}},
  };
  for (const Row& row : rows) {
    std::vector<BackupSet> sets;
    for (const auto& [sequence, undoes] : row.sets) {
      BackupSet set;
      set.sequence = sequence;
      set.undoes = undoes;
      set.action = undoes.empty() ? "OK" : "restore";
      sets.push_back(set);
    }
    std::vector<std::uint64_t> undoable;
    for (const BackupSet* set : UndoableChanges(sets)) undoable.push_back(set->sequence);
    EXPECT_EQ(row.undoable, undoable) << row.history;
  }
}

class JournalTest : public ::testing::Test {
 protected:
  std::string Put(const std::string& relative, const std::string& bytes) {
    const std::string path = game.Join(relative);
    testing::MakeFolder(fs::path(testing::FileSystemPath(path)).parent_path().string());
    testing::WriteFileBytes(path, bytes);
    return path;
  }
  std::vector<BackupSet> Sets() {
    std::vector<BackupSet> sets;
    for (const std::string& name : testing::ListedSets(*real, game.path())) {
      sets.push_back(*ReadSet(*real, game.path(), name));
    }
    return sets;
  }
  // Undoes the newest set, as /restore does.
  RestoreOutcome RestoreNewest() {
    const std::vector<BackupSet> sets = Sets();
    return testing::RestoreLocked(*real, game.path(), {sets.back()}, "restore");
  }

  // A key the program writes, and so a restore may: kept in memory, as other
  // test programs share the real registry.
  static constexpr const char* kKey = "Software\\Valve\\Source\\hl2\\Settings";
  testing::ScratchFolder game;
  std::unique_ptr<platform::Os> backend = testing::MakeRealOs();
  testing::MemoryRegistryOs registry{*backend};
  platform::Os* real = &registry;
};

TEST_F(JournalTest, EveryKindOfChangeComesBackByteForByteAndValueForValue) {
  Put("hl2\\custom\\weapons\\v_pistol.mdl", "old pistol");
  Put("Repository\\HD\\v_pistol.mdl", "new pistol");
  Put("bin\\d3d9.dll", "injector");
  Put("VYhl2\\cfg\\autoexec.cfg", "bind \"F5\" \"jpeg\"\r\n");
  ASSERT_EQ(0u, real->RegistryWriteValue(kCurrentUser, kKey, "ScreenMSAA",
                                         {platform::kRegistryString, std::string("german", sizeof "german")}));
  const auto before = testing::FilesBelow(game.path());
  {
    Journal journal(*real, game.path(), "OK");
    EXPECT_EQ(0u, journal.Copy(game.Join("Repository\\HD\\v_pistol.mdl"),
                               game.Join("hl2\\custom\\weapons\\v_pistol.mdl")));
    EXPECT_EQ(0u, journal.Delete(game.Join("bin\\d3d9.dll")));
    EXPECT_TRUE(config::WriteWholeFile(journal, game.Join("VYhl2\\cfg\\autoexec.cfg"),
                                       config::OpenFailureMessage::kSave, "new script\r\n")
                    .ok());
    EXPECT_TRUE(config::WriteWholeFile(journal, game.Join("VR_TAG"),
                                       config::OpenFailureMessage::kSave, "Holodeck\r\n")
                    .ok());
    EXPECT_EQ(0u, journal.RegistryWriteValue(kCurrentUser, kKey, "ScreenMSAA", {1, "english"}));
    EXPECT_EQ(0u, journal.RegistryWriteValue(kCurrentUser, kKey, "mat_antialias",
                                             platform::DwordValue(0)));
    journal.Finish();
  }
  ASSERT_NE(before, testing::FilesBelow(game.path()));
  ASSERT_EQ(1u, Sets().size());
  EXPECT_TRUE(Sets()[0].complete);
  EXPECT_EQ("OK", Sets()[0].action);

  const RestoreOutcome outcome = RestoreNewest();
  EXPECT_TRUE(outcome.failures.empty()) << outcome.failures[0].Describe();
  EXPECT_EQ(4, outcome.files);
  EXPECT_EQ(2, outcome.values);
  EXPECT_EQ(before, testing::FilesBelow(game.path()));
  const std::optional<platform::RegistryValue> language =
      real->RegistryReadValue(kCurrentUser, kKey, "ScreenMSAA");
  ASSERT_TRUE(language.has_value());
  EXPECT_EQ(std::string("german\0", 7), language->data);
  EXPECT_EQ(platform::kRegistryString, language->type);
  EXPECT_FALSE(real->RegistryReadValue(kCurrentUser, kKey, "mat_antialias").has_value());

  // The restore is a set of its own, and undoing it brings the change back.
  ASSERT_EQ(2u, Sets().size());
  EXPECT_EQ("restore", Sets()[1].action);
  EXPECT_TRUE(RestoreNewest().failures.empty());
  EXPECT_EQ("new pistol", testing::ReadFileBytes(game.Join("hl2\\custom\\weapons\\v_pistol.mdl")));
  EXPECT_FALSE(testing::PathExists(game.Join("bin\\d3d9.dll")));
}

// A deleted file whose folder is gone by the time of the restore comes back
// with its folder; undoing that restore takes both away again.
TEST_F(JournalTest, ARestoreMakesTheFoldersItNeedsAndItsUndoRemovesThem) {
  const std::string file = Put("hl2\\custom\\sound\\fire1.wav", "sound");
  {
    Journal journal(*real, game.path(), "OK");
    ASSERT_EQ(0u, journal.Delete(file));
    journal.Finish();
  }
  std::filesystem::remove_all(testing::FileSystemPath(game.Join("hl2\\custom")));
  ASSERT_TRUE(RestoreNewest().failures.empty());
  EXPECT_EQ("sound", testing::ReadFileBytes(file));
  const BackupSet restore = Sets().back();
  EXPECT_EQ(2, std::count_if(restore.changes.begin(), restore.changes.end(),
                             [](const Change& c) { return c.kind == Change::Kind::kFolder; }));
  EXPECT_NE(std::string::npos,
            SetSummary(restore, kEnglishWords).find(": 1 file in hl2, 0 registry values"))
      << SetSummary(restore, kEnglishWords);

  ASSERT_TRUE(RestoreNewest().failures.empty());
  EXPECT_FALSE(testing::PathExists(file));
  EXPECT_FALSE(testing::PathExists(game.Join("hl2\\custom")));
  EXPECT_TRUE(testing::PathExists(game.Join("hl2")));
}

TEST_F(JournalTest, ChangesThatChangeNothingLeaveNoSet) {
  Put("Repository\\set\\a.txt", "same");
  const std::string target = Put("hl2\\a.txt", "same");
  ASSERT_EQ(0u, real->RegistryWriteValue(kCurrentUser, kKey, "ScreenMSAA",
                                         {platform::kRegistryString, std::string("english", sizeof "english")}));
  const std::optional<platform::RegistryValue> language =
      real->RegistryReadValue(kCurrentUser, kKey, "ScreenMSAA");
  {
    Journal journal(*real, game.path(), "OK");
    EXPECT_EQ(0u, journal.Copy(game.Join("Repository\\set\\a.txt"), target));
    EXPECT_TRUE(
        config::WriteWholeFile(journal, target, config::OpenFailureMessage::kSave, "same").ok());
    EXPECT_EQ(error::kFileNotFound, journal.Delete(game.Join("missing.dll")));
    EXPECT_EQ(0u, journal.RegistryWriteValue(kCurrentUser, kKey, "ScreenMSAA", *language));
    journal.Finish();
    EXPECT_TRUE(journal.changes().empty());
  }
  EXPECT_TRUE(Sets().empty());
  EXPECT_FALSE(testing::PathExists(target + ".veyra-new"));

  // Changed, then changed back within one run: a file written with other
  // bytes and then its own, a value set and set back, a folder made and
  // removed. Only the one file that stays changed is in the set.
  const std::string changed = Put("hl2\\b.txt", "old b");
  {
    Journal journal(*real, game.path(), "OK");
    for (const char* bytes : {"template", "same"}) {
      EXPECT_TRUE(
          config::WriteWholeFile(journal, target, config::OpenFailureMessage::kSave, bytes).ok());
    }
    EXPECT_EQ(0u, journal.RegistryWriteValue(kCurrentUser, kKey, "ScreenMSAA",
                                             {platform::kRegistryDword, std::string(4, '\1')}));
    EXPECT_EQ(0u, journal.RegistryWriteValue(kCurrentUser, kKey, "ScreenMSAA", *language));
    EXPECT_EQ(0u, journal.CreateFolder(game.Join("hl2\\made")));
    EXPECT_EQ(0u, journal.RemoveFolder(game.Join("hl2\\made")));
    EXPECT_TRUE(
        config::WriteWholeFile(journal, changed, config::OpenFailureMessage::kSave, "new b").ok());
    journal.Finish();
    ASSERT_EQ(1u, journal.changes().size());
    EXPECT_EQ("hl2\\b.txt", journal.changes()[0].subject);
  }
  std::vector<BackupSet> sets = Sets();
  ASSERT_EQ(1u, sets.size());
  EXPECT_TRUE(sets[0].complete);
  ASSERT_EQ(1u, sets[0].changes.size());
  EXPECT_TRUE(RestoreNewest().failures.empty());
  EXPECT_EQ("old b", testing::ReadFileBytes(changed));
  EXPECT_EQ("same", testing::ReadFileBytes(target));

  // The same without the one lasting change leaves no set at all.
  const std::size_t before = Sets().size();
  {
    Journal journal(*real, game.path(), "OK");
    for (const char* bytes : {"template", "same"}) {
      EXPECT_TRUE(
          config::WriteWholeFile(journal, target, config::OpenFailureMessage::kSave, bytes).ok());
    }
    journal.Finish();
    EXPECT_TRUE(journal.changes().empty());
    EXPECT_TRUE(journal.set_name().empty()) << journal.set_name();
  }
  EXPECT_EQ(before, Sets().size());
}

// Switching a set back and forth stores each version of each file once.
TEST_F(JournalTest, VersionsAreStoredOnceAndOnlyTheNewestSetsAreKept) {
  const std::string destination = game.Join("hl2\\custom\\sound");
  for (const char* set : {"HD", "LO"}) {
    for (int n = 0; n < 3; ++n)
      Put("Repository\\" + std::string(set) + "\\" + std::to_string(n) + ".wav",
          set + std::to_string(n));
  }
  for (int n = 0; n < 3; ++n)
    Put("hl2\\custom\\sound\\" + std::to_string(n) + ".wav", "LO" + std::to_string(n));
  for (int round = 0; round < 12; ++round) {
    const std::string set = round % 2 == 0 ? "HD" : "LO";
    Journal journal(*real, game.path(), "OK");
    for (int n = 0; n < 3; ++n) {
      const std::string name = "\\" + std::to_string(n) + ".wav";
      ASSERT_EQ(0u, journal.Copy(game.Join("Repository\\" + set) + name, destination + name));
    }
    journal.Finish();
  }
  EXPECT_EQ(kKeptSets, Sets().size());
  // Both versions of the three files, and nothing else.
  EXPECT_EQ(6u, CountFiles(StoreFolder(game.path())));
  EXPECT_EQ("LO0", testing::ReadFileBytes(destination + "\\0.wav"));
}

// A kept set that cannot be read when a newer one finishes still needs its
// contents: they stay, and it can be undone later.
TEST_F(JournalTest, AnUnreadableSetKeepsItsContents) {
  Put("Repository\\a.txt", "new a");
  const std::string a = Put("hl2\\a.txt", "old a");
  {
    Journal journal(*real, game.path(), "OK");
    ASSERT_EQ(0u, journal.Copy(game.Join("Repository\\a.txt"), a));
    journal.Finish();
  }
  const std::string first = testing::ListedSets(*real, game.path()).front();
  Put("Repository\\b.txt", "new b");
  const std::string b = Put("hl2\\b.txt", "old b");
  testing::FaultInjectingOs locked(*real);
  locked.Inject({testing::Call::kOpenReadOnly, error::kSharingViolation, first});
  {
    Journal journal(locked, game.path(), "OK");
    ASSERT_EQ(0u, journal.Copy(game.Join("Repository\\b.txt"), b));
    journal.Finish();
  }
  ASSERT_GT(locked.CallCount(testing::Call::kOpenReadOnly), 0);
  EXPECT_EQ(2u, CountFiles(StoreFolder(game.path())));
  ASSERT_EQ(2u, Sets().size());
  const RestoreOutcome outcome = testing::RestoreLocked(*real, game.path(), {Sets().front()}, "restore");
  EXPECT_TRUE(outcome.failures.empty()) << outcome.failures[0].Describe();
  EXPECT_EQ("old a", testing::ReadFileBytes(a));
}

// A change's line is on the disk before the change is made; a set that was
// not finished stays incomplete.
TEST_F(JournalTest, TheLineIsFlushedBeforeTheChangeAndAnUnfinishedSetIsIncomplete) {
  Put("Repository\\x.txt", "new");
  const std::string target = Put("hl2\\x.txt", "old");
  testing::OperationLogOs log(*real, game.path());
  {
    Journal journal(log, game.path(), "OK");
    ASSERT_EQ(0u, journal.Copy(game.Join("Repository\\x.txt"), target));
  }
  const std::vector<std::string> lines = log.Lines({Kind::kFind, Kind::kList});
  const auto at = [&](const std::string& start) {
    return std::find_if(lines.begin(), lines.end(),
                        [&](const std::string& line) { return line.rfind(start, 0) == 0; }) -
           lines.begin();
  };
  const auto flush = at("flush BASE\\VeyraConfig backups\\sets\\");
  const auto keep = at("move BASE\\hl2\\x.txt -> BASE\\VeyraConfig backups\\store\\");
  const auto copy = at("copy BASE\\Repository\\x.txt -> BASE\\hl2\\x.txt");
  EXPECT_LT(flush, keep) << ::testing::PrintToString(lines);
  EXPECT_LT(keep, copy) << ::testing::PrintToString(lines);
  EXPECT_LT(copy, static_cast<std::ptrdiff_t>(lines.size()));
  ASSERT_EQ(1u, Sets().size());
  EXPECT_FALSE(Sets()[0].complete);
  EXPECT_TRUE(RestoreNewest().failures.empty());
  EXPECT_EQ("old", testing::ReadFileBytes(target));
}

// A file whose size and time are as the journal last saw them is not read
// again for its hash, in this run or a later one; one that changed is.
TEST_F(JournalTest, FilesAreReadForTheirHashOnlyWhenTheyChanged) {
  const std::string source = Put("Repository\\set\\fire1.wav", "new sound");
  std::vector<std::string> targets;
  for (const char* game_folder : {"hl2", "episodic", "ep2"}) {
    targets.push_back(Put(std::string(game_folder) + "\\fire1.wav", "old sound"));
  }
  const auto reads = [&](const testing::OperationLogOs& log, const std::string& path) {
    const std::vector<std::string> lines = log.Lines();
    return std::count(lines.begin(), lines.end(), "open " + log.Show(path) + " ro");
  };
  {
    testing::OperationLogOs log(*real, game.path());
    Journal journal(log, game.path(), "OK");
    for (const std::string& target : targets) ASSERT_EQ(0u, journal.Copy(source, target));
    journal.Finish();
    EXPECT_EQ(1, reads(log, source));
  }
  {
    testing::OperationLogOs log(*real, game.path());
    Journal journal(log, game.path(), "OK");
    ASSERT_EQ(0u, journal.Copy(source, targets[0]));  // the same bytes: nothing to do
    EXPECT_EQ(0, reads(log, source));
    EXPECT_EQ(0, reads(log, targets[0]));
    EXPECT_TRUE(journal.changes().empty());
    journal.Finish();
  }
  testing::WriteFileBytes(targets[1], "a sound the player put there");
  {
    testing::OperationLogOs log(*real, game.path());
    Journal journal(log, game.path(), "OK");
    ASSERT_EQ(0u, journal.Copy(source, targets[1]));
    EXPECT_EQ(1, reads(log, targets[1]));
    journal.Finish();
  }
  ASSERT_TRUE(RestoreNewest().failures.empty());
  EXPECT_EQ("a sound the player put there", testing::ReadFileBytes(targets[1]));
}

TEST_F(JournalTest, RollingBackAStepPutsBackOnlyThatStep) {
  Put("Repository\\a.txt", "new a");
  Put("Repository\\b.txt", "new b");
  const std::string a = Put("hl2\\a.txt", "old a");
  const std::string b = Put("hl2\\b.txt", "old b");
  const std::string created = game.Join("hl2\\c.txt");
  Journal journal(*real, game.path(), "OK");
  ASSERT_EQ(0u, journal.Copy(game.Join("Repository\\a.txt"), a));
  journal.BeginStep();
  ASSERT_EQ(0u, journal.Copy(game.Join("Repository\\b.txt"), b));
  ASSERT_EQ(0u, journal.Copy(game.Join("Repository\\b.txt"), created));
  ASSERT_EQ(0u, journal.Delete(a));
  const platform::Result failure(platform::Operation::kCopy, game.Join("hl2\\d.txt"), 5);
  EXPECT_TRUE(journal.RollbackStep(failure).ok());
  testing::RecordingOs shown(*real);
  Journal told(shown, game.path(), "OK");
  EXPECT_EQ(platform::mb::kIdOk, told.ShowMessage("one\r\ntwo", "File error!", 0));
  told.Finish();
  journal.Finish();
  EXPECT_EQ("new a", testing::ReadFileBytes(a));
  EXPECT_EQ("old b", testing::ReadFileBytes(b));
  EXPECT_FALSE(testing::PathExists(created));
  const std::string log = testing::ReadFileBytes(LogFile(game.path()));
  EXPECT_NE(std::string::npos, log.find("failed copy " + game.Join("hl2\\d.txt") +
                                        ": system error 5 (Error: 70, Permission denied)"))
      << log;
  EXPECT_NE(std::string::npos, log.find("  shown: File error! one / two\r\n")) << log;
  EXPECT_EQ(1u, shown.messages.size());
}

TEST_F(JournalTest, TheLogKeepsItsNewerHalfPastOneMebibyte) {
  const std::string old_line = std::string(100, 'o') + "\r\n";
  std::string old_log;
  while (old_log.size() <= (1u << 20)) old_log += old_line;
  testing::MakeFolder(BackupsFolder(game.path()));
  testing::WriteFileBytes(LogFile(game.path()), old_log);
  Journal journal(*real, game.path(), "OK");
  journal.Finish();
  const std::string log = testing::ReadFileBytes(LogFile(game.path()));
  EXPECT_LT(log.size(), old_log.size() / 2 + 200);
  EXPECT_EQ(0u, log.find(old_line)) << "the kept half starts at a line's start";
  EXPECT_NE(std::string::npos, log.find("  OK: nothing changed\r\n"))
      << log.substr(log.size() - 100);
}

// Another program's edit that keeps the file's size and time is no version
// the journal knows: what it keeps is hashed from the bytes it keeps.
TEST_F(JournalTest, AnEditThatKeepsSizeAndTimeIsKeptAsItIs) {
  const std::string source = Put("Repository\\a.txt", "new a");
  const std::string target = Put("hl2\\a.txt", "old a");
  {
    Journal journal(*real, game.path(), "OK");
    ASSERT_EQ(0u, journal.Copy(source, target));  // the journal now knows "new a" there
    journal.Finish();
  }
  const fs::file_time_type time = fs::last_write_time(testing::FileSystemPath(target));
  testing::WriteFileBytes(target, "EDIT!");  // as long, and dated as before
  fs::last_write_time(testing::FileSystemPath(target), time);
  Put("Repository\\a.txt", "newer");
  {
    Journal journal(*real, game.path(), "OK");
    ASSERT_EQ(0u, journal.Copy(source, target));
    journal.Finish();
  }
  ASSERT_TRUE(RestoreNewest().failures.empty());
  EXPECT_EQ("EDIT!", testing::ReadFileBytes(target));
}

// A copy the volume cannot hold fails before anything changes; a step that
// fails is put back by moving the kept contents back, so even a full disk,
// which refuses every copy, gets its files back whole.
TEST_F(JournalTest, AFullDiskChangesNothingAndPutsBackByMoving) {
  const std::string destination = game.Join("hl2\\custom\\sound");
  for (int n = 0; n < 3; ++n) {
    Put("Repository\\" + std::to_string(n) + ".wav", std::string(1000, 'n'));
    Put("hl2\\custom\\sound\\" + std::to_string(n) + ".wav", "old " + std::to_string(n));
  }
  const auto before = testing::FilesBelow(game.path());
  const auto copy_all = [&](Journal& journal) {
    std::vector<platform::Os::FileCopy> copies;
    for (int n = 0; n < 3; ++n) {
      const std::string name = "\\" + std::to_string(n) + ".wav";
      copies.push_back({game.Join("Repository") + name, destination + name});
    }
    return journal.CopyFiles(copies, {});
  };
  {
    testing::FaultInjectingOs full(*real);
    full.free_space = 2500;  // room for two of the three new files
    Journal journal(full, game.path(), "OK");
    const platform::Result copied = copy_all(journal);
    EXPECT_EQ(error::kDiskFull, copied.code()) << copied.Describe();
    journal.Finish();
    EXPECT_EQ(0, full.CallCount(platform::Operation::kCopy));
  }
  EXPECT_EQ(before, testing::FilesBelow(game.path()));
  EXPECT_TRUE(Sets().empty());
  {
    // The last copy runs out of space half way, and so would any copy after it.
    testing::FaultInjectingOs full(*real);
    full.Inject({platform::Operation::kCopy, error::kDiskFull, "2.wav"});
    Journal journal(full, game.path(), "OK");
    journal.BeginStep();
    const platform::Result copied = copy_all(journal);
    ASSERT_EQ(error::kDiskFull, copied.code());
    full.Inject({platform::Operation::kCopy, error::kDiskFull});
    EXPECT_TRUE(journal.RollbackStep(copied).ok());
    journal.Finish();
  }
  EXPECT_EQ(before, testing::FilesBelow(game.path()));
}

// The old contents of a folder copy go into the store before the first file
// is replaced. One that cannot be moved there (another volume) is kept by
// copying, and the rest still move; a move that fails otherwise fails the
// copy, naming the game's file, before any file is replaced.
TEST_F(JournalTest, OldContentsAreKeptBeforeTheFirstFileIsReplaced) {
  const std::string destination = game.Join("hl2\\custom\\sound");
  std::vector<platform::Os::FileCopy> copies;
  for (int n = 0; n < 4; ++n) {
    const std::string name = "\\" + std::to_string(n) + ".wav";
    Put("Repository" + name, "new " + std::to_string(n));
    Put("hl2\\custom\\sound" + name, "old " + std::to_string(n));
    copies.push_back({game.Join("Repository") + name, destination + name});
  }
  const auto before = testing::FilesBelow(game.path());
  {
    testing::FaultInjectingOs store_elsewhere(*real);
    store_elsewhere.Inject(
        {platform::Operation::kMove, error::kNotSameDevice, "\\store\\", 1, 1});
    Journal journal(store_elsewhere, game.path(), "OK");
    const platform::Result copied = journal.CopyFiles(copies, {});
    EXPECT_TRUE(copied.ok()) << copied.Describe();
    journal.Finish();
  }
  for (int n = 0; n < 4; ++n) {
    EXPECT_EQ("new " + std::to_string(n),
              testing::ReadFileBytes(destination + "\\" + std::to_string(n) + ".wav"));
  }
  ASSERT_FALSE(Sets().empty());
  const RestoreOutcome restored =
      testing::RestoreLocked(*real, game.path(), {Sets().back()}, "restore");
  EXPECT_EQ(4, restored.files);
  EXPECT_TRUE(restored.damaged.empty()) << restored.damaged.front();
  EXPECT_EQ(before, testing::FilesBelow(game.path())) << "an old content is lost";

  testing::FaultInjectingOs refusing(*real);
  refusing.Inject({platform::Operation::kMove, error::kAccessDenied, "\\store\\", 2, 1});
  Journal journal(refusing, game.path(), "OK");
  journal.BeginStep();
  const platform::Result copied = journal.CopyFiles(copies, {});
  EXPECT_EQ(error::kAccessDenied, copied.code()) << copied.Describe();
  EXPECT_EQ(destination + "\\2.wav", copied.subject());
  EXPECT_EQ(0, refusing.CallCount(platform::Operation::kCopy));
  EXPECT_TRUE(journal.RollbackStep(copied).ok());
  journal.Finish();
  EXPECT_EQ(before, testing::FilesBelow(game.path()));
}

// A restore writes the lines of its files together: undoing forty files
// flushes the manifests as often as undoing two. It needs room only for the
// old contents it copies back, and without that room it changes nothing.
TEST_F(JournalTest, ARestoreFlushesItsLinesTogetherAndNeedsRoomForWhatItCopiesBack) {
  std::map<int, long> manifest_flushes;
  for (const int files : {2, 40}) {
    const std::string folder = "hl2\\custom\\" + std::to_string(files) + "\\";
    std::uint64_t old_bytes = 0;
    {
      Journal journal(*real, game.path(), "OK");
      for (int n = 0; n < files; ++n) {
        const std::string old = "old content " + std::to_string(n);
        old_bytes += old.size();
        const std::string target = Put(folder + std::to_string(n) + ".wav", old);
        ASSERT_EQ(0u, journal.Copy(Put("Repository\\" + std::to_string(n) + ".wav", "new"),
                                   target));
      }
      journal.Finish();
    }
    const auto changed = testing::FilesBelow(game.path());
    const std::size_t sets = Sets().size();
    {
      testing::FaultInjectingOs full(*real);
      full.free_space = kSpareBytes + old_bytes - 1;
      const RestoreOutcome refused =
          testing::RestoreLocked(full, game.path(), {Sets().back()}, "restore");
      ASSERT_TRUE(refused.room.has_value()) << files << " files";
      EXPECT_EQ(kSpareBytes + old_bytes, refused.room->needed);
      EXPECT_EQ(changed, testing::FilesBelow(game.path()));
      EXPECT_EQ(sets, Sets().size());
    }
    testing::OperationLogOs log(*real, game.path());
    const RestoreOutcome outcome =
        testing::RestoreLocked(log, game.path(), {Sets().back()}, "restore");
    ASSERT_TRUE(outcome.failures.empty()) << outcome.failures[0].Describe();
    EXPECT_EQ(files, outcome.files);
    for (int n = 0; n < files; ++n) {
      EXPECT_EQ("old content " + std::to_string(n),
                testing::ReadFileBytes(game.Join(folder + std::to_string(n) + ".wav")));
    }
    const std::vector<std::string> lines = log.Lines();
    manifest_flushes[files] =
        std::count_if(lines.begin(), lines.end(), [](const std::string& line) {
          return line.rfind("flush BASE\\VeyraConfig backups\\sets\\", 0) == 0;
        });
  }
  EXPECT_EQ(manifest_flushes[2], manifest_flushes[40])
      << ::testing::PrintToString(manifest_flushes);
}

}  // namespace
}  // namespace veyra::backups
