#include "config/text_file.h"

#include <gtest/gtest.h>

#include <new>

#include "install/effect_files.h"
#include "tests/doubles/escaped.h"
#include "tests/doubles/expected_tables.h"
#include "tests/doubles/fault_injecting_os.h"
#include "tests/doubles/recording_os.h"
#include "tests/doubles/test_os.h"

namespace veyra::config {
namespace {

using namespace model;

using testing::Fault;
using testing::Call;
using platform::Operation;
namespace error = platform::error;

constexpr std::uint32_t kExclamationOkTaskModal = 0x2030;

std::string OpenFailureText(const std::string& path, const std::string& error_line) {
  return "Following error occured while trying to open the file:\r\n" + path + "\r\n" +
         error_line + "\r\n\r\nThe file could not be opened.";
}

std::string SaveFailureText(const std::string& path_line, const std::string& error_line) {
  return "Following error occured while trying to save the file:\r\n" + path_line + error_line +
         "\r\n\r\nThe file could not be saved.";
}

// The real file system of the build, with faults injected on demand and every
// message recorded instead of shown.
class TextFileTest : public ::testing::Test {
 protected:
  TextFileTest() { testing::SetSunraysPatterns(state); }

  // A precache entry as the game's lists hold it, with LF line ends.
  static std::string Entry(const std::string& file, char digit) {
    return "\t\"" + testing::PrecacheSwitch(file, digit) + "\n";
  }

  std::string File(const std::string& name, const std::string& content) {
    const std::string path = folder.Join(name);
    testing::WriteFileBytes(path, content);
    return path;
  }
  // Only the files the test made: nothing left beside them.
  std::size_t EntriesInFolder() { return testing::Listed(*real, folder.Join("*")).size(); }

  testing::ScratchFolder folder;
  std::unique_ptr<platform::Os> real = testing::MakeRealOs();
  testing::RecordingOs recorder{*real};
  testing::FaultInjectingOs os{recorder};
  model::ProgramState state;
};

TEST_F(TextFileTest, FileExistsSearchesLikeADirectorySearch) {
  File("a.txt", "x");
  testing::MakeFolder(folder.Join("sub"));
  EXPECT_TRUE(FileExists(os, folder.Join("a.txt")));
  EXPECT_TRUE(FileExists(os, folder.Join("sub")));
  EXPECT_TRUE(FileExists(os, folder.Join("*.txt")));
  EXPECT_TRUE(FileExists(os, folder.Join("?.txt")));
  EXPECT_FALSE(FileExists(os, folder.Join("*.cfg")));
  EXPECT_FALSE(FileExists(os, folder.Join("b.txt")));
  EXPECT_FALSE(FileExists(os, folder.Join("missing\\a.txt")));
  EXPECT_EQ(0, os.CallCount(Call::kOpenReadWrite) + os.CallCount(Call::kOpenReadOnly));
}

TEST_F(TextFileTest, BadFileNamesAreRefusedBeforeAnySystemCall) {
  for (const std::string& path : {std::string(), folder.Join("a*.cfg"), folder.Join("a?.cfg")}) {
    const OpenedForRewrite opened = OpenForRewrite(os, path);
    EXPECT_EQ(nullptr, opened.file) << path;
    EXPECT_EQ(kBadFileName, opened.error) << path;
    EXPECT_FALSE(WriteDefaultConfig(os, path)) << path;
  }
  EXPECT_TRUE(os.calls.empty()) << os.calls.size() << " file operations";
  ASSERT_EQ(3u, recorder.messages.size());
  EXPECT_EQ(SaveFailureText("\r\n", "Error: 64, Bad file name"), recorder.messages[0].text);
}

TEST_F(TextFileTest, OpenForRewriteFallsBackToReadingOnly) {
  const std::string path = File("a.cfg", "old");
  OpenedForRewrite opened = OpenForRewrite(os, path);
  ASSERT_NE(nullptr, opened.file);
  EXPECT_TRUE(opened.writable);
  opened.file.reset();

  os.Inject({Call::kOpenReadWrite, error::kAccessDenied, "a.cfg"});
  opened = OpenForRewrite(os, path);
  ASSERT_NE(nullptr, opened.file);
  EXPECT_FALSE(opened.writable);
  std::string content;
  EXPECT_EQ(error::kSuccess, opened.file->ReadAll(content));
  EXPECT_EQ("old", content);
  opened.file.reset();

  // When both fail, the second open's error counts.
  os.Inject({Call::kOpenReadOnly, error::kPathNotFound, "a.cfg"});
  opened = OpenForRewrite(os, path);
  EXPECT_EQ(nullptr, opened.file);
  EXPECT_EQ((FileError{76, "Path not found"}), opened.error);
}

TEST_F(TextFileTest, MessagesHaveTheirExactLayout) {
  ShowOpenFailure(os, "C:\\Game\\x.txt", {53, "File not found"});
  ShowSaveFailure(os, "C:\\Game\\y.cfg", {61, "Disk full"});
  ShowSaveFailure(os, std::nullopt, {76, "Path not found"});
  ASSERT_EQ(3u, recorder.messages.size());
  EXPECT_EQ("Following error occured while trying to open the file:\r\nC:\\Game\\x.txt\r\n"
            "Error: 53, File not found\r\n\r\nThe file could not be opened.",
            recorder.messages[0].text);
  EXPECT_EQ("File error!", recorder.messages[0].caption);
  EXPECT_EQ("Following error occured while trying to save the file:\r\nC:\\Game\\y.cfg\r\n"
            "Error: 61, Disk full\r\n\r\nThe file could not be saved.",
            recorder.messages[1].text);
  EXPECT_EQ("Save file error!", recorder.messages[1].caption);
  EXPECT_EQ("Following error occured while trying to save the file:\r\n"
            "Error: 76, Path not found\r\n\r\nThe file could not be saved.",
            recorder.messages[2].text);
  for (const testing::ShownMessage& message : recorder.messages) {
    EXPECT_EQ(kExclamationOkTaskModal, message.flags);
  }
}

// Every row of the error table, as a failed open shows it.
TEST_F(TextFileTest, EveryOpenFailureShowsItsNumberAndText) {
  struct Row {
    std::vector<platform::SystemError> codes;
    std::string line;  // empty: never shown, the program ends
  };
  const std::vector<Row> rows = {
      {{2, 18}, "Error: 53, File not found"},
      {{3}, "Error: 76, Path not found"},
      {{4}, "Error: 67, Too many files"},
      {{5, 19, 32, 33, 36}, "Error: 70, Permission denied"},
      {{6, 11, 12, 13, 22, 24}, "Error: 51, Internal error"},
      {{7, 9, 10}, ""},
      {{8, 14}, "Error: 7, Out of memory"},
      {{15, 20}, "Error: 68, Device unavailable"},
      {{17}, "Error: 74, Rename across disks"},
      {{21}, "Error: 71, Disk not ready"},
      {{23, 25, 26, 27, 28, 29, 30, 31, 34, 35}, "Error: 72, Disk media error"},
      {{38}, "Error: 62, Input past end"},
      {{39, 112}, "Error: 61, Disk full"},
      {{87}, "Error: 5, Illegal function call"},
      {{1, 16, 37, 40, 80, 111, 113, 123, 206, 1224, 0xFFFFFFFF},
       "Error: 75, Path/file access error"},
  };
  const std::string path = File("list.txt", "content");
  for (const Row& row : rows) {
    for (const platform::SystemError code : row.codes) {
      SCOPED_TRACE("system error " + std::to_string(code));
      testing::FaultInjectingOs faults(recorder);
      faults.Inject({Call::kOpenReadWrite, error::kSharingViolation});
      faults.Inject({Call::kOpenReadOnly, code});
      recorder.messages.clear();
      if (row.line.empty()) {
        try {
          EXPECT_FALSE(EditFileReplacing(faults, path, "content", "x", "", ""));
          ADD_FAILURE() << "the program went on";
        } catch (const testing::TerminateCalled& ended) {
          EXPECT_EQ(255, ended.exit_code);
        }
        EXPECT_TRUE(recorder.messages.empty());
        continue;
      }
      EXPECT_FALSE(EditFileReplacing(faults, path, "content", "x", "", ""));
      ASSERT_EQ(1u, recorder.messages.size());
      EXPECT_EQ(OpenFailureText(path, row.line), recorder.messages[0].text);
      EXPECT_EQ("File error!", recorder.messages[0].caption);
    }
  }
  EXPECT_EQ("content", testing::ReadFileBytes(path));
}

TEST_F(TextFileTest, ReplaceAllGoesLeftToRightWithoutOverlapOrRescan) {
  EXPECT_EQ("xa", ReplaceAll("aaa", "aa", "x"));
  EXPECT_EQ("ab", ReplaceAll("aabb", "ab", ""));  // the joined "ab" stays
  EXPECT_EQ("aaaa", ReplaceAll("aa", "a", "aa"));  // inserted text is not searched
  EXPECT_EQ("abc", ReplaceAll("abc", "", "x"));
  EXPECT_EQ("", ReplaceAll("", "a", "b"));
  EXPECT_EQ(std::string("\0y\0", 3), ReplaceAll(std::string("\0x\0", 3), "x", "y"));
}

// A failure comes back marked as told where its message was shown, so that
// whoever passes it on does not tell the player again; a success is no news.
TEST_F(TextFileTest, RewriteFailuresComeBackMarkedAsReported) {
  const struct {
    const char* name;
    std::string path;
    platform::Operation failed;
  } kCases[] = {
      {"missing folder", folder.Join("missing\\autoexec.cfg"), platform::Operation::kOpen},
      {"UTF-16 text", File("wide.cfg", std::string("\xFF\xFEo\0n\0e\0", 8)),
       platform::Operation::kRead},
  };
  for (const auto& test : kCases) {
    recorder.messages.clear();
    const platform::Result result = RewriteFile(os, test.path, OpenFailureMessage::kOpen,
                                                [](std::string text) { return text; });
    EXPECT_EQ(test.failed, result.operation()) << test.name << ": " << result.Describe();
    EXPECT_TRUE(result.reported()) << test.name << ": " << result.Describe();
    EXPECT_EQ(1u, recorder.messages.size()) << test.name;
  }
  const platform::Result written =
      RewriteFile(os, File("plain.cfg", "one"), OpenFailureMessage::kOpen,
                  [](std::string text) { return text + " two"; });
  EXPECT_TRUE(written.ok()) << written.Describe();
  EXPECT_FALSE(written.reported());
}

TEST_F(TextFileTest, EditFileReplacingRewritesTheWholeFile) {
  const std::string path = File("list.txt", "one two one\r\nthree");
  EXPECT_TRUE(EditFileReplacing(os, path, "one", "1", "1 two", "shorter"));
  EXPECT_EQ("shorter 1\r\nthree", testing::ReadFileBytes(path));
  // A shorter text leaves no old tail behind.
  EXPECT_TRUE(EditFileReplacing(os, path, "shorter 1\r\nthree", "", "", ""));
  EXPECT_EQ("", testing::ReadFileBytes(path));
  EXPECT_EQ(1u, EntriesInFolder());  // nothing left beside the file

  // A missing file stays missing, silently.
  const std::string missing = folder.Join("missing.txt");
  EXPECT_FALSE(EditFileReplacing(os, missing, "a", "b", "c", "d"));
  EXPECT_FALSE(testing::PathExists(missing));
  EXPECT_TRUE(recorder.messages.empty());
}

// Players mark files read-only on purpose: such a file stays as it is, and
// they are told that the change was not saved.
TEST_F(TextFileTest, ReadOnlyFileIsLeftAloneAndReported) {
  const std::string path = File("list.txt", "one");
  os.Inject({Call::kOpenReadWrite, error::kAccessDenied, "list.txt"});
  EXPECT_FALSE(EditFileReplacing(os, path, "one", "two", "", ""));
  EXPECT_FALSE(WriteDefaultConfig(os, path));
  EXPECT_EQ("one", testing::ReadFileBytes(path));
  EXPECT_EQ(0, os.CallCount(Operation::kWrite));
  ASSERT_EQ(2u, recorder.messages.size());
  for (const testing::ShownMessage& message : recorder.messages) {
    EXPECT_EQ("Following error occured while trying to save the file:\r\n" + path +
                  "\r\nError: 70, Permission denied\r\n\r\nThe file could not be saved.",
              message.text);
    EXPECT_EQ("Save file error!", message.caption);
  }
}

TEST_F(TextFileTest, SunraySwitches) {
  const std::string normal_on = Entry("ppe_sunrays.txt", '1');
  const std::string normal_off = Entry("ppe_sunrays.txt", '0');
  const std::string strong_on = Entry("ppe_sunrays_strong.txt", '1');
  const std::string strong_off = Entry("ppe_sunrays_strong.txt", '0');
  const std::string path = File("postprocessing_precache.txt", "");

  testing::WriteFileBytes(path, "{\n" + normal_on + strong_on + "}\n");
  EXPECT_TRUE(install::EnableSunraysNormal(os, state, path).ok());
  EXPECT_EQ("{\n" + normal_on + strong_off + "}\n", testing::ReadFileBytes(path));

  EXPECT_TRUE(install::EnableSunraysStrong(os, state, path).ok());
  EXPECT_EQ("{\n" + normal_off + strong_on + "}\n", testing::ReadFileBytes(path));

  EXPECT_TRUE(install::DisableSunrays(os, state, path).ok());
  EXPECT_EQ("{\n" + normal_off + strong_off + "}\n", testing::ReadFileBytes(path));

  // Every occurrence is switched.
  testing::WriteFileBytes(path, normal_off + strong_on + normal_off);
  EXPECT_TRUE(install::EnableSunraysNormal(os, state, path).ok());
  EXPECT_EQ(normal_on + strong_off + normal_on, testing::ReadFileBytes(path));
  EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(TextFileTest, SunrayPatternsNeedLfAndTwoTabs) {
  const std::string crlf = "\"ppe_sunrays.txt\"\r\n\t\t\"effect_start_enabled\"\t\t\"0\"\r\n";
  const std::string three_tabs = "\"ppe_sunrays.txt\"\n\t\t\t\"effect_start_enabled\"\t\t\"0\"\n";
  for (const std::string& content : {crlf, three_tabs}) {
    const std::string path = File("list.txt", content);
    EXPECT_TRUE(install::EnableSunraysNormal(os, state, path).ok());
    EXPECT_EQ(content, testing::ReadFileBytes(path));
  }
}

TEST_F(TextFileTest, WriteDefaultConfigLeavesExactlyTwoLines) {
  const std::string path = File("config.cfg", std::string(5000, 'x'));
  EXPECT_TRUE(WriteDefaultConfig(os, path));
  EXPECT_EQ("unbindall\nskill \"2\"\n", testing::ReadFileBytes(path));
  const std::string created = folder.Join("created.cfg");  // the open creates it
  EXPECT_TRUE(WriteDefaultConfig(os, created));
  EXPECT_EQ("unbindall\nskill \"2\"\n", testing::ReadFileBytes(created));
}

TEST_F(TextFileTest, MissingFolderIsReportedWithPathNotFound) {
  const std::string path = folder.Join("VYhl2\\cfg\\config.cfg");
  EXPECT_FALSE(WriteDefaultConfig(os, path));
  ASSERT_EQ(1u, recorder.messages.size());
  EXPECT_EQ(SaveFailureText(path + "\r\n", "Error: 76, Path not found"), recorder.messages[0].text);
  EXPECT_EQ("Save file error!", recorder.messages[0].caption);
  EXPECT_FALSE(testing::PathExists(path));
}

// A rewrite that fails after the open leaves the old content and says so.
TEST_F(TextFileTest, FailedWritesKeepTheOldContent) {
  struct Case {
    std::string name;
    Fault fault;
    std::string line;
  };
  const std::vector<Case> cases = {
      {"disk full half way", {Operation::kWrite, error::kDiskFull, "", 0, -1, 7}, "Error: 61, Disk full"},
      {"short write", {Operation::kWrite, error::kSuccess, "", 0, -1, 3}, "Error: 61, Disk full"},
      {"write fault", {Operation::kWrite, error::kWriteFault}, "Error: 72, Disk media error"},
      {"truncate", {Operation::kTruncate, error::kAccessDenied}, "Error: 70, Permission denied"},
      {"flush", {Operation::kFlush, 1117}, "Error: 75, Path/file access error"},
      {"replace", {Operation::kMove, error::kSharingViolation}, "Error: 70, Permission denied"},
      // The second open for writing is that of the new content's file.
      {"new file", {Call::kOpenReadWrite, error::kAccessDenied, "", 1}, "Error: 70, Permission denied"},
      {"read", {Operation::kRead, error::kReadFault}, "Error: 72, Disk media error"},
  };
  const std::string old_content = "one two\r\n" + std::string(300, 'z');
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = File("list.txt", old_content);
    testing::FaultInjectingOs faults(recorder);
    faults.Inject(c.fault);
    recorder.messages.clear();
    EXPECT_FALSE(EditFileReplacing(faults, path, "one", "three", "", ""));
    EXPECT_EQ(old_content, testing::ReadFileBytes(path));
    ASSERT_EQ(1u, recorder.messages.size());
    EXPECT_EQ(SaveFailureText(path + "\r\n", c.line), recorder.messages[0].text);
    EXPECT_EQ("Save file error!", recorder.messages[0].caption);
    EXPECT_EQ(1u, EntriesInFolder());
  }
}

TEST_F(TextFileTest, AFatalWriteErrorEndsTheProgramWithTheOldContent) {
  const std::string path = File("list.txt", "one");
  os.Inject({Operation::kWrite, 9, "", 0, -1, 1});
  try {
    EXPECT_FALSE(EditFileReplacing(os, path, "one", "two", "", ""));
    ADD_FAILURE() << "the program went on";
  } catch (const testing::TerminateCalled& ended) {
    EXPECT_EQ(255, ended.exit_code);
  }
  EXPECT_EQ("one", testing::ReadFileBytes(path));
  EXPECT_TRUE(recorder.messages.empty());
  EXPECT_EQ(1u, EntriesInFolder());
}

TEST_F(TextFileTest, LongAndNonAsciiPathsAreUsedWhole) {
  // Past 260 characters: a cut path would name another file.
  std::string deep = folder.path();
  while (deep.size() < 300) deep += "\\" + std::string(40, 'd');
  testing::MakeFolder(deep);
  const std::string unicode = folder.Join("Ordner \xC3\xA4\xC3\xB6\xC3\xBC \xE6\xBC\xA2");
  testing::MakeFolder(unicode);
  for (const std::string& base : {deep, unicode}) {
    const std::string path = base + "\\config.cfg";
    SCOPED_TRACE(path);
    EXPECT_FALSE(FileExists(os, path));
    EXPECT_TRUE(WriteDefaultConfig(os, path));
    EXPECT_TRUE(FileExists(os, path));
    EXPECT_TRUE(FileExists(os, base + "\\*.cfg"));
    EXPECT_TRUE(EditFileReplacing(os, path, "unbindall", "bind", "skill", "Skill"));
    EXPECT_EQ("bind\nSkill \"2\"\n", testing::ReadFileBytes(path));
    EXPECT_EQ(1u, testing::Listed(*real, base + "\\*").size());
  }
  EXPECT_TRUE(recorder.messages.empty()) << recorder.messages[0].text;
}

}  // namespace
}  // namespace veyra::config

namespace veyra::config {
namespace {

// A UTF-8 mark is not text: the first line after it is matched and edited as
// any other, and the mark goes back in front of the result. UTF-16 is not
// taken byte by byte: reported, and the file stays as it was.
TEST_F(TextFileTest, ByteOrderMarksAreKeptOrRefused) {
  const std::string kMark = "\xEF\xBB\xBF";
  const struct {
    const char* name;
    std::string bytes;
    std::string after;  // "" when the file is refused
  } kCases[] = {
      {"utf8.cfg", kMark + "\"one\"\r\nx", kMark + "\"two\"\r\nx"},
      {"plain.cfg", "\"one\"\r\nx", "\"two\"\r\nx"},
      {"mark-only.cfg", kMark, kMark},
      {"utf16le.cfg", std::string("\xFF\xFE\"\0o\0n\0e\0\"\0", 12), ""},
      {"utf16be.cfg", std::string("\xFE\xFF\0\"\0o\0n\0e\0\"", 12), ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    recorder.messages.clear();
    const std::string path = File(c.name, c.bytes);
    // The quote right after the mark is where a first line starts.
    const bool rewritten = EditFileReplacing(os, path, "\"one\"", "\"two\"", "", "");
    if (c.after.empty()) {
      EXPECT_FALSE(rewritten);
      EXPECT_EQ(testing::Escaped(c.bytes), testing::Escaped(testing::ReadFileBytes(path)));
      ASSERT_EQ(1u, recorder.messages.size());
      EXPECT_EQ(SaveFailureText(path + "\r\n", "Error: 75, Path/file access error"),
                recorder.messages[0].text);
      EXPECT_EQ(std::nullopt, ReadTextFile(os, path, OpenFailureMessage::kOpen));
    } else {
      EXPECT_TRUE(rewritten);
      EXPECT_EQ(testing::Escaped(c.after), testing::Escaped(testing::ReadFileBytes(path)));
      EXPECT_TRUE(recorder.messages.empty()) << recorder.messages[0].text;
      // Read back, the text comes without its mark.
      EXPECT_EQ(c.after.starts_with(kMark) ? c.after.substr(kMark.size()) : c.after,
                ReadTextFile(os, path, OpenFailureMessage::kOpen));
    }
  }
  EXPECT_EQ(std::size(kCases), EntriesInFolder());
}

// A file too large for memory is a failure like any other: reported with its
// path and "Out of memory", the file untouched, whether the read itself or
// the change of what was read runs out.
TEST_F(TextFileTest, OutOfMemoryIsReportedAsAFileError) {
  const std::string path = File("autoexec.cfg", "one");
  const std::string expected = SaveFailureText(path + "\r\n", "Error: 7, Out of memory");
  os.Inject({Operation::kRead, error::kNotEnoughMemory, "autoexec.cfg", 0, 1});
  EXPECT_FALSE(EditFileReplacing(os, path, "one", "two", "", ""));
  EXPECT_FALSE(RewriteFile(os, path, OpenFailureMessage::kSave, [](std::string) -> std::string {
                 throw std::bad_alloc();
               }).ok());
  EXPECT_EQ("one", testing::ReadFileBytes(path));
  ASSERT_EQ(2u, recorder.messages.size());
  for (const testing::ShownMessage& message : recorder.messages) EXPECT_EQ(expected, message.text);
}

// The backend itself: a sparse file of 8 TiB, more than memory and swap, and
// as large as the usual file systems hold. (Under the address sanitizer a
// failed allocation ends the process instead of throwing.)
#if !defined(__SANITIZE_ADDRESS__)
TEST_F(TextFileTest, AFileLargerThanMemoryIsReportedByTheBackend) {
  const std::string path = File("huge.cfg", "");
  ASSERT_TRUE(testing::ResizeFile(path, std::uint64_t{1} << 43));
  EXPECT_EQ(std::nullopt, ReadTextFile(os, path, OpenFailureMessage::kOpen));
  ASSERT_EQ(1u, recorder.messages.size());
  EXPECT_EQ(OpenFailureText(path, "Error: 7, Out of memory"), recorder.messages[0].text);
}
#endif

}  // namespace
}  // namespace veyra::config
