// Texts with control characters written so that each stays on one line: CR,
// LF and tab as \r, \n and \t, other control bytes as \xNN. The expected-data
// files use the same form.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace veyra::testing {

inline std::string Escaped(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
          char hex[5];
          std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
          out += hex;
        } else {
          out += c;
        }
    }
  }
  return out;
}

// The inverse of Escaped for \r, \n and \t, all the data files use.
inline std::string Unescaped(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    if (text[i] == '\\' && (next == 'r' || next == 'n' || next == 't')) {
      out += next == 'r' ? '\r' : next == 'n' ? '\n' : '\t';
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace veyra::testing
