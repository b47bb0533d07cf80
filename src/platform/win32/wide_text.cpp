#include "platform/win32/wide_text.h"

#include <windows.h>

namespace veyra::platform::win32 {

std::wstring Widen(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                         nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
  return wide;
}

std::string Narrow(std::wstring_view utf16) {
  if (utf16.empty()) return {};
  const int length = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), narrow.data(),
                      length, nullptr, nullptr);
  return narrow;
}

std::wstring WidePath(std::string_view utf8_path) {
  std::wstring wide = Widen(utf8_path);
  if (wide.size() < MAX_PATH || wide.rfind(L"\\\\?\\", 0) == 0) return wide;

  std::wstring folded;
  folded.reserve(wide.size() + 8);
  const bool unc = wide.rfind(L"\\\\", 0) == 0;
  folded = unc ? L"\\\\?\\UNC\\" : L"\\\\?\\";
  std::size_t i = unc ? 2 : 0;
  for (; i < wide.size(); ++i) {
    const wchar_t c = wide[i] == L'/' ? L'\\' : wide[i];
    if (c == L'\\' && !folded.empty() && folded.back() == L'\\') continue;
    folded += c;
  }
  return folded;
}

}  // namespace veyra::platform::win32
