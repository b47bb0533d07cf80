#include "config/durable_file.h"

namespace veyra::config {

using platform::Operation;
using platform::Result;
namespace error = platform::error;

ContentWriter BytesWriter(std::string_view bytes) {
  return [bytes](platform::OpenFile& file) -> Result {
    std::size_t written = 0;
    platform::SystemError code = file.WriteFromStart(bytes, written);
    // A write that stops short without a reason has run out of space.
    if (code == error::kSuccess && written != bytes.size()) code = error::kDiskFull;
    if (code != error::kSuccess) return {Operation::kWrite, "", code};
    return {Operation::kTruncate, "", file.Truncate(bytes.size())};
  };
}

Result WriteDurably(platform::Os& os, const std::string& path, const ContentWriter& write) {
  Result result;
  {
    platform::SystemError code = error::kSuccess;
    std::unique_ptr<platform::OpenFile> file =
        os.Open(path, platform::FileAccess::kReadWrite, code);
    if (!file) return {Operation::kOpen, path, code};
    result = write(*file);
    if (!result.ok()) result = {result.operation(), path, result.code()};
    if (result.ok()) result = {Operation::kFlush, path, file->Flush()};
  }
  if (!result.ok()) {
    platform::Ignore(os.Delete(path),
                     "the failure that matters is the one returned; this only tidies up");
  }
  return result;
}

Result ReplaceDurably(platform::Os& os, const std::string& target, const std::string& beside,
                      const ContentWriter& write, const std::function<void()>& before_rename) {
  Result result = WriteDurably(os, beside, write);
  if (!result.ok()) return result;
  if (before_rename) before_rename();
  result = {Operation::kMove, target, os.MoveReplacing(beside, target)};
  if (!result.ok()) {
    platform::Ignore(os.Delete(beside),
                     "the failure that matters is the one returned; this only tidies up");
  }
  return result;
}

}  // namespace veyra::config
