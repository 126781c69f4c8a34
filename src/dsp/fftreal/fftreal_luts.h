// The two tables that drive the real FFT: bit-reversed indices and the
// per-pass levels of quarter-circle cosines.
#pragma once

#include <cstdint>
#include <memory>

namespace vorel {

// Entry i is i with its B low bits in reverse order.
class TBitReversedLUT {
 public:
  explicit TBitReversedLUT(int32_t nbrBits);
  const int32_t* GetTable() const { return Table.get(); }

 private:
  std::unique_ptr<int32_t[]> Table;
};

// One level of cosines for each pass p = 3 .. B-1. Level p has 2^(p-1)
// entries cos(i*pi/2^p) and starts at element 2^(p-1) - 4. No table for B <= 3.
class TTrigoLUT {
 public:
  explicit TTrigoLUT(int32_t nbrBits);
  // First entry of level p; only levels 3 .. B-1 exist and nothing checks.
  const float* GetLevelTable(int32_t level) const {
    return Table.get() + ((int32_t{1} << (level - 1)) - 4);
  }

 private:
  std::unique_ptr<float[]> Table;
};

// The cosine levels read backwards, for passes that need the sines of
// ascending angles in ascending memory: entry i of level p is entry h - i of
// the same TTrigoLUT level (h = 2^(p-1)), the same float, i.e. the sine of
// i*pi/2^p; entry 0 is 0. Same layout as TTrigoLUT; no table for B <= 3.
class TSineLUT {
 public:
  TSineLUT(const TTrigoLUT& cosines, int32_t nbrBits);
  const float* GetLevelTable(int32_t level) const {
    return Table.get() + ((int32_t{1} << (level - 1)) - 4);
  }

 private:
  std::unique_ptr<float[]> Table;
};

}  // namespace vorel
