// A fast 64-bit checksum of a byte stream (XXH64, seed 0), fed in pieces of
// any size: the same bytes give the same value however they were split, so a
// copy's source and its read-back compare although each is read in its own
// blocks. It tells copies apart, it is no cryptographic hash.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace px {

class Checksum64 {
 public:
  void Add(const void* data, size_t size);
  // The value of everything added so far (more may be added afterwards).
  uint64_t Value() const;
  uint64_t Length() const { return length_; }

 private:
  void Stripe(const unsigned char* stripe);

  std::array<uint64_t, 4> lanes_ = {0x9E3779B185EBCA87ull + 0xC2B2AE3D27D4EB4Full,
                                    0xC2B2AE3D27D4EB4Full, 0, 0 - 0x9E3779B185EBCA87ull};
  std::array<unsigned char, 32> pending_{};  // a stripe begun but not complete
  size_t pendingSize_ = 0;
  uint64_t length_ = 0;
};

}  // namespace px
