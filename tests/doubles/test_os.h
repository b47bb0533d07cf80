// The real backend of the build the tests run in: Win32 under Wine (or
// Windows), posix natively. Tests that pin down observable behaviour run
// against it, so they hold for the program as it ships.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/os.h"

namespace veyra::testing {

std::unique_ptr<platform::Os> MakeRealOs();

// A program path (backslashes, UTF-8) as the file system library takes it, and back.
std::filesystem::path FileSystemPath(const std::string& path);
std::string ProgramPath(const std::filesystem::path& path);

// A fresh, empty folder for one test, as a path in the program's own form
// (backslashes on Windows); removed with everything in it at destruction. It
// lies below VEYRA_SCRATCH when that is set, else in the temporary folder.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& path() const { return path_; }
  // `relative` uses backslashes, e.g. "VYhl2\\cfg\\autoexec.cfg".
  std::string Join(const std::string& relative) const { return path_ + "\\" + relative; }

 private:
  std::string path_;
};

// Test helpers that act on files directly, outside the code under test.
void WriteFileBytes(const std::string& path, const std::string& bytes);
std::string ReadFileBytes(const std::string& path);  // "" when missing
bool PathExists(const std::string& path);
// Sets the file's length; what grows it is a hole, where the file system has them.
bool ResizeFile(const std::string& path, std::uint64_t size);
// The entries `pattern` lists through `os`; a failed listing fails the test.
std::vector<platform::DirEntry> Listed(platform::Os& os, const std::string& pattern);
void MakeFolder(const std::string& path);  // with missing parents

// Every file below `folder`, by its path below it ('/' between the names),
// with its bytes; the backups the program keeps there are left out unless asked for.
std::map<std::string, std::string> FilesBelow(const std::string& folder, bool with_backups = false);

}  // namespace veyra::testing

namespace veyra::testing {

// Registry helpers for tests, acting on the backend `os` (the real registry on
// Windows, the backend's own in-memory registry natively), under HKEY_CURRENT_USER.
void SetRegistryString(platform::Os& os, const std::string& key, const std::string& name,
                       const std::string& value);
void DeleteRegistryKey(platform::Os& os, const std::string& key);  // with every subkey

}  // namespace veyra::testing
