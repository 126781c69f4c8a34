#include "dsp/fftreal/fftreal_luts.h"

#include <cmath>
#include <cstring>

namespace vorel {

// Counts a reversed index upward from the top bit, the carry running toward
// the low bits, so that entry q is q bit-reversed over nbrBits bits.
TBitReversedLUT::TBitReversedLUT(int32_t nbrBits) {
  const uint32_t count = uint32_t{1} << nbrBits;
  Table.reset(new int32_t[count]);
  Table[0] = 0;
  uint32_t reversed = 0;
  for (uint32_t q = 1; q < count; ++q) {
    uint32_t bit = count >> 1;
    reversed ^= bit;
    while ((reversed & bit) == 0) {
      bit >>= 1;
      reversed ^= bit;
    }
    Table[q] = static_cast<int32_t>(reversed);
  }
}

// Angles and cosines in double, each value rounded once to a float.
TTrigoLUT::TTrigoLUT(int32_t nbrBits) {
  if (nbrBits <= 3) return;
  const int32_t total = (int32_t{1} << (nbrBits - 1)) - 4;
  Table.reset(new float[total]);
  const double pi = 4.0 * std::atan(1.0);
  for (int32_t level = 3; level < nbrBits; ++level) {
    const int32_t levelLength = int32_t{1} << (level - 1);
    float* entries = Table.get() + (levelLength - 4);
    const double step = pi / (2.0 * levelLength);
    for (int32_t i = 0; i < levelLength; ++i) {
      entries[i] = static_cast<float>(std::cos(i * step));
    }
  }
}

// Copies each level's entries in reverse order, bit for bit.
TSineLUT::TSineLUT(const TTrigoLUT& cosines, int32_t nbrBits) {
  if (nbrBits <= 3) return;
  Table.reset(new float[(int32_t{1} << (nbrBits - 1)) - 4]);
  for (int32_t level = 3; level < nbrBits; ++level) {
    const int32_t levelLength = int32_t{1} << (level - 1);
    const float* from = cosines.GetLevelTable(level);
    float* entries = Table.get() + (levelLength - 4);
    entries[0] = 0.0f;
    for (int32_t i = 1; i < levelLength; ++i) {
      std::memcpy(&entries[i], &from[levelLength - i], sizeof(float));
    }
  }
}

}  // namespace vorel
