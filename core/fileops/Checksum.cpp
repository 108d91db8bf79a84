// XXH64 over a stream (see the header).
#include "core/fileops/Checksum.h"

#include <algorithm>
#include <cstring>

namespace px {

namespace {

constexpr uint64_t kPrime1 = 0x9E3779B185EBCA87ull;
constexpr uint64_t kPrime2 = 0xC2B2AE3D27D4EB4Full;
constexpr uint64_t kPrime3 = 0x165667B19E3779F9ull;
constexpr uint64_t kPrime4 = 0x85EBCA77C2B2AE63ull;
constexpr uint64_t kPrime5 = 0x27D4EB2F165667C5ull;

uint64_t Rotate(uint64_t value, int bits) { return (value << bits) | (value >> (64 - bits)); }

// Little-endian loads, whatever the machine's order.
uint64_t Load64(const unsigned char* p) {
  uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = (value << 8) | p[i];
  return value;
}

uint64_t Load32(const unsigned char* p) {
  uint64_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | p[i];
  return value;
}

uint64_t Round(uint64_t lane, uint64_t input) {
  lane += input * kPrime2;
  lane = Rotate(lane, 31);
  return lane * kPrime1;
}

uint64_t Merge(uint64_t hash, uint64_t lane) {
  hash ^= Round(0, lane);
  return hash * kPrime1 + kPrime4;
}

}  // namespace

void Checksum64::Stripe(const unsigned char* stripe) {
  for (size_t i = 0; i < lanes_.size(); ++i) lanes_[i] = Round(lanes_[i], Load64(stripe + 8 * i));
}

void Checksum64::Add(const void* data, size_t size) {
  const unsigned char* bytes = static_cast<const unsigned char*>(data);
  length_ += size;
  if (pendingSize_ > 0) {
    const size_t taken = std::min(size, pending_.size() - pendingSize_);
    std::memcpy(pending_.data() + pendingSize_, bytes, taken);
    pendingSize_ += taken;
    bytes += taken;
    size -= taken;
    if (pendingSize_ < pending_.size()) return;
    Stripe(pending_.data());
    pendingSize_ = 0;
  }
  for (; size >= pending_.size(); bytes += pending_.size(), size -= pending_.size()) Stripe(bytes);
  if (size > 0) std::memcpy(pending_.data(), bytes, size);
  pendingSize_ = size;
}

uint64_t Checksum64::Value() const {
  uint64_t hash = 0;
  if (length_ >= pending_.size()) {
    hash = Rotate(lanes_[0], 1) + Rotate(lanes_[1], 7) + Rotate(lanes_[2], 12) + Rotate(lanes_[3], 18);
    for (uint64_t lane : lanes_) hash = Merge(hash, lane);
  } else {
    hash = kPrime5;
  }
  hash += length_;
  const unsigned char* p = pending_.data();
  size_t left = pendingSize_;
  for (; left >= 8; p += 8, left -= 8) {
    hash ^= Round(0, Load64(p));
    hash = Rotate(hash, 27) * kPrime1 + kPrime4;
  }
  if (left >= 4) {
    hash ^= Load32(p) * kPrime1;
    hash = Rotate(hash, 23) * kPrime2 + kPrime3;
    p += 4;
    left -= 4;
  }
  for (; left > 0; ++p, --left) {
    hash ^= *p * kPrime5;
    hash = Rotate(hash, 11) * kPrime1;
  }
  hash ^= hash >> 33;
  hash *= kPrime2;
  hash ^= hash >> 29;
  hash *= kPrime3;
  hash ^= hash >> 32;
  return hash;
}

}  // namespace px
