// The mono effect as the other formats run it, one per channel of the
// stereo plugins: controls taken over at each block, the mix, the bypass
// that keeps time. The model the VST3 and CLAP tests hold each channel to,
// bit for bit.
#pragma once

#include <cstddef>
#include <cstring>
#include <vector>

#include "effect/bypass.h"
#include "effect/dry_wet_mix.h"
#include "effect/processor.h"

namespace vorel_host {

struct MonoChannel {
  explicit MonoChannel(float rate) : Chain(rate) {}
  vorel::Processor Chain;
  vorel::DryWetMix Mix;
  vorel::TimedBypass Bypass;
  void Run(const float* controls, float mix, bool enabled, const float* in, float* out,
           std::size_t count) {
    do {
      const std::size_t piece =
          count < vorel::TimedBypass::kMaxPiece ? count : vorel::TimedBypass::kMaxPiece;
      Bypass.TakeInput(in, piece);
      Chain.Run(controls, in, out, piece);
      Mix.Apply(mix, Bypass.Delayed(), out, piece);
      Bypass.Mix(enabled, out, piece);
      in += piece;
      out += piece;
      count -= piece;
    } while (count > 0);
  }
};

// Where two signals first differ in their bits: the size of a if nowhere.
inline std::size_t FirstDifference(const std::vector<float>& a, const std::vector<float>& b) {
  std::size_t first = 0;
  while (first < a.size() && std::memcmp(&a[first], &b[first], sizeof(float)) == 0) ++first;
  return first;
}

}  // namespace vorel_host
