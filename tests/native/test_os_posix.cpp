#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "platform/posix/posix_os.h"
#include "tests/doubles/test_os.h"

namespace veyra::testing {
namespace fs = std::filesystem;

namespace {
fs::path Native(const std::string& path) { return fs::path(platform::posix::NativePath(path)); }
}  // namespace

std::unique_ptr<platform::Os> MakeRealOs() { return std::make_unique<platform::posix::PosixOs>(); }

ScratchFolder::ScratchFolder() {
  std::random_device random;
  const fs::path folder =
      fs::temp_directory_path() / ("veyra-test-" + std::to_string(random()) + std::to_string(random()));
  fs::create_directories(folder);
  path_ = folder.string();
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

void SetRegistryString(platform::Os& os, const std::string& key, const std::string& name,
                       const std::string& value) {
  dynamic_cast<platform::posix::PosixOs&>(os).RegistrySetValue(platform::hkey::kCurrentUser, key,
                                                               name, value + '\0');
}

void DeleteRegistryKey(platform::Os&, const std::string&) {}  // each PosixOs starts empty

}  // namespace veyra::testing
