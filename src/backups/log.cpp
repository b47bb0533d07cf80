#include "backups/log.h"

#include "backups/sets.h"
#include "config/durable_file.h"
#include "config/file_errors.h"

namespace veyra::backups {

namespace error = platform::error;

std::string FailureLine(const platform::Result& failure) {
  return "  failed " + failure.Describe() + " (" +
         config::ErrorLine(config::FileErrorFor(failure.code())) + ")\r\n";
}

void AppendToLog(platform::Os& os, const std::string& game_folder, const std::string& lines) {
  platform::Ignore(os.CreateFolder(BackupsFolder(game_folder)),
                   "it exists already, or the open below fails");
  platform::SystemError code = error::kSuccess;
  std::unique_ptr<platform::OpenFile> log =
      os.Open(LogFile(game_folder), platform::FileAccess::kReadWrite, code);
  if (!log) return;
  if (log->Append(lines) != error::kSuccess) return;
  std::string text;
  if (log->ReadAll(text) != error::kSuccess || text.size() <= kLogLimit) return;
  // The older half goes, from a line's start on.
  const std::size_t cut = text.find("\r\n", text.size() / 2);
  const std::string kept = cut == std::string::npos ? std::string() : text.substr(cut + 2);
  log.reset();
  const std::string path = LogFile(game_folder);
  platform::Ignore(config::ReplaceDurably(os, path, path + std::string(kPartialSuffix),
                                          config::BytesWriter(kept)),
                   "a log that stays long is no harm");
}

}  // namespace veyra::backups
