// The settings block rebuilt exactly as described, one plain remove-all over
// the whole text per removal entry: slow, obviously right, and the yardstick
// for the product's fast removal in the unit tests, the fuzzer and the benchmark.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "config/settings_block.h"
#include "config/text_file.h"

namespace veyra::testing {

inline std::string LiteralRegenerate(std::string_view text, const model::ProgramState& state) {
  static const std::vector<std::string> entries = config::RemovalEntries();
  std::string result(text.substr(0, text.find(config::kMarkerLine)));
  for (const std::string& entry : entries) {
    if (result.find(entry) != std::string::npos) result = config::ReplaceAll(result, entry, "");
  }
  return result + config::GeneratedPart(state);
}

}  // namespace veyra::testing
