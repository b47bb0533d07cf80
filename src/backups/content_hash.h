// A fingerprint of a file's or a registry value's content, to store each
// version once, to tell whether a change changes anything, and to check that
// a kept content is still what it was.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace veyra::backups {

// 128 bits as 32 lower-case hex digits. Two 64-bit lanes of the XXH64 scheme
// with different seeds: fast enough to read a content set at memory speed, and
// with 2^-128 odds that two versions a game folder holds look alike.
std::string ContentHash(std::string_view bytes);

// The same hash over bytes that arrive in pieces of any size, so that a file
// of any size is hashed in bounded memory.
class ContentHasher {
 public:
  ContentHasher();
  void Add(std::string_view bytes);
  // The hash of everything added; the hasher is spent afterwards.
  std::string Finish();

 private:
  void Stripe(const unsigned char* stripe);

  std::uint64_t lanes_[2][4];
  unsigned char pending_[32];
  std::size_t pending_size_ = 0;
  std::uint64_t total_ = 0;
};

// True for what names a kept content: 32 lower-case hex digits.
bool IsContentHash(std::string_view text);

}  // namespace veyra::backups
