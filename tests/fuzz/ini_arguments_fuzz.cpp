// Length-prefixed argument strings of any length and content: read without
// reading past what the caller passed, each ended at its first zero byte, and
// refused exactly when a name (or a value) is longer than its buffer keeps.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/ini_access.h"

namespace {

// Splits the input into four length-prefixed strings laid out like BSTRs, each
// in its own allocation so AddressSanitizer sees any read beyond it.
struct Argument {
  std::vector<char> storage;
  const char* first = nullptr;
};

Argument Take(const std::uint8_t*& data, std::size_t& size) {
  Argument argument;
  if (size == 0) return argument;  // a null string
  std::size_t length = data[0];
  ++data;
  --size;
  if (length > size) length = size;
  if (length == 255) length = size;  // long texts: everything that is left
  argument.storage.resize(4 + length);
  const std::uint32_t prefix = static_cast<std::uint32_t>(length);
  std::memcpy(argument.storage.data(), &prefix, 4);
  std::memcpy(argument.storage.data() + 4, data, length);
  argument.first = argument.storage.data() + 4;
  data += length;
  size -= length;
  return argument;
}

// What a buffer of `longest` + 1 bytes receives of `text`, worked out apart
// from the code under test; `fits` tells whether that is all of it.
struct Expected {
  std::string text;
  bool fits;
};

Expected Expect(const Argument& argument, std::size_t longest) {
  if (argument.first == nullptr) return {"", true};
  std::string text(argument.first, argument.storage.size() - 4);
  text.erase(std::min(text.find('\0'), text.size()));
  if (text.size() <= longest) return {text, true};
  return {text.substr(0, longest), false};
}

void Check(const Argument (&arguments)[4], veyra::platform::IniText kind) {
  const bool is_value = kind == veyra::platform::IniText::kValue;
  const std::optional<veyra::platform::IniArguments> args = veyra::platform::ReadIniArguments(
      &arguments[0].first, &arguments[1].first, &arguments[2].first, &arguments[3].first, kind);
  const Expected file = Expect(arguments[0], 254), section = Expect(arguments[1], 124),
                 key = Expect(arguments[2], 124), text = Expect(arguments[3], 149);
  const bool accepted = file.fits && section.fits && key.fits && (text.fits || !is_value);
  if (args.has_value() != accepted) __builtin_trap();
  if (args && (args->file != file.text || args->section != section.text || args->key != key.text ||
               args->text != text.text)) {
    __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Argument arguments[4] = {Take(data, size), Take(data, size), Take(data, size),
                                 Take(data, size)};
  Check(arguments, veyra::platform::IniText::kValue);
  Check(arguments, veyra::platform::IniText::kDefault);
  return 0;
}
