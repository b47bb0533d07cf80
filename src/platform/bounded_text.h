// Texts passed through fixed-size buffers: a buffer of N bytes keeps at most
// N - 1 bytes of text and its terminating zero.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace veyra::platform {

// The text as a buffer of `buffer_size` bytes holds it: cut to buffer_size - 1
// bytes and ended at its first zero byte.
inline std::string CutToBuffer(std::string_view text, std::size_t buffer_size) {
  if (buffer_size == 0) return {};
  text = text.substr(0, buffer_size - 1);
  return std::string(text.substr(0, text.find('\0')));
}

// The text as a buffer of `buffer_size` bytes holds it whole, ended at its
// first zero byte; nothing when that text is longer than the buffer keeps.
inline std::optional<std::string> FitToBuffer(std::string_view text, std::size_t buffer_size) {
  text = text.substr(0, text.find('\0'));
  if (buffer_size == 0 || text.size() > buffer_size - 1) return std::nullopt;
  return std::string(text);
}

// Reads a length-prefixed 8-bit string passed by reference: `ref` points to a
// pointer to the first character, and the byte length stands in the four bytes
// before that character (an OLE BSTR holding 8-bit text). A null reference or
// a null string reads as empty.
inline std::string_view ReadLengthPrefixed(const char* const* ref) {
  if (ref == nullptr || *ref == nullptr) return {};
  const char* first = *ref;
  std::uint32_t length;
  std::memcpy(&length, first - sizeof(length), sizeof(length));
  return std::string_view(first, length);
}

}  // namespace veyra::platform
