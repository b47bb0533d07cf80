// The configurator's only registry access, under HKEY_CURRENT_USER unless
// another root is given.
#pragma once

#include <cstdint>
#include <string>

#include "platform/os.h"

namespace veyra::platform {

// Root 0 stands for HKEY_CURRENT_USER; other values go to the system unchanged.
std::uint32_t ResolveRoot(std::uint32_t root);

// The key path without its leading and trailing backslashes.
std::string StripOuterBackslashes(const std::string& key_path);

// A string value cut to 1023 bytes, ended at its first zero byte; the default
// text (cut the same way) when the key or value cannot be read.
std::string RegReadString(Os& os, std::uint32_t root, const std::string& key_path,
                          const std::string& value_name, const std::string& default_text);

// Writes a REG_DWORD, creating the key and every missing parent. Returns 1 when
// the value was written, 0 otherwise. The value name is cut to 1023 bytes.
[[nodiscard]] int RegWriteDword(Os& os, std::uint32_t root, const std::string& key_path,
                  const std::string& value_name, std::uint32_t value);

}  // namespace veyra::platform
