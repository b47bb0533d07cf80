// The exported INI functions' arguments, cut to the fixed buffers the
// functions have always used, so no caller's text can overrun them.
#pragma once

#include <string>

namespace veyra::platform {

struct IniArguments {
  std::string file;     // at most 254 bytes
  std::string section;  // at most 124 bytes
  std::string key;      // at most 124 bytes
  std::string text;     // default or value, at most 149 bytes
};

// Each argument is a reference to a length-prefixed 8-bit string (see
// ReadLengthPrefixed); `text` may be null where the call has none.
IniArguments ReadIniArguments(const char* const* file, const char* const* section,
                              const char* const* key, const char* const* text);

// The size of the buffer GETINIDATA returns its text in.
inline constexpr std::size_t kIniTextBufferSize = 150;

}  // namespace veyra::platform
