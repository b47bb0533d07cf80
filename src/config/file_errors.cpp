#include "config/file_errors.h"

namespace veyra::config {
namespace {

struct CodeRange {
  platform::SystemError first;
  platform::SystemError last;
  FileError error;
};

constexpr FileError kNotFound{53, "File not found"};
constexpr FileError kPermissionDenied{70, "Permission denied"};
constexpr FileError kInternal{51, "Internal error"};
constexpr FileError kFatal{kFatalFileErrorNumber, ""};
constexpr FileError kOutOfMemory{7, "Out of memory"};
constexpr FileError kDeviceUnavailable{68, "Device unavailable"};
constexpr FileError kMediaError{72, "Disk media error"};
constexpr FileError kDiskFull{61, "Disk full"};

constexpr CodeRange kTable[] = {
    {2, 2, kNotFound},          {18, 18, kNotFound},
    {3, 3, {76, "Path not found"}},
    {4, 4, {67, "Too many files"}},
    {5, 5, kPermissionDenied},  {19, 19, kPermissionDenied},
    {32, 33, kPermissionDenied}, {36, 36, kPermissionDenied},
    {6, 6, kInternal},          {11, 13, kInternal},
    {22, 22, kInternal},        {24, 24, kInternal},
    {7, 7, kFatal},             {9, 10, kFatal},
    {8, 8, kOutOfMemory},       {14, 14, kOutOfMemory},
    {15, 15, kDeviceUnavailable}, {20, 20, kDeviceUnavailable},
    {17, 17, {74, "Rename across disks"}},
    {21, 21, {71, "Disk not ready"}},
    {23, 23, kMediaError},      {25, 31, kMediaError},
    {34, 35, kMediaError},
    {38, 38, {62, "Input past end"}},
    {39, 39, kDiskFull},        {112, 112, kDiskFull},
    {87, 87, {5, "Illegal function call"}},
};

constexpr FileError kAnyOther{75, "Path/file access error"};

}  // namespace

FileError FileErrorFor(platform::SystemError code) {
  for (const CodeRange& range : kTable) {
    if (code >= range.first && code <= range.last) return range.error;
  }
  return kAnyOther;
}

std::string ErrorLine(const FileError& error) {
  return "Error: " + std::to_string(error.number) + ", " + std::string(error.text);
}

int FileErrorNumber(const platform::Result& result) {
  return result.ok() ? 0 : FileErrorFor(result.code()).number;
}

}  // namespace veyra::config
