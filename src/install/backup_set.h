// A backup set as it lies in "VeyraConfig backups\sets\": a plain-text
// manifest, one line per change, each naming what changed (a file, relative to
// the game folder, or a registry value) with the hash of its old content (or
// "absent") and of its new content. Old contents lie in the shared store under
// their hashes. A folder the program made or removed has a line of its own.
// A set whose last line is not "complete" was interrupted.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/os.h"

namespace veyra::install {

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
  std::string name;     // the manifest's file name without ".txt"; names sort by age
  std::string action;   // "OK", "restore" or "recovery"
  std::string started;  // "2026-12-07 14:30:05"
  std::vector<Change> changes;
  bool complete = false;
};

// "2026-12-07 14:30:05"
std::string TimeText(const platform::LocalTime& time);

// The manifest's lines, each ended by CR LF.
std::string ManifestHeader(const std::string& action, const platform::LocalTime& started);
std::string ManifestLine(const Change& change);
std::string ManifestCompleteLine(const platform::LocalTime& finished);

// The lines of a text, each ended by CR LF (a line cut short is left out),
// split at their tabs.
std::vector<std::vector<std::string_view>> TabbedLines(std::string_view text);

// Reads a manifest. A line cut short by an interruption (no line end) or not
// of the form above is passed over.
BackupSet ParseManifest(std::string name, std::string_view text);

// The set in one line, for the history: its time, action and what it changed.
std::string SetSummary(const BackupSet& set);

// What restoring the set would touch: distinct files and values.
struct SetSize {
  int files = 0;
  int values = 0;
};
SetSize CountSubjects(const BackupSet& set);

}  // namespace veyra::install
