// The game's text files: existence test, opening for rewriting, whole-file
// rewrites that never leave a file half written, the sun-ray switches of the
// precache lists, the minimal config.cfg and the two file-failure messages.
// File contents are bytes: no decoding and no line-end normalisation. A UTF-8
// byte-order mark is kept aside from the text and written back before it; a
// UTF-16 file is never taken as bytes (its text would be edited a byte of
// each character at a time), but refused.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "config/file_errors.h"
#include "platform/os.h"

namespace veyra::config {

// True when a directory search finds an entry for `path`: * and ? are
// wildcards, and a folder matches as well as a file.
[[nodiscard]] bool FileExists(platform::Os& os, const std::string& path);

// A rewrite writes the new content to the file's name with this added, in the
// same folder so that the final rename stays on one volume. For a symbolic
// link that is the folder of the file it finally names.
inline constexpr std::string_view kReplacementSuffix = ".veyra-new";

struct [[nodiscard]] OpenedForRewrite {
  std::unique_ptr<platform::OpenFile> file;  // null when the open failed
  bool writable = false;  // false when only the read-only fallback succeeded
  // Why it could not be opened (for writing, when only reading works).
  platform::SystemError code = platform::error::kSuccess;
  FileError error{};  // the same as the messages show it
};

// Opens unshared for reading and writing (creating a missing file), and when
// that fails once more for reading only. An empty or wildcard path is refused
// before any system call. The whole path is used, however long.
OpenedForRewrite OpenForRewrite(platform::Os& os, const std::string& path);

// The file-failure messages, shown task-modal with an exclamation icon and OK.
void ShowOpenFailure(platform::Os& os, const std::string& path, const FileError& error);
// Without a path the path line is left out.
void ShowSaveFailure(platform::Os& os, const std::optional<std::string>& path,
                     const FileError& error);

// A file message in that layout, under "File error!": the lead line, the
// path, the error line, an empty line and the closing line.
void ShowFileError(platform::Os& os, std::string_view lead, const std::string& path,
                   const FileError& error, std::string_view closing);

// Which message reports that a file could not be opened.
// kOpenPresetFile is the open-failure message of the SweetFX preset file, which
// has always begun "The following error"; kCreateMarker that of the VR marker
// file, which begins as the save-failure message and ends as the open-failure one.
enum class OpenFailureMessage { kOpen, kOpenPresetFile, kCreateMarker, kSave, kSaveWithoutPath };

// Shows the message for a failed file operation, or ends the program with exit
// code 255 for the errors that are never shown.
void ReportFileFailure(platform::Os& os, OpenFailureMessage message, const std::string& path,
                       const FileError& error);
// Shows the message for `failure` of the file `path` (with `error`, by
// default the one its code gives) and gives the failure back marked as
// reported: the mark is set where the player is told, so nobody tells twice.
[[nodiscard]] platform::Result ReportedFailure(platform::Os& os, OpenFailureMessage message,
                                               const std::string& path, platform::Result failure);
[[nodiscard]] platform::Result ReportedFailure(platform::Os& os, OpenFailureMessage message,
                                               const std::string& path, platform::Result failure,
                                               const FileError& error);

inline constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// Reads the whole file as text: `mark` gets its UTF-8 byte-order mark (empty
// when it has none) and `text` the rest. A UTF-16 file (by its byte-order
// mark) gives kNoUnicodeTranslation; one too large for memory kNotEnoughMemory.
platform::SystemError ReadText(platform::OpenFile& file, std::string& mark, std::string& text);

// The text of a file (without its mark), opened as for a rewrite; a failure to
// open or read it is reported with `message` and gives nothing.
std::optional<std::string> ReadTextFile(platform::Os& os, const std::string& path,
                                        OpenFailureMessage message);

// Rewrites a file whole: opens it for rewriting, reads it, passes the text
// (without its UTF-8 mark) through `change` and writes the mark and the result
// back. The new content is written to a file beside it that then takes its
// place, so a failed write leaves the old content in place. A failed open is reported with `open_failure`; a failed
// read or write with the save-failure message naming the path. When only the
// read-only fallback open succeeds, the file stays as it is and that is
// reported with the save-failure message too; so is a UTF-16 file, which
// stays as it is. Any failure names the operation and the file, and comes
// back marked as reported.
platform::Result RewriteFile(platform::Os& os, const std::string& path,
                             OpenFailureMessage open_failure,
                             const std::function<std::string(std::string)>& change);
// The same with content that does not depend on the old one (nothing is read).
platform::Result WriteWholeFile(platform::Os& os, const std::string& path,
                                OpenFailureMessage open_failure, std::string_view content);

// Every occurrence of `find`, left to right and without overlap, replaced by
// `replacement`; the inserted text is not searched again. An empty `find`
// changes nothing.
std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view replacement);
// Whether `text` begins with `prefix`, ASCII letters in either case (as Windows paths compare).
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

// Rewrites the file with every `find1` replaced by `repl1`, then every
// `find2` by `repl2`; a failure is reported (and so marked) as RewriteFile's.
platform::Result ReplaceInFile(platform::Os& os, const std::string& path, std::string_view find1,
                               std::string_view repl1, std::string_view find2,
                               std::string_view repl2);

// When the file exists, rewrites it with every `find1` replaced by `repl1`,
// then every `find2` by `repl2`. False when it is missing (nothing is created
// or shown) or could not be opened, read or written (reported).
[[nodiscard]] bool EditFileReplacing(platform::Os& os, const std::string& path, std::string_view find1,
                       std::string_view repl1, std::string_view find2, std::string_view repl2);

// Writes the minimal config.cfg: "unbindall" and skill 2, each ended by LF.
[[nodiscard]] bool WriteDefaultConfig(platform::Os& os, const std::string& path);

}  // namespace veyra::config
