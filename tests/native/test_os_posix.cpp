#include <filesystem>

#include "platform/posix/posix_os.h"
#include "tests/doubles/test_os.h"

namespace veyra::testing {
namespace fs = std::filesystem;

std::unique_ptr<platform::Os> MakeRealOs() { return std::make_unique<platform::posix::PosixOs>(); }

fs::path FileSystemPath(const std::string& path) { return platform::posix::NativePath(path); }

std::string ProgramPath(const fs::path& path) { return path.string(); }


void SetRegistryString(platform::Os& os, const std::string& key, const std::string& name,
                       const std::string& value) {
  dynamic_cast<platform::posix::PosixOs&>(os).RegistrySetValue(platform::hkey::kCurrentUser, key,
                                                               name, value + '\0');
}

void DeleteRegistryKey(platform::Os& os, const std::string& key) {
  dynamic_cast<platform::posix::PosixOs&>(os).RegistryDeleteKey(platform::hkey::kCurrentUser, key);
}

}  // namespace veyra::testing

namespace veyra::testing {

bool ResizeFile(const std::string& path, std::uint64_t size) {
  std::error_code failed;
  std::filesystem::resize_file(FileSystemPath(path), size, failed);
  return !failed;
}

}  // namespace veyra::testing
