// A backup set as it lies in "VeyraConfig backups\sets\": a plain-text
// manifest, one line per change, each naming what changed (a file, relative to
// the game folder, or a registry value) with the hash of its old content (or
// "absent") and of its new content. Old contents lie in the shared store under
// their hashes. A folder the program made or removed has a line of its own.
// A set whose last line is not "complete" was interrupted.
//
// Sets are ordered by the sequence number in their header, which the journal
// counts up; never by their names or times, which follow a clock that can go
// back. A set written before sets were numbered has none (0) and counts as
// older than every numbered one.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/os.h"

namespace veyra::backups {

// The state a folder's line gives where a file's gives a hash.
inline constexpr const char* kFolderPresent = "present";

struct Change {
  // A folder's line says it was made (old absent, new "present") or removed.
  enum class Kind { kFile, kValue, kFolder };
  Kind kind = Kind::kFile;
  // A file: its path below the game folder. A value: its key, "HKCU\..." .
  std::string subject;
  std::string value_name;               // values only
  std::optional<std::string> old_hash;  // nullopt: it did not exist
  std::optional<std::string> new_hash;  // nullopt: it no longer exists

  bool operator==(const Change&) const = default;
};

struct BackupSet {
  std::string name;     // the manifest's file name without ".txt"
  std::string action;   // "OK", "restore" or "recovery"
  std::string started;  // "2026-12-07 14:30:05"
  std::uint64_t sequence = 0;
  // The sequence numbers of the sets a restore or a recovery undoes.
  std::vector<std::uint64_t> undoes;
  std::vector<Change> changes;
  bool complete = false;
  // False for a file without the title line (empty, or cut short at its making).
  bool has_header = false;
  // Whole lines of no known form, which no program of ours writes.
  std::vector<std::string> unknown_lines;
  // False for a set whose manifest could not be read; its sequence is then
  // the number its name begins with.
  bool readable = true;
};

// What a change names, for the log and messages: a file's path, or a value's key and name.
std::string SubjectText(const Change& change);

// "2026-12-07 14:30:05"
std::string TimeText(const platform::LocalTime& time);

// The manifest's lines, each ended by CR LF.
std::string ManifestHeader(const std::string& action, const platform::LocalTime& started,
                           std::uint64_t sequence, const std::vector<std::uint64_t>& undoes);
std::string ManifestLine(const Change& change);
std::string ManifestCompleteLine(const platform::LocalTime& finished);

// The lines of a text, each ended by CR LF (a line cut short is left out),
// split at their tabs.
std::vector<std::vector<std::string_view>> TabbedLines(std::string_view text);

// Reads a manifest. A line cut short by an interruption (no line end) is
// passed over; a whole line not of the forms above is kept as unknown.
BackupSet ParseManifest(std::string name, std::string_view text);

// The words of the history's lines, in the language of whoever reads them.
struct SummaryWords {
  std::function<std::string(const std::string&)> action;  // a manifest's action, as shown
  std::function<std::string(int)> files;                  // "1 file", "2 files"
  std::function<std::string(int)> values;                 // "1 registry value"
  // The files with the top folders they lie in, "2 files in hl2, bin".
  std::function<std::string(const std::string& files, const std::string& folders)> files_in;
  std::string interrupted;  // ends the line of a set that did not finish
};

// The set in one line, for the history: its time, action and what it changed.
std::string SetSummary(const BackupSet& set, const SummaryWords& words);

// What restoring the set would touch: distinct files and values.
struct SetSize {
  int files = 0;
  int values = 0;
};
SetSize CountSubjects(const BackupSet& set);

}  // namespace veyra::backups
