#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_os.h"
#include "tests/doubles/test_os.h"

namespace veyra::testing {
namespace fs = std::filesystem;

namespace {
fs::path Native(const std::string& path) { return fs::path(platform::win32::WidePath(path)); }
}  // namespace

std::unique_ptr<platform::Os> MakeRealOs() { return std::make_unique<platform::win32::Win32Os>(); }

ScratchFolder::ScratchFolder() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const fs::path folder = fs::path(temp) / (L"veyra-test-" + std::to_wstring(GetCurrentProcessId()) +
                                            L"-" + std::to_wstring(GetTickCount64()) + L"-" +
                                            std::to_wstring(reinterpret_cast<std::uintptr_t>(this)));
  fs::create_directories(folder);
  path_ = platform::win32::Narrow(folder.wstring());
  while (!path_.empty() && path_.back() == '\\') path_.pop_back();
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  fs::remove_all(Native(path_), ignored);
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(Native(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(Native(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool PathExists(const std::string& path) { return fs::exists(Native(path)); }

void MakeFolder(const std::string& path) { fs::create_directories(Native(path)); }

}  // namespace veyra::testing

namespace veyra::testing {

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
