// A hash of sample bit patterns, for comparing long outputs in one number.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vorel_host {

// FNV-1a over the 32-bit patterns of a block of samples, lowest byte first;
// hash is the starting value, so a long output can be hashed in pieces.
inline uint64_t HashSamples(const float* samples, size_t count,
                            uint64_t hash = 14695981039346656037ull) {
  for (size_t i = 0; i < count; ++i) {
    uint32_t bits;
    std::memcpy(&bits, &samples[i], sizeof bits);
    for (int byte = 0; byte < 4; ++byte) {
      hash ^= (bits >> (8 * byte)) & 0xffu;
      hash *= 1099511628211ull;
    }
  }
  return hash;
}

}  // namespace vorel_host
