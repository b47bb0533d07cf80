#include "config/text_file.h"

#include <algorithm>
#include <new>

#include "config/durable_file.h"

namespace veyra::config {
namespace {

using platform::SystemError;
namespace error = platform::error;

constexpr std::uint32_t kMessageFlags =
    platform::mb::kOk | platform::mb::kIconExclamation | platform::mb::kTaskModal;

// Writes `content` beside `path` and moves it over `path`. `original` is the
// caller's unshared handle of `path`; it is closed just before the move, which
// it would block. On failure `path` keeps its old content and no file is left
// beside it.
platform::Result ReplaceContent(platform::Os& os, const std::string& path,
                                std::unique_ptr<platform::OpenFile> original,
                                std::string_view content) {
  // Beside the file a link finally names, so the move stays on its volume.
  const std::string replacement = os.FinalPath(path) + std::string(kReplacementSuffix);
  return ReplaceDurably(os, path, replacement, BytesWriter(content), [&] { original.reset(); });
}

// Shared by both rewrites: `change` is null when the old content is not needed.
platform::Result Rewrite(platform::Os& os, const std::string& path,
                         OpenFailureMessage open_failure,
                         const std::function<std::string(std::string)>* change,
                         std::string_view content) {
  OpenedForRewrite opened = OpenForRewrite(os, path);
  if (!opened.file) {
    return ReportedFailure(os, open_failure, path,
                           {platform::Operation::kOpen, path, opened.code}, opened.error);
  }
  // Read-only (marked so by the player, or a folder without the right to
  // write): the file stays as it is, and the player learns the change was not saved.
  if (!opened.writable) {
    return ReportedFailure(os, OpenFailureMessage::kSave, path,
                           {platform::Operation::kOpen, path, opened.code}, opened.error);
  }

  std::string changed;
  if (change) {
    std::string old_text;
    SystemError code = ReadText(*opened.file, changed, old_text);
    // The change of a text that only just fit may need more memory than is left.
    try {
      if (code == error::kSuccess) changed += (*change)(std::move(old_text));
    } catch (const std::bad_alloc&) {
      code = error::kNotEnoughMemory;
    }
    if (code != error::kSuccess) {
      return ReportedFailure(os, OpenFailureMessage::kSave, path,
                             {platform::Operation::kRead, path, code});
    }
    content = changed;
  }
  platform::Result result = ReplaceContent(os, path, std::move(opened.file), content);
  if (result.ok()) return result;
  return ReportedFailure(os, OpenFailureMessage::kSave, path, std::move(result));
}

}  // namespace

bool FileExists(platform::Os& os, const std::string& path) { return os.FindFirstMatch(path); }

SystemError ReadText(platform::OpenFile& file, std::string& mark, std::string& text) {
  mark.clear();
  if (const SystemError code = file.ReadAll(text); code != error::kSuccess) return code;
  const std::string_view head(text.data(), std::min<std::size_t>(text.size(), 2));
  if (head == "\xFF\xFE" || head == "\xFE\xFF") {
    text.clear();
    return error::kNoUnicodeTranslation;
  }
  if (text.starts_with(kUtf8Mark)) {
    mark = kUtf8Mark;
    text.erase(0, kUtf8Mark.size());
  }
  return error::kSuccess;
}

std::optional<std::string> ReadTextFile(platform::Os& os, const std::string& path,
                                        OpenFailureMessage message) {
  OpenedForRewrite opened = OpenForRewrite(os, path);
  if (!opened.file) {
    ReportFileFailure(os, message, path, opened.error);
    return std::nullopt;
  }
  std::string mark, text;
  if (const SystemError code = ReadText(*opened.file, mark, text); code != error::kSuccess) {
    ReportFileFailure(os, message, path, FileErrorFor(code));
    return std::nullopt;
  }
  return text;
}

OpenedForRewrite OpenForRewrite(platform::Os& os, const std::string& path) {
  OpenedForRewrite opened;
  if (path.empty() || path.find_first_of("*?") != std::string::npos) {
    opened.code = error::kInvalidName;
    opened.error = kBadFileName;
    return opened;
  }
  SystemError code = error::kSuccess;
  opened.file = os.Open(path, platform::FileAccess::kReadWrite, code);
  opened.writable = opened.file != nullptr;
  // Why it could not be opened for writing, even when reading works.
  opened.code = code;
  opened.error = FileErrorFor(code);
  if (!opened.file) {
    opened.file = os.Open(path, platform::FileAccess::kReadOnly, code);
    if (!opened.file) {
      opened.code = code;
      opened.error = FileErrorFor(code);
    }
  }
  return opened;
}

void ShowFileError(platform::Os& os, std::string_view lead, const std::string& path,
                   const FileError& error, std::string_view closing) {
  os.ShowMessage(std::string(lead) + "\r\n" + path + "\r\n" + ErrorLine(error) + "\r\n\r\n" +
                     std::string(closing),
                 "File error!", kMessageFlags);
}

// The open-failure message with the lead line given.
static void ShowOpenFailureLed(platform::Os& os, std::string_view lead, const std::string& path,
                               const FileError& error) {
  ShowFileError(os, lead, path, error, "The file could not be opened.");
}

void ShowOpenFailure(platform::Os& os, const std::string& path, const FileError& error) {
  ShowOpenFailureLed(os, "Following error occured while trying to open the file:", path, error);
}

void ShowSaveFailure(platform::Os& os, const std::optional<std::string>& path,
                     const FileError& error) {
  std::string text = "Following error occured while trying to save the file:\r\n";
  if (path) text += *path + "\r\n";
  text += ErrorLine(error) + "\r\n\r\nThe file could not be saved.";
  os.ShowMessage(text, "Save file error!", kMessageFlags);
}

platform::Result ReportedFailure(platform::Os& os, OpenFailureMessage message,
                                 const std::string& path, platform::Result failure) {
  const FileError error = FileErrorFor(failure.code());
  return ReportedFailure(os, message, path, std::move(failure), error);
}

platform::Result ReportedFailure(platform::Os& os, OpenFailureMessage message,
                                 const std::string& path, platform::Result failure,
                                 const FileError& error) {
  ReportFileFailure(os, message, path, error);
  return failure.Reported();
}

void ReportFileFailure(platform::Os& os, OpenFailureMessage message, const std::string& path,
                       const FileError& error) {
  if (error.number == kFatalFileErrorNumber) os.Terminate(kFatalFileErrorExitCode);
  switch (message) {
    case OpenFailureMessage::kOpen: ShowOpenFailure(os, path, error); break;
    case OpenFailureMessage::kOpenPresetFile:
      ShowOpenFailureLed(os, "The following error occured while trying to open the file:", path,
                         error);
      break;
    case OpenFailureMessage::kCreateMarker:
      ShowOpenFailureLed(os, "Following error occured while trying to save the file:", path, error);
      break;
    case OpenFailureMessage::kSave: ShowSaveFailure(os, path, error); break;
    case OpenFailureMessage::kSaveWithoutPath: ShowSaveFailure(os, std::nullopt, error); break;
  }
}

platform::Result RewriteFile(platform::Os& os, const std::string& path,
                             OpenFailureMessage open_failure,
                             const std::function<std::string(std::string)>& change) {
  return Rewrite(os, path, open_failure, &change, {});
}

platform::Result WriteWholeFile(platform::Os& os, const std::string& path,
                                OpenFailureMessage open_failure, std::string_view content) {
  return Rewrite(os, path, open_failure, nullptr, content);
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(text[i]) != lower(prefix[i])) return false;
  }
  return true;
}

std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view replacement) {
  if (find.empty()) return std::string(text);
  std::string result;
  result.reserve(text.size());
  std::size_t from = 0;
  for (std::size_t at = text.find(find); at != std::string_view::npos;
       at = text.find(find, from)) {
    result.append(text, from, at - from);
    result.append(replacement);
    from = at + find.size();
  }
  result.append(text, from);
  return result;
}

platform::Result ReplaceInFile(platform::Os& os, const std::string& path, std::string_view find1,
                               std::string_view repl1, std::string_view find2,
                               std::string_view repl2) {
  return RewriteFile(os, path, OpenFailureMessage::kOpen, [&](std::string text) {
    return ReplaceAll(ReplaceAll(text, find1, repl1), find2, repl2);
  });
}

bool EditFileReplacing(platform::Os& os, const std::string& path, std::string_view find1,
                       std::string_view repl1, std::string_view find2, std::string_view repl2) {
  return FileExists(os, path) && ReplaceInFile(os, path, find1, repl1, find2, repl2).ok();
}

bool WriteDefaultConfig(platform::Os& os, const std::string& path) {
  return WriteWholeFile(os, path, OpenFailureMessage::kSave, "unbindall\nskill \"2\"\n").ok();
}

}  // namespace veyra::config
