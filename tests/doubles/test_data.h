// The expected-data files in tests/data, read byte for byte, and a printable
// form of texts with control characters for failure messages.
#pragma once

#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

namespace veyra::testing {

// VEYRA_TEST_DATA is the data folder as the test program sees it: a plain
// path natively, "Z:/..." under Wine, which the C++ library takes as it is.
inline std::string TestDataPath(std::string_view name) {
  return std::string(VEYRA_TEST_DATA) + "/" + std::string(name);
}

// The whole file, or nothing when it cannot be read.
inline std::optional<std::string> ReadTestData(std::string_view name) {
  std::ifstream in(TestDataPath(name), std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) return std::nullopt;
  return bytes;
}

// CR, LF and backslash as \r, \n and \\, other control bytes as \xNN.
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
      case '\\':
        out += "\\\\";
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

// The inverse of Escaped for \r, \n and \\ (all the data files use).
inline std::string Unescaped(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      const char next = text[++i];
      out += next == 'r' ? '\r' : next == 'n' ? '\n' : next;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace veyra::testing
