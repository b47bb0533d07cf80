#include "install/content_hash.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace veyra::install {
namespace {

constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87ULL;
constexpr std::uint64_t kPrime2 = 0xC2B2AE3D27D4EB4FULL;
constexpr std::uint64_t kPrime3 = 0x165667B19E3779F9ULL;
constexpr std::uint64_t kPrime4 = 0x85EBCA77C2B2AE63ULL;
constexpr std::uint64_t kPrime5 = 0x27D4EB2F165667C5ULL;

constexpr std::uint64_t Rotl(std::uint64_t x, int r) { return (x << r) | (x >> (64 - r)); }

std::uint64_t Read64(const unsigned char* p) {
  std::uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v;  // little-endian machines only, as every Windows machine is
}

std::uint32_t Read32(const unsigned char* p) {
  std::uint32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

std::uint64_t Round(std::uint64_t acc, std::uint64_t input) {
  acc += input * kPrime2;
  acc = Rotl(acc, 31);
  return acc * kPrime1;
}

std::uint64_t Merge(std::uint64_t acc, std::uint64_t lane) {
  acc ^= Round(0, lane);
  return acc * kPrime1 + kPrime4;
}

// XXH64 of `bytes` for two seeds at once, sharing the reads.
std::array<std::uint64_t, 2> Hash64Twice(std::string_view bytes, std::uint64_t seed_a,
                                         std::uint64_t seed_b) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* const end = p + bytes.size();
  const std::uint64_t seeds[2] = {seed_a, seed_b};
  std::array<std::uint64_t, 2> h{};
  if (bytes.size() >= 32) {
    std::uint64_t v[2][4];
    for (int s = 0; s < 2; ++s) {
      v[s][0] = seeds[s] + kPrime1 + kPrime2;
      v[s][1] = seeds[s] + kPrime2;
      v[s][2] = seeds[s];
      v[s][3] = seeds[s] - kPrime1;
    }
    for (; end - p >= 32; p += 32) {
      for (int lane = 0; lane < 4; ++lane) {
        const std::uint64_t input = Read64(p + 8 * lane);
        v[0][lane] = Round(v[0][lane], input);
        v[1][lane] = Round(v[1][lane], input);
      }
    }
    for (int s = 0; s < 2; ++s) {
      std::uint64_t acc =
          Rotl(v[s][0], 1) + Rotl(v[s][1], 7) + Rotl(v[s][2], 12) + Rotl(v[s][3], 18);
      for (int lane = 0; lane < 4; ++lane) acc = Merge(acc, v[s][lane]);
      h[s] = acc;
    }
  } else {
    h = {seed_a + kPrime5, seed_b + kPrime5};
  }
  for (std::uint64_t& acc : h) acc += bytes.size();

  for (int s = 0; s < 2; ++s) {
    const unsigned char* q = p;
    std::uint64_t acc = h[s];
    for (; end - q >= 8; q += 8) acc = Rotl(acc ^ Round(0, Read64(q)), 27) * kPrime1 + kPrime4;
    if (end - q >= 4) {
      acc = Rotl(acc ^ (std::uint64_t{Read32(q)} * kPrime1), 23) * kPrime2 + kPrime3;
      q += 4;
    }
    for (; q < end; ++q) acc = Rotl(acc ^ (*q * kPrime5), 11) * kPrime1;
    acc ^= acc >> 33;
    acc *= kPrime2;
    acc ^= acc >> 29;
    acc *= kPrime3;
    acc ^= acc >> 32;
    h[s] = acc;
  }
  return h;
}

}  // namespace

std::string ContentHash(std::string_view bytes) {
  const std::array<std::uint64_t, 2> h = Hash64Twice(bytes, 0, kPrime3);
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text(32, '0');
  for (int s = 0; s < 2; ++s) {
    for (int i = 0; i < 16; ++i) {
      text[static_cast<std::size_t>(s * 16 + i)] = kHex[(h[s] >> (60 - 4 * i)) & 0xF];
    }
  }
  return text;
}

}  // namespace veyra::install
