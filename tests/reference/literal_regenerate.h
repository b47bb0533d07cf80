// The settings block rebuilt exactly as described, one plain remove-all over
// the whole text per removal entry: slow, obviously right, and the yardstick
// for the product's fast removal in the unit tests, the fuzzer and the benchmark.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "config/settings_block.h"
#include "config/text_file.h"

namespace veyra::testing {

// The names of the settings handled, read off the finished texts: what stands
// before the first blank of each removal entry and of each generated setting line.
inline const std::vector<std::string>& LiteralSettingNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> found;
    for (const std::string& entry : config::RemovalEntries()) {
      found.push_back(entry.substr(0, entry.find(' ')));
    }
    model::ProgramState state;
    model::FillValueTables(state);
    const std::string part = config::GeneratedPart(state);
    std::size_t from = 0;
    for (int line = 0; from < part.size(); ++line) {
      const std::size_t end = part.find("\r\n", from);
      if (line >= 2) found.push_back(part.substr(from, part.find(' ', from) - from));
      from = end + 2;
    }
    return found;
  }();
  return names;
}

// Line by line: a line whose first word is one of those names loses all its quotes.
inline std::string LiteralStripSettingQuotes(std::string_view text) {
  std::string result;
  std::size_t from = 0;
  while (from < text.size()) {
    std::size_t end = text.find('\n', from);
    end = end == std::string_view::npos ? text.size() : end + 1;
    std::string line(text.substr(from, end - from));
    std::size_t word = 0;
    while (word < line.size() && (line[word] == ' ' || line[word] == '\t' || line[word] == '"')) {
      ++word;
    }
    std::size_t word_end = word;
    while (word_end < line.size() && line[word_end] != ' ' && line[word_end] != '\t' &&
           line[word_end] != '"' && line[word_end] != '\r' && line[word_end] != '\n') {
      ++word_end;
    }
    const std::vector<std::string>& names = LiteralSettingNames();
    if (std::find(names.begin(), names.end(), line.substr(word, word_end - word)) != names.end()) {
      std::erase(line, '"');
    }
    result += line;
    from = end;
  }
  return result;
}

inline std::string LiteralRegenerate(std::string_view text, const model::ProgramState& state) {
  static const std::vector<std::string> entries = config::RemovalEntries();
  const std::string stripped = LiteralStripSettingQuotes(text);
  std::string result = stripped.substr(0, stripped.find(config::kMarkerLine));
  for (const std::string& entry : entries) {
    if (result.find(entry) != std::string::npos) result = config::ReplaceAll(result, entry, "");
  }
  return result + config::GeneratedPart(state);
}

}  // namespace veyra::testing
