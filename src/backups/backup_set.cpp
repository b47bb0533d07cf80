#include "backups/backup_set.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <utility>

#include "backups/content_hash.h"

namespace veyra::backups {
namespace {

constexpr std::string_view kTitle = "VeyraConfig backup set";
constexpr std::string_view kAbsent = "absent";
constexpr std::string_view kLineEnd = "\r\n";

std::string HashOrAbsent(const std::optional<std::string>& hash) {
  return hash ? *hash : std::string(kAbsent);
}

std::optional<std::string> ParseHash(std::string_view field) {
  if (field == kAbsent) return std::nullopt;
  return std::string(field);
}

bool IsPresence(std::string_view field) { return field == kAbsent || field == kFolderPresent; }

bool IsHash(std::string_view field) { return field == kAbsent || IsContentHash(field); }

// A whole number of at most 19 digits, so that it fits 64 bits.
std::optional<std::uint64_t> ParseNumber(std::string_view field) {
  if (field.empty() || field.size() > 19) return std::nullopt;
  std::uint64_t number = 0;
  for (const char c : field) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return number;
}

}  // namespace

std::string TimeText(const platform::LocalTime& time) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", time.year, time.month, time.day,
                time.hour, time.minute, time.second);
  return text;
}

std::string SubjectText(const Change& change) {
  return change.kind == Change::Kind::kValue ? change.subject + " " + change.value_name
                                             : change.subject;
}

std::string ManifestHeader(const std::string& action, const platform::LocalTime& started,
                           std::uint64_t sequence, const std::vector<std::uint64_t>& undoes) {
  std::string header(kTitle);
  header += kLineEnd;
  header += "started\t" + TimeText(started) + std::string(kLineEnd);
  header += "action\t" + action + std::string(kLineEnd);
  header += "sequence\t" + std::to_string(sequence) + std::string(kLineEnd);
  if (!undoes.empty()) {
    header += "undoes";
    for (const std::uint64_t undone : undoes) header += "\t" + std::to_string(undone);
    header += kLineEnd;
  }
  return header;
}

std::string ManifestLine(const Change& change) {
  std::string line = change.kind == Change::Kind::kFile    ? "file\t"
                     : change.kind == Change::Kind::kValue ? "value\t"
                                                           : "folder\t";
  line += change.subject;
  if (change.kind == Change::Kind::kValue) line += "\t" + change.value_name;
  line += "\t" + HashOrAbsent(change.old_hash) + "\t" + HashOrAbsent(change.new_hash);
  return line + std::string(kLineEnd);
}

std::string ManifestCompleteLine(const platform::LocalTime& finished) {
  return "complete\t" + TimeText(finished) + std::string(kLineEnd);
}

std::vector<std::vector<std::string_view>> TabbedLines(std::string_view text) {
  std::vector<std::vector<std::string_view>> lines;
  for (std::size_t end = text.find(kLineEnd); end != std::string_view::npos;
       end = text.find(kLineEnd)) {
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end + kLineEnd.size());
    std::vector<std::string_view>& fields = lines.emplace_back();
    for (std::size_t tab = line.find('\t'); tab != std::string_view::npos; tab = line.find('\t')) {
      fields.push_back(line.substr(0, tab));
      line.remove_prefix(tab + 1);
    }
    fields.push_back(line);
  }
  return lines;
}

BackupSet ParseManifest(std::string name, std::string_view text) {
  BackupSet set;
  set.name = std::move(name);
  const auto unknown = [&set](const std::vector<std::string_view>& fields) {
    std::string line;
    for (std::size_t n = 0; n < fields.size(); ++n) line += (n ? "\t" : "") + std::string(fields[n]);
    set.unknown_lines.push_back(line);
  };
  bool first = true;
  for (const std::vector<std::string_view>& fields : TabbedLines(text)) {
    const std::string_view kind = fields[0];
    if (first && fields.size() == 1 && kind == kTitle) {
      set.has_header = true;
    } else if (kind == "started" && fields.size() == 2) {
      set.started = fields[1];
    } else if (kind == "action" && fields.size() == 2) {
      set.action = fields[1];
    } else if (kind == "sequence" && fields.size() == 2 && ParseNumber(fields[1])) {
      set.sequence = *ParseNumber(fields[1]);
    } else if (kind == "undoes" && fields.size() >= 2 &&
               std::all_of(fields.begin() + 1, fields.end(),
                           [](std::string_view field) { return ParseNumber(field).has_value(); })) {
      for (std::size_t n = 1; n < fields.size(); ++n) set.undoes.push_back(*ParseNumber(fields[n]));
    } else if (kind == "complete") {
      set.complete = true;
    } else if (kind == "file" && fields.size() == 4 && IsHash(fields[2]) && IsHash(fields[3])) {
      set.changes.push_back({Change::Kind::kFile, std::string(fields[1]), "", ParseHash(fields[2]),
                             ParseHash(fields[3])});
    } else if (kind == "folder" && fields.size() == 4 && IsPresence(fields[2]) &&
               IsPresence(fields[3])) {
      set.changes.push_back({Change::Kind::kFolder, std::string(fields[1]), "",
                             ParseHash(fields[2]), ParseHash(fields[3])});
    } else if (kind == "value" && fields.size() == 5 && IsHash(fields[3]) && IsHash(fields[4])) {
      set.changes.push_back({Change::Kind::kValue, std::string(fields[1]), std::string(fields[2]),
                             ParseHash(fields[3]), ParseHash(fields[4])});
    } else {
      unknown(fields);
    }
    first = false;
  }
  return set;
}

SetSize CountSubjects(const BackupSet& set) {
  std::set<std::pair<std::string, std::string>> files, values;
  for (const Change& change : set.changes) {
    if (change.kind == Change::Kind::kFolder) continue;
    (change.kind == Change::Kind::kFile ? files : values)
        .insert({change.subject, change.value_name});
  }
  return {static_cast<int>(files.size()), static_cast<int>(values.size())};
}

std::string SetSummary(const BackupSet& set, const SummaryWords& words) {
  // The top folders the files lie in, in the order first met.
  std::string folders;
  std::vector<std::string> met;
  for (const Change& change : set.changes) {
    if (change.kind != Change::Kind::kFile) continue;
    const std::size_t slash = change.subject.find('\\');
    const std::string top = slash == std::string::npos ? "." : change.subject.substr(0, slash);
    if (std::find(met.begin(), met.end(), top) != met.end()) continue;
    folders += (met.empty() ? "" : ", ") + top;
    met.push_back(top);
  }
  const SetSize size = CountSubjects(set);
  std::string line = set.started + "  " + words.action(set.action) + ": " +
                     (met.empty() ? words.files(size.files)
                                  : words.files_in(words.files(size.files), folders));
  line += ", " + words.values(size.values);
  if (!set.complete) line += words.interrupted;
  return line;
}

}  // namespace veyra::backups
