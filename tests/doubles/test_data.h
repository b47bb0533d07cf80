// The expected-data files in tests/data, read byte for byte.
#pragma once

#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/doubles/escaped.h"

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

// The lines of an expected-data file in the escaped form, each unescaped;
// nothing when the file cannot be read or its last line has no LF.
inline std::optional<std::vector<std::string>> EscapedLines(std::string_view name) {
  const std::optional<std::string> file = ReadTestData(name);
  if (!file) return std::nullopt;
  std::vector<std::string> lines;
  std::size_t from = 0;
  for (std::size_t at = file->find('\n'); at != std::string::npos; at = file->find('\n', from)) {
    lines.push_back(Unescaped(std::string_view(*file).substr(from, at - from)));
    from = at + 1;
  }
  if (from != file->size()) return std::nullopt;
  return lines;
}

}  // namespace veyra::testing
