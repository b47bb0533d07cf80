// The expected-data files in tests/data, read byte for byte.
#pragma once

#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

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

}  // namespace veyra::testing
