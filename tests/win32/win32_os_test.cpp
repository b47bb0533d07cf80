// The Win32 backend's own behaviour under the real system.
#include <windows.h>
#include <winioctl.h>

#include <gtest/gtest.h>

#include <algorithm>

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

// Offsets travel whole: above 4 GiB the high half counts. The file is sparse
// (where the file system has holes), so it takes no room but its last bytes.
TEST(Win32OsTest, ReadsAtOffsetsAboveFourGibibytes) {
  testing::ScratchFolder scratch;
  const std::string path = scratch.Join("huge.bin");
  const std::uint64_t end = (std::uint64_t{5} << 32) + 12345;
  {
    HANDLE file = CreateFileW(WidePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << GetLastError();
    DWORD returned = 0;
    DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    CloseHandle(file);
  }
  ASSERT_TRUE(testing::ResizeFile(path, end - 4));
  Win32Os os;
  SystemError error;
  const std::unique_ptr<OpenFile> file = os.Open(path, FileAccess::kReadWrite, error);
  ASSERT_TRUE(file) << error;
  ASSERT_EQ(0u, file->Append("tail"));

  struct Case {
    std::uint64_t offset;
    std::string bytes;  // what arrives of 8 asked for
  };
  const Case cases[] = {
      {end - 6, std::string(2, '\0') + "tail"},
      {end - 4, "tail"},
      {end - 4 - (std::uint64_t{1} << 32), std::string(8, '\0')},  // the same low half, 4 GiB before
      {end, ""},
      {end + (std::uint64_t{1} << 32), ""},
  };
  for (const Case& c : cases) {
    char buffer[8];
    std::size_t read = 99;
    EXPECT_EQ(0u, file->ReadAt(c.offset, buffer, sizeof buffer, read)) << "at " << c.offset;
    EXPECT_EQ(c.bytes, std::string(buffer, std::min(read, sizeof buffer))) << "at " << c.offset;
  }
}

}  // namespace
}  // namespace veyra::platform::win32
