#include "effect/processor.h"

#include <cstdint>

#include "effect/controls.h"

namespace vorel {

// Only the stabiliser depends on the rate; the engine's output does not.
Processor::Processor(float sampleRate) { Stabilizer.SetSampleRate(sampleRate); }

// The engine reads "in" and writes "out" (it reads each sample before writing
// the one at the same index, so one shared buffer works too); the stabiliser
// then works on "out". The processing objects count in signed 32 bits, so a
// longer block goes in pieces.
void Processor::Run(const float* controls, const float* in, float* out, std::size_t count) {
  ApplyControls(controls, Quantiser);
  while (count > 0) {
    const int32_t piece = count > INT32_MAX ? INT32_MAX : static_cast<int32_t>(count);
    Quantiser.Process(in, out, piece);
    Stabilizer.Process(out, piece);
    in += piece;
    out += piece;
    count -= static_cast<std::size_t>(piece);
  }
}

void Processor::Reset() {
  Quantiser.Reset();
  Stabilizer.Reset();
}

}  // namespace vorel
