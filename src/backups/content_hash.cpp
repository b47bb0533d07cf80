#include "backups/content_hash.h"

#include <cstring>

namespace veyra::backups {
namespace {

constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87ULL;
constexpr std::uint64_t kPrime2 = 0xC2B2AE3D27D4EB4FULL;
constexpr std::uint64_t kPrime3 = 0x165667B19E3779F9ULL;
constexpr std::uint64_t kPrime4 = 0x85EBCA77C2B2AE63ULL;
constexpr std::uint64_t kPrime5 = 0x27D4EB2F165667C5ULL;
constexpr std::uint64_t kSeeds[2] = {0, kPrime3};
constexpr std::size_t kStripe = 32;

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

}  // namespace

ContentHasher::ContentHasher() {
  for (int s = 0; s < 2; ++s) {
    lanes_[s][0] = kSeeds[s] + kPrime1 + kPrime2;
    lanes_[s][1] = kSeeds[s] + kPrime2;
    lanes_[s][2] = kSeeds[s];
    lanes_[s][3] = kSeeds[s] - kPrime1;
  }
}

void ContentHasher::Stripe(const unsigned char* stripe) {
  for (int lane = 0; lane < 4; ++lane) {
    const std::uint64_t input = Read64(stripe + 8 * lane);
    lanes_[0][lane] = Round(lanes_[0][lane], input);
    lanes_[1][lane] = Round(lanes_[1][lane], input);
  }
}

void ContentHasher::Add(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* const end = p + bytes.size();
  total_ += bytes.size();
  if (pending_size_ > 0) {
    const std::size_t take = std::min<std::size_t>(kStripe - pending_size_, bytes.size());
    std::memcpy(pending_ + pending_size_, p, take);
    pending_size_ += take;
    p += take;
    if (pending_size_ < kStripe) return;
    Stripe(pending_);
    pending_size_ = 0;
  }
  for (; static_cast<std::size_t>(end - p) >= kStripe; p += kStripe) Stripe(p);
  pending_size_ = static_cast<std::size_t>(end - p);
  if (pending_size_ > 0) std::memcpy(pending_, p, pending_size_);
}

std::string ContentHasher::Finish() {
  std::uint64_t h[2];
  for (int s = 0; s < 2; ++s) {
    if (total_ >= kStripe) {
      std::uint64_t acc = Rotl(lanes_[s][0], 1) + Rotl(lanes_[s][1], 7) +
                          Rotl(lanes_[s][2], 12) + Rotl(lanes_[s][3], 18);
      for (int lane = 0; lane < 4; ++lane) acc = Merge(acc, lanes_[s][lane]);
      h[s] = acc;
    } else {
      h[s] = kSeeds[s] + kPrime5;
    }
    h[s] += total_;
  }
  const unsigned char* const end = pending_ + pending_size_;
  for (int s = 0; s < 2; ++s) {
    const unsigned char* q = pending_;
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
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text(32, '0');
  for (int s = 0; s < 2; ++s) {
    for (int i = 0; i < 16; ++i) {
      text[static_cast<std::size_t>(s * 16 + i)] = kHex[(h[s] >> (60 - 4 * i)) & 0xF];
    }
  }
  return text;
}

std::string ContentHash(std::string_view bytes) {
  ContentHasher hasher;
  hasher.Add(bytes);
  return hasher.Finish();
}

bool IsContentHash(std::string_view text) {
  if (text.size() != 32) return false;
  for (const char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

}  // namespace veyra::backups
