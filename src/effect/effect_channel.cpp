#include "effect/effect_channel.h"

#include <algorithm>

namespace vorel {

// The delay line takes each piece before the effect writes out, so in and
// out may alias; the mix comes before the bypass (dry_wet_mix.h).
void EffectChannel::Run(const float* controls, float mixPercent, bool enabled, const float* in,
                        float* out, std::size_t count) {
  do {
    const std::size_t piece = std::min(count, TimedBypass::kMaxPiece);
    Bypass.TakeInput(in, piece);
    Chain.Run(controls, in, out, piece);
    Mix.Apply(mixPercent, Bypass.Delayed(), out, piece);
    Bypass.Mix(enabled, out, piece);
    in += piece;
    out += piece;
    count -= piece;
  } while (count > 0);
}

void EffectChannel::Reset() {
  Chain.Reset();
  Mix.Reset();
  Bypass.Reset();
}

}  // namespace vorel
