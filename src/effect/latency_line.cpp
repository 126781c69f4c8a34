#include "effect/latency_line.h"

#include <cstring>

#include "effect/processor.h"

namespace vorel {

static_assert(LatencyLine::kMaxPiece <= Processor::kLatency, "a piece must fit in the line");

LatencyLine::LatencyLine() : Ring(new float[Processor::kLatency]), Leaving(new float[kMaxPiece]) {
  Reset();
}

// Each input sample is read before the caller writes the output, so the
// host may give one buffer for both.
void LatencyLine::Take(const float* in, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    std::memcpy(&Leaving[i], &Ring[Position], sizeof(float));
    std::memcpy(&Ring[Position], &in[i], sizeof(float));
    Position = (Position + 1) % Processor::kLatency;
  }
}

void LatencyLine::Reset() {
  std::memset(Ring.get(), 0, Processor::kLatency * sizeof(float));
  Position = 0;
}

}  // namespace vorel
