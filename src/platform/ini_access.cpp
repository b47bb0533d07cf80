#include "platform/ini_access.h"

#include "platform/bounded_text.h"

namespace veyra::platform {
namespace {
constexpr std::size_t kFileBufferSize = 255;
constexpr std::size_t kNameBufferSize = 125;
}  // namespace

std::optional<IniArguments> ReadIniArguments(const char* const* file, const char* const* section,
                                             const char* const* key, const char* const* text,
                                             IniText text_kind) {
  std::optional<std::string> file_text = FitToBuffer(ReadLengthPrefixed(file), kFileBufferSize);
  std::optional<std::string> section_text =
      FitToBuffer(ReadLengthPrefixed(section), kNameBufferSize);
  std::optional<std::string> key_text = FitToBuffer(ReadLengthPrefixed(key), kNameBufferSize);
  std::optional<std::string> fourth_text =
      text_kind == IniText::kValue ? FitToBuffer(ReadLengthPrefixed(text), kIniTextBufferSize)
                                   : CutToBuffer(ReadLengthPrefixed(text), kIniTextBufferSize);
  if (!file_text || !section_text || !key_text || !fourth_text) return std::nullopt;
  return IniArguments{std::move(*file_text), std::move(*section_text), std::move(*key_text),
                      std::move(*fourth_text)};
}

}  // namespace veyra::platform
