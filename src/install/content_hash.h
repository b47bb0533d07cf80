// A fingerprint of a file's or a registry value's content, to store each
// version once and to tell whether a change changes anything.
#pragma once

#include <string>
#include <string_view>

namespace veyra::install {

// 128 bits as 32 lower-case hex digits. Two 64-bit lanes of the XXH64 scheme
// with different seeds: fast enough to read a content set at memory speed, and
// with 2^-128 odds that two versions a game folder holds look alike.
std::string ContentHash(std::string_view bytes);

}  // namespace veyra::install
