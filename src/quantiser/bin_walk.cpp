#include "quantiser/bin_walk.h"

#include <cstring>

#include "fmaths/fmaths.h"

namespace vorel {

namespace {

constexpr int32_t kPairs = 512;

// Smallest counter value that reaches a constant threshold t; kPairs + 1,
// which no counter reaches within a walk, for a NaN or too large t.
int32_t FirstReachingCount(long double t) {
  if (!(t <= kPairs)) return kPairs + 1;
  if (t <= 1.0L) return 1;
  int32_t k = static_cast<int32_t>(t);  // 1 < t <= 512: in range
  if (k < t) ++k;
  return k;
}

// Steps through the walk by the hold rule: every pair receives the current
// source, then the step captures when reaches(counter, step) holds.
template <typename Reaches>
int32_t PlanSteps(bool downward, int32_t* source, int32_t previous, Reaches reaches) {
  int32_t current = previous;
  int32_t counter = 0;
  for (int32_t i = 0; i < kPairs; ++i) {
    const int32_t p = downward ? kPairs - 1 - i : i;
    source[p] = current;
    if (reaches(++counter, i)) {
      current = p;
      counter = 0;
    }
  }
  return current;
}

}  // namespace

// The ramp's threshold HoldLength x HoldScale x step / 512 must be exact:
// double holds it while |HoldLength| < 2^20, extended precision always.
void TBinWalk::Plan(const TWalkSettings& s) {
  const bool same = Planned && s.HoldLength == PlannedFor.HoldLength &&
                    BitsOf(s.HoldScale) == BitsOf(PlannedFor.HoldScale) && s.Downward == PlannedFor.Downward &&
                    s.Ramp == PlannedFor.Ramp;
  if (same) return;
  if (!s.Ramp) {
    const int32_t reach = FirstReachingCount(static_cast<long double>(s.HoldLength) * s.HoldScale);
    LastCapture = PlanSteps(s.Downward, Source, kPrevious, [reach](int32_t counter, int32_t) { return counter >= reach; });
  } else if (s.HoldLength > -(1 << 20) && s.HoldLength < (1 << 20)) {
    const double slope = static_cast<double>(s.HoldLength) * s.HoldScale;
    LastCapture = PlanSteps(s.Downward, Source, kPrevious,
                            [slope](int32_t counter, int32_t i) { return counter >= slope * i / kPairs; });
  } else {
    const long double slope = static_cast<long double>(s.HoldLength) * s.HoldScale;
    LastCapture = PlanSteps(s.Downward, Source, kPrevious,
                            [slope](int32_t counter, int32_t i) { return counter >= slope * i / kPairs; });
  }
  Planned = true;
  PlannedFor = s;
}

// The spectrum is gathered through the plan. The previous held pair joins
// the candidates pre-masked, so one XOR serves every pair.
void TBinWalk::Walk(const TWalkSettings& s, const float* spectrum, float* heldSpectrum, THeldPair& held) {
  Plan(s);
  std::memcpy(RealCandidates, spectrum, kPairs * sizeof(uint32_t));
  std::memcpy(ImagCandidates, spectrum + kPairs, kPairs * sizeof(uint32_t));
  RealCandidates[kPrevious] = held.Real ^ s.BitMask;
  ImagCandidates[kPrevious] = held.Imag ^ s.BitMask;
  const uint32_t mask = s.BitMask;
  for (int32_t p = 0; p < kPairs; ++p) {
    const int32_t from = Source[p];
    const uint32_t real = RealCandidates[from] ^ mask;
    const uint32_t imag = ImagCandidates[from] ^ mask;
    std::memcpy(heldSpectrum + p, &real, sizeof real);
    std::memcpy(heldSpectrum + p + kPairs, &imag, sizeof imag);
  }
  held.Real = RealCandidates[LastCapture] ^ mask;
  held.Imag = ImagCandidates[LastCapture] ^ mask;
}

void WalkSpectrum(const TWalkSettings& settings, const float* spectrum, float* heldSpectrum, THeldPair& held) {
  TBinWalk walk;
  walk.Walk(settings, spectrum, heldSpectrum, held);
}

}  // namespace vorel
