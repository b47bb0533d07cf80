#include "platform/ini_access.h"

#include "platform/bounded_text.h"

namespace veyra::platform {
namespace {
constexpr std::size_t kFileBufferSize = 255;
constexpr std::size_t kNameBufferSize = 125;
}  // namespace

IniArguments ReadIniArguments(const char* const* file, const char* const* section,
                              const char* const* key, const char* const* text) {
  return {CutToBuffer(ReadLengthPrefixed(file), kFileBufferSize),
          CutToBuffer(ReadLengthPrefixed(section), kNameBufferSize),
          CutToBuffer(ReadLengthPrefixed(key), kNameBufferSize),
          CutToBuffer(ReadLengthPrefixed(text), kIniTextBufferSize)};
}

}  // namespace veyra::platform
