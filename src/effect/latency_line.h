// The dry signal: the input delayed by exactly the processor's latency, so
// that it lines up with the effect's output. The bypass and the dry/wet mix
// blend the effect's output with it.
//
// Real-time promise: the constructor allocates both buffers; everything
// else allocates nothing, takes no lock and makes no system call.
#pragma once

#include <cstddef>
#include <memory>

namespace vorel {

class LatencyLine {
 public:
  // The longest piece Take accepts at once.
  static constexpr std::size_t kMaxPiece = 1024;

  LatencyLine();

  // Stores count (at most kMaxPiece) input samples and keeps the samples
  // that leave the line, the input as it was kLatency earlier.
  void Take(const float* in, std::size_t count);

  // The samples that left the line in the last Take, as many as it stored.
  const float* Delayed() const { return Leaving.get(); }

  // Back to a new line's state: all zeros.
  void Reset();

 private:
  std::unique_ptr<float[]> Ring;     // the last kLatency inputs
  std::unique_ptr<float[]> Leaving;  // the line's output for the current piece
  std::size_t Position = 0;
};

}  // namespace vorel
