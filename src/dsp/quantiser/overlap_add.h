// Overlap-add of one resynthesised frame into the accumulator:
//   accumulator[i] = synthesis[i] x window[i] x levelRatio + accumulator[i]
// multiplied left to right and added in extended precision (64-bit
// significand), rounded once to float when stored.
#pragma once

#include <cstdint>

#include "dsp/fmaths/cpu_features.h"

namespace vorel {

// The rule's bits, mostly in double: see the .cpp for why that is safe.
// scratch holds count floats of working space. The plain form.
void OverlapAdd(const float* synthesis, const float* window, float levelRatio, float* accumulator,
                float* scratch, int32_t count);

// OverlapAdd, or the same code built for AVX-512F or AVX2 where features
// allows it.
using TOverlapAdd = void (*)(const float* synthesis, const float* window, float levelRatio,
                             float* accumulator, float* scratch, int32_t count);
TOverlapAdd ChooseOverlapAdd(TFeatures features);

}  // namespace vorel
