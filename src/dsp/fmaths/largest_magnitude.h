// The largest magnitude in a block of samples, NaNs left out: the output
// peak that the editor's meter shows.
#pragma once

#include <cstddef>

#include "dsp/fmaths/cpu_features.h"

namespace vorel {

// The plain form: 0 for an empty block or one of NaNs only.
float LargestMagnitude(const float* samples, std::size_t count);

// LargestMagnitude, or the same code built for AVX-512F or AVX2 where
// features allows it, as wide as the transform's passes: on a processor
// running those at 512 bits, this loop in narrower registers made the whole
// callback 7 % slower, in 512-bit ones 1.5 %.
using TLargestMagnitude = float (*)(const float* samples, std::size_t count);
TLargestMagnitude ChooseLargestMagnitude(TFeatures features);

}  // namespace vorel
