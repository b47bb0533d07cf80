// The error number and text a failed file operation shows, taken from the
// Windows system error code of that operation.
#pragma once

#include <string>
#include <string_view>

#include "platform/os.h"

namespace veyra::config {

struct FileError {
  int number;
  std::string_view text;

  bool operator==(const FileError&) const = default;
};

// A path that is empty or holds a wildcard is refused before any system call.
inline constexpr FileError kBadFileName{64, "Bad file name"};

// Failures with this number are never shown: the program ends at once.
inline constexpr int kFatalFileErrorNumber = 241;
inline constexpr int kFatalFileErrorExitCode = 255;

FileError FileErrorFor(platform::SystemError code);

// "Error: 70, Permission denied", as the messages and the log show an error.
std::string ErrorLine(const FileError& error);

// The file-error number of a failed operation, 0 for success.
int FileErrorNumber(const platform::Result& result);

}  // namespace veyra::config
