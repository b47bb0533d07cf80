// The text-file primitives against the real Win32 backend, where Windows
// sharing rules decide.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "config/text_file.h"
#include "backups/journal.h"
#include "platform/win32/wide_text.h"
#include "tests/doubles/listed_sets.h"
#include "tests/doubles/recording_os.h"
#include "tests/doubles/test_os.h"

namespace veyra::config {
namespace {

// Another program holding the file open without sharing, as a running game might.
class HeldOpen {
 public:
  explicit HeldOpen(const std::string& path)
      : handle_(CreateFileW(platform::win32::WidePath(path).c_str(), GENERIC_READ, 0, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~HeldOpen() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  bool held() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

class TextFileWin32Test : public ::testing::Test {
 protected:
  testing::ScratchFolder folder;
  std::unique_ptr<platform::Os> real = testing::MakeRealOs();
  testing::RecordingOs os{*real};
};

TEST_F(TextFileWin32Test, FileHeldOpenElsewhereIsReportedAndKept) {
  const std::string path = folder.Join("autoexec.cfg");
  testing::WriteFileBytes(path, "crosshair 0\r\n");
  {
    const HeldOpen other(path);
    ASSERT_TRUE(other.held());
    EXPECT_FALSE(EditFileReplacing(os, path, "crosshair", "x", "", ""));
    const platform::Result result = RewriteFile(
        os, path, OpenFailureMessage::kSave, [](std::string text) { return text + "more"; });
    EXPECT_EQ(platform::Operation::kOpen, result.operation()) << result.Describe();
    EXPECT_EQ(32u, result.code()) << result.Describe();
  }
  ASSERT_EQ(2u, os.messages.size());
  EXPECT_EQ("Following error occured while trying to open the file:\r\n" + path +
                "\r\nError: 70, Permission denied\r\n\r\nThe file could not be opened.",
            os.messages[0].text);
  EXPECT_EQ("Following error occured while trying to save the file:\r\n" + path +
                "\r\nError: 70, Permission denied\r\n\r\nThe file could not be saved.",
            os.messages[1].text);
  EXPECT_EQ("crosshair 0\r\n", testing::ReadFileBytes(path));
}

// While the program rewrites a file, no other program can open it.
TEST_F(TextFileWin32Test, RewriteHoldsTheFileUnshared) {
  const std::string path = folder.Join("autoexec.cfg");
  testing::WriteFileBytes(path, "old");
  bool others_kept_out = false;
  EXPECT_TRUE(RewriteFile(os, path, OpenFailureMessage::kSave, [&](std::string text) {
                others_kept_out = !HeldOpen(path).held();
                return text + " new";
              }).ok());
  EXPECT_TRUE(others_kept_out);
  EXPECT_EQ("old new", testing::ReadFileBytes(path));
}


// A rewrite gives the new content the attributes the player set on the old file.
TEST_F(TextFileWin32Test, RewriteKeepsTheFilesAttributes) {
  for (const DWORD attributes :
       {DWORD{FILE_ATTRIBUTE_HIDDEN}, DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM}}) {
    const std::string path = folder.Join("autoexec" + std::to_string(attributes) + ".cfg");
    testing::WriteFileBytes(path, "crosshair 0\r\n");
    const std::wstring wide = platform::win32::WidePath(path);
    ASSERT_TRUE(SetFileAttributesW(wide.c_str(), attributes)) << GetLastError();
    EXPECT_TRUE(EditFileReplacing(os, path, "0", "1", "", ""));
    EXPECT_EQ("crosshair 1\r\n", testing::ReadFileBytes(path));
    // Changed content is marked for backup, as any write marks it.
    EXPECT_EQ(attributes | FILE_ATTRIBUTE_ARCHIVE, GetFileAttributesW(wide.c_str()));
  }
  EXPECT_TRUE(os.messages.empty()) << os.messages[0].text;
}

// A symbolic link made on the Linux side, as players under Proton link their
// cfg files. (Wine accepts CreateSymbolicLinkW but makes no link.)
using UnixName = char*(CDECL*)(const wchar_t*);

// Wine's own export that names a file as Linux sees it; null on Windows.
UnixName WineUnixName() {
  return reinterpret_cast<UnixName>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name"));
}

void MakeUnixLink(const std::string& target, const std::string& link) {
  const UnixName unix_name = WineUnixName();
  ASSERT_NE(nullptr, unix_name) << "not running under Wine";
  const auto unix_path = [unix_name](const std::string& path) {
    char* name = unix_name(platform::win32::WidePath(path).c_str());
    const std::string result = name ? name : "";
    HeapFree(GetProcessHeap(), 0, name);
    return result;
  };
  // Wine hands a Unix program its command line split at blanks, quotes and all.
  std::wstring command =
      platform::win32::Widen("ln -s " + unix_path(target) + " " + unix_path(link));
  ASSERT_EQ(3, std::count(command.begin(), command.end(), L' ')) << "blanks in the scratch path";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessW(L"Z:\\bin\\ln", command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &startup, &process))
      << GetLastError();
  // Wine gives no exit code of a Unix program, and its handle may be signalled
  // before the program has run: the caller waits for the link to appear.
  WaitForSingleObject(process.hProcess, INFINITE);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

// True once `link` leads to `target`, within ten seconds.
bool LinkAppears(platform::Os& os, const std::string& link, const std::string& target) {
  for (int tries = 0; tries < 1000; ++tries) {
    if (os.FinalPath(link) == target) return true;
    Sleep(10);
  }
  return false;
}

// A rewrite through a link to a file in the game folder writes its target and
// leaves the link; the journal keeps the target's old content and a restore
// puts it back through the link. A link that leads out of the game folder is
// never followed: neither a rewrite nor a delete changes what it points to.
TEST_F(TextFileWin32Test, LinksAreFollowedOnlyWithinTheGameFolder) {
  if (WineUnixName() == nullptr) GTEST_SKIP() << "the link is made on the Linux side of Wine";
  const std::string game = folder.Join("game");
  testing::MakeFolder(folder.Join("game\\cfg"));
  testing::MakeFolder(folder.Join("game\\configs"));
  testing::MakeFolder(folder.Join("game\\bin"));
  testing::MakeFolder(folder.Join("elsewhere"));
  const std::string inside = folder.Join("game\\configs\\autoexec.cfg");
  const std::string link = folder.Join("game\\cfg\\autoexec.cfg");
  testing::WriteFileBytes(inside, "crosshair 0\r\n");
  MakeUnixLink(inside, link);
  ASSERT_TRUE(LinkAppears(*real, link, inside)) << "the link was not made: " << real->FinalPath(link);
  {
    backups::Journal journal(os, game, "OK");
    EXPECT_TRUE(EditFileReplacing(journal, link, "0", "1", "", ""));
    journal.Finish();
  }
  EXPECT_EQ("crosshair 1\r\n", testing::ReadFileBytes(inside));
  EXPECT_EQ(inside, real->FinalPath(link)) << "the link became a file";
  EXPECT_TRUE(testing::Listed(*real, folder.Join("game\\configs\\*.veyra-new")).empty());
  const std::vector<std::string> sets = testing::ListedSets(*real, game);
  ASSERT_EQ(1u, sets.size());
  const std::optional<backups::BackupSet> set = backups::ReadSet(*real, game, sets[0]);
  ASSERT_TRUE(set.has_value());
  const backups::RestoreOutcome outcome = testing::RestoreLocked(os, game, {*set});
  EXPECT_TRUE(outcome.failures.empty()) << outcome.failures[0].Describe();
  EXPECT_EQ("crosshair 0\r\n", testing::ReadFileBytes(inside));
  EXPECT_EQ(inside, real->FinalPath(link)) << "the restore replaced the link";
  EXPECT_TRUE(os.messages.empty()) << os.messages[0].text;

  // Out of the game folder: a player's own script, and a player's own injector.
  const std::string script = folder.Join("elsewhere\\autoexec.cfg");
  const std::string injector = folder.Join("elsewhere\\d3d9.dll");
  const std::string script_link = folder.Join("game\\cfg\\other.cfg");
  const std::string injector_link = folder.Join("game\\bin\\d3d9.dll");
  testing::WriteFileBytes(script, "crosshair 0\r\n");
  testing::WriteFileBytes(injector, "the player's own injector");
  MakeUnixLink(script, script_link);
  MakeUnixLink(injector, injector_link);
  ASSERT_TRUE(LinkAppears(*real, script_link, script));
  ASSERT_TRUE(LinkAppears(*real, injector_link, injector));
  {
    backups::Journal journal(os, game, "OK");
    EXPECT_FALSE(EditFileReplacing(journal, script_link, "0", "1", "", ""));
    EXPECT_EQ(platform::error::kAccessDenied, journal.Delete(injector_link));
    journal.Finish();
  }
  EXPECT_EQ("crosshair 0\r\n", testing::ReadFileBytes(script));
  EXPECT_EQ("the player's own injector", testing::ReadFileBytes(injector));
  EXPECT_EQ(injector, real->FinalPath(injector_link)) << "the link was changed";
  EXPECT_EQ(2u, testing::Listed(*real, folder.Join("elsewhere\\*")).size())
      << "something was made beside the player's files";
  EXPECT_EQ(2u, testing::ListedSets(*real, game).size()) << "the refused changes made a set";
  ASSERT_EQ(1u, os.messages.size()) << "the refused rewrite is reported once";
  EXPECT_NE(std::string::npos, os.messages[0].text.find("other.cfg")) << os.messages[0].text;
}

}  // namespace
}  // namespace veyra::config
