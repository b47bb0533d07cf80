// Length-prefixed argument strings of any length and content must come out
// cut to their buffers, never reading past what the caller passed.
#include <cstddef>
#include <cstdint>
#include <cstring>
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Argument file = Take(data, size), section = Take(data, size), key = Take(data, size),
           text = Take(data, size);
  const veyra::platform::IniArguments args =
      veyra::platform::ReadIniArguments(&file.first, &section.first, &key.first, &text.first);
  if (args.file.size() > 254 || args.section.size() > 124 || args.key.size() > 124 ||
      args.text.size() > 149) {
    __builtin_trap();
  }
  for (const std::string* s : {&args.file, &args.section, &args.key, &args.text}) {
    if (s->find('\0') != std::string::npos) __builtin_trap();
  }
  return 0;
}
