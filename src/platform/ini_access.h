// The exported INI functions' arguments, in the fixed buffers the functions
// have always used. A name that does not fit is refused rather than cut: a
// cut path names another file, a cut section or key another entry.
#pragma once

#include <optional>
#include <string>

namespace veyra::platform {

struct IniArguments {
  std::string file;     // at most 254 bytes
  std::string section;  // at most 124 bytes
  std::string key;      // at most 124 bytes
  std::string text;     // default or value, at most 149 bytes
};

// What the fourth text is. A value is written to the file, so it must arrive
// whole: a cut value would replace the caller's data with part of it. A
// default only stands in for a missing entry in the result, which the result
// buffer cuts to 149 bytes like any text read from the file.
enum class IniText { kValue, kDefault };

// Each argument is a reference to a length-prefixed 8-bit string (see
// ReadLengthPrefixed); `text` may be null where the call has none. A text
// ends at its first zero byte, so a zero-padded fixed-length string counts by
// what it holds. Nothing when the file, section or key (or a value) is longer
// than its buffer keeps.
std::optional<IniArguments> ReadIniArguments(const char* const* file, const char* const* section,
                                             const char* const* key, const char* const* text,
                                             IniText text_kind);

// The size of the buffer GETINIDATA returns its text in.
inline constexpr std::size_t kIniTextBufferSize = 150;

}  // namespace veyra::platform
