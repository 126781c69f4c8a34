#include "effect/controls.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "effect/port_table.h"

namespace vorel {
namespace {

// Truncates toward zero into a signed 64-bit integer. Infinities and values
// beyond the 64-bit range saturate, so no conversion is undefined. Callers
// keep NaN out.
int64_t Truncate(double value) {
  constexpr double kTwoTo63 = 9223372036854775808.0;
  if (value >= kTwoTo63) return INT64_MAX;
  if (value < -kTwoTo63) return INT64_MIN;
  return static_cast<int64_t>(value);
}

uint32_t Low32(int64_t value) { return static_cast<uint32_t>(static_cast<uint64_t>(value)); }
uint8_t Low8(int64_t value) { return static_cast<uint8_t>(static_cast<uint64_t>(value)); }

}  // namespace

// A NaN on any port leaves its parameter as it was. Every other value is
// written on each block; writing only on a change gives the same state,
// except for "gain", where the comparison is what keeps a NaN out.
void ApplyControls(const float* values, TQuantiser& engine) {
  const float holdLength = values[SampleHoldPort];
  const float gain = values[GainPort];
  const float direction = values[DirectionPort];
  const float bitMask = values[BitMaskPort];
  const float ampMod = values[AmpModPort];
  const float processType = values[ProcessTypePort];

  if (!std::isnan(holdLength))
    engine.HoldLength = static_cast<int32_t>(Low32(Truncate(holdLength)));
  // The gain is taken over as its exact bit pattern, and only when it
  // compares ordered-unequal: a NaN on either side counts as equal.
  if (gain < engine.Gain || gain > engine.Gain) std::memcpy(&engine.Gain, &gain, sizeof gain);
  if (!std::isnan(direction)) engine.Direction = Low8(Truncate(direction));
  // A float times 65535 needs at most 40 significant bits: exact in double.
  if (!std::isnan(bitMask)) engine.BitMask = Low32(Truncate(double{bitMask} * 65535.0)) << 16;
  if (!std::isnan(ampMod)) engine.AmpModAmount = static_cast<float>(Truncate(ampMod));
  if (!std::isnan(processType)) engine.ProcessType = Low8(Truncate(processType));
}

}  // namespace vorel
