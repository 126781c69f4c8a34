// Turns the six control-port values of one block into the spectral engine's
// parameters, once per block, before the audio.
#pragma once

#include "dsp/quantiser/quantiser.h"

namespace vorel {

// values holds the six control ports, indexed by PortIndex; each is read
// once.
void ApplyControls(const float* values, TQuantiser& engine);

}  // namespace vorel
