// The text-file primitives against the real Win32 backend, where Windows
// sharing rules decide.
#include <windows.h>

#include <gtest/gtest.h>

#include "config/text_file.h"
#include "platform/win32/wide_text.h"
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

}  // namespace
}  // namespace veyra::config
