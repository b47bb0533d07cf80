// Turns arbitrary bytes into texts that stress the settings-block removal:
// whole removal entries, their beginnings and ends, entries wrapped inside
// another entry's pieces (so that cutting the inner one joins the outer one),
// markers, every kind of line end, quotes and blanks before and between
// words, NUL bytes and stray bytes. The unit tests
// feed it random bytes, the fuzzer its own.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/settings_block.h"

namespace veyra::testing {

inline std::string AdversarialText(std::string_view bytes) {
  static const std::vector<std::string> entries = config::RemovalEntries();
  static const std::string_view kLineEnds[] = {"\r\n", "\r", "\n", "\n\r", "\r\n\n", "\r\n\r\n"};
  std::string text;
  for (std::size_t i = 0; i + 4 <= bytes.size(); i += 4) {
    const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(bytes[i + k]); };
    const std::string& entry = entries[(byte(1) << 8 | byte(2)) % entries.size()];
    // Entries near each other in the list share their names, so the pieces
    // of a neighbour make the likeliest false starts and joins.
    const std::string& neighbour = entries[((byte(1) << 8 | byte(2)) + byte(3) % 7) % entries.size()];
    const std::size_t cut = byte(3) % (neighbour.size() + 1);
    switch (byte(0) % 10) {
      case 0: case 1: text += entry; break;
      case 2: text += neighbour.substr(0, cut); break;
      case 3: text += neighbour.substr(cut); break;
      case 4: text += neighbour.substr(0, cut) + entry + neighbour.substr(cut); break;
      case 5: text += config::kMarkerLine.substr(0, config::kMarkerLine.size() - byte(3) % 3); break;
      case 6: text += kLineEnds[byte(3) % std::size(kLineEnds)]; break;
      case 7: text += std::string(1 + byte(3) % 2, '\0'); break;
      case 8: text += " \t\""[byte(3) % 3]; break;
      default: text += static_cast<char>(byte(3)); break;
    }
  }
  return text;
}

}  // namespace veyra::testing
