// UTF-8 inside the program, UTF-16 at the Win32 boundary.
#pragma once

#include <string>
#include <string_view>

namespace veyra::platform::win32 {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// The path in the form the wide file APIs accept at any length: a path of
// MAX_PATH characters or more gets the "\\?\" prefix (with doubled
// backslashes folded, since that form takes the path literally).
std::wstring WidePath(std::string_view utf8_path);

}  // namespace veyra::platform::win32
