#include <windows.h>

#include <filesystem>

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_os.h"
#include "tests/doubles/test_os.h"

namespace veyra::testing {
namespace fs = std::filesystem;

std::unique_ptr<platform::Os> MakeRealOs() { return std::make_unique<platform::win32::Win32Os>(); }

fs::path FileSystemPath(const std::string& path) { return platform::win32::WidePath(path); }

std::string ProgramPath(const fs::path& path) { return platform::win32::Narrow(path.wstring()); }


void SetRegistryString(platform::Os&, const std::string& key, const std::string& name,
                       const std::string& value) {
  HKEY opened;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &opened,
                      nullptr) != ERROR_SUCCESS) {
    return;
  }
  RegSetValueExA(opened, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
  RegCloseKey(opened);
}

void DeleteRegistryKey(platform::Os&, const std::string& key) {
  RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
  RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
}

}  // namespace veyra::testing

namespace veyra::testing {

// The C runtime's own resize stops at 4 GiB; the system call does not.
bool ResizeFile(const std::string& path, std::uint64_t size) {
  HANDLE file = CreateFileW(platform::win32::WidePath(path).c_str(), GENERIC_WRITE, 0, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER end{};
  end.QuadPart = static_cast<LONGLONG>(size);
  const bool resized = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
  CloseHandle(file);
  return resized;
}

}  // namespace veyra::testing
