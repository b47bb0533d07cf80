// The Win32 backend's own behaviour under the real system.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_os.h"
#include "tests/doubles/test_os.h"

namespace veyra::platform::win32 {
namespace {

// Restores the process's current directory when the test ends.
class CurrentDirectoryGuard {
 public:
  CurrentDirectoryGuard() {
    wchar_t buffer[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, buffer);
    saved_ = buffer;
  }
  ~CurrentDirectoryGuard() { SetCurrentDirectoryW(saved_.c_str()); }

 private:
  std::wstring saved_;
};

TEST(Win32OsTest, StartDirectoryUnderANonAsciiFolderComesBackAsUtf8) {
  testing::ScratchFolder scratch;
  const std::string library = scratch.Join("SteamLibrary Spiele Läufer Ωμέγα 日本");
  testing::MakeFolder(library);
  CurrentDirectoryGuard guard;
  ASSERT_TRUE(SetCurrentDirectoryW(Widen(library).c_str())) << GetLastError();

  Win32Os os;
  const std::optional<std::string> directory = os.CurrentDirectory();
  ASSERT_TRUE(directory.has_value());
  EXPECT_EQ(library, *directory);
}

TEST(Win32OsTest, TextsSurviveTheTripToUtf16AndBack) {
  for (const std::string text : {"", "ASCII", "Waffenrückstoß", "Ωμέγα 日本 \xF0\x9F\x8E\xAE"}) {
    EXPECT_EQ(text, Narrow(Widen(text)));
  }
  EXPECT_EQ(L"\u00fc", Widen("\xC3\xBC"));
}

TEST(Win32OsTest, LongPathsTakeTheLiteralFormAndShortOnesStayAsTheyAre) {
  EXPECT_EQ(L"C:\\Games\\VYhl2\\cfg\\autoexec.cfg", WidePath("C:\\Games\\VYhl2\\cfg\\autoexec.cfg"));
  const std::string deep = "C:\\\\" + std::string(300, 'a') + "\\file";
  EXPECT_EQ(L"\\\\?\\C:\\" + std::wstring(300, L'a') + L"\\file", WidePath(deep));
  const std::string share = "\\\\server\\share\\" + std::string(300, 'b');
  EXPECT_EQ(L"\\\\?\\UNC\\server\\share\\" + std::wstring(300, L'b'), WidePath(share));
}

}  // namespace
}  // namespace veyra::platform::win32
