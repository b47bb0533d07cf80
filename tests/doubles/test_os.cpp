// The file helpers of the tests, the same on every platform; only the
// conversion between the program's paths and the file system's differs.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "tests/doubles/test_os.h"

#include <gtest/gtest.h>

namespace veyra::testing {
namespace fs = std::filesystem;

// VEYRA_SCRATCH names a folder in memory where the suite runs them: the
// program flushes what it records, and on a disk that would be most of the
// suite's time.
fs::path ScratchRoot() {
  const char* chosen = std::getenv("VEYRA_SCRATCH");
  return chosen && *chosen ? fs::path(chosen).make_preferred() : fs::temp_directory_path();
}

ScratchFolder::ScratchFolder() {
  std::random_device random;
  const fs::path folder =
      ScratchRoot() / ("veyra-test-" + std::to_string(random()) + std::to_string(random()));
  fs::create_directories(folder);
  path_ = ProgramPath(folder);
  while (!path_.empty() && path_.back() == '\\') path_.pop_back();
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  fs::remove_all(FileSystemPath(path_), ignored);
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(FileSystemPath(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(FileSystemPath(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool PathExists(const std::string& path) { return fs::exists(FileSystemPath(path)); }

void MakeFolder(const std::string& path) { fs::create_directories(FileSystemPath(path)); }

std::map<std::string, std::string> FilesBelow(const std::string& folder, bool with_backups) {
  std::map<std::string, std::string> files;
  const fs::path root = FileSystemPath(folder);
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string relative = entry.path().lexically_relative(root).generic_string();
    if (!entry.is_regular_file()) continue;
    if (!with_backups && relative.rfind("VeyraConfig backups", 0) == 0) continue;
    files[relative] = ReadFileBytes(ProgramPath(entry.path()));
  }
  return files;
}

}  // namespace veyra::testing

namespace veyra::testing {

std::vector<platform::DirEntry> Listed(platform::Os& os, const std::string& pattern) {
  std::vector<platform::DirEntry> entries;
  const platform::SystemError code = os.ListDirectory(pattern, entries);
  EXPECT_EQ(0u, code) << "listing " << pattern;
  return entries;
}

}  // namespace veyra::testing
