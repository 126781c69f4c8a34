#include "dsp/quantiser/bin_walk.h"

#include <cstring>

#include "dsp/fmaths/cpu_features.h"
#include "dsp/fmaths/extended_steps.h"
#include "dsp/fmaths/fmaths.h"

#if VOREL_X86_PATHS
#include <emmintrin.h>
#elif VOREL_NEON_PATHS
#include <arm_neon.h>
#endif

namespace vorel {

namespace {

constexpr int32_t kPairs = TBinWalk::kPairs;

// Smallest counter value that reaches a constant threshold t; kPairs + 1,
// which no counter reaches within a walk, for a NaN or too large t.
int32_t FirstReachingCount(const TWide& t) {
  if (!(t <= Widen(kPairs))) return kPairs + 1;
  if (t <= Widen(1)) return 1;
  int32_t k = TruncateToInt32(t);  // 1 < t <= 512: in range
  if (Widen(k) < t) ++k;
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

// Runs shorter than this on average are gathered pair by pair.
constexpr int32_t kShortestFilledRun = 4;

// The pair a plan entry names: a pair of the spectrum, masked, or the pair
// held before the walk.
THeldPair PatternsOf(const float* spectrum, const THeldPair& previous, int32_t source,
                     uint32_t mask) {
  if (source == kPairs) return previous;
  THeldPair pair;
  std::memcpy(&pair.Real, spectrum + source, sizeof pair.Real);
  std::memcpy(&pair.Imag, spectrum + source + kPairs, sizeof pair.Imag);
  pair.Real ^= mask;
  pair.Imag ^= mask;
  return pair;
}

// Four copies of one pattern in a register, and their store: no float
// operation touches the pattern.
#if VOREL_X86_PATHS
using TPatterns = __m128i;
inline TPatterns FourOf(uint32_t bits) { return _mm_set1_epi32(static_cast<int>(bits)); }
inline void StoreFour(float* target, TPatterns p) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(target), p);
}
#elif VOREL_NEON_PATHS
using TPatterns = float32x4_t;
inline TPatterns FourOf(uint32_t bits) { return vreinterpretq_f32_u32(vdupq_n_u32(bits)); }
inline void StoreFour(float* target, TPatterns p) { vst1q_f32(target, p); }
#endif

// Every step captures: pair p receives pair p - 1 (upward) or p + 1
// (downward) of the spectrum, masked, and the first pair of the walk the
// pair held before it.
void ShiftPairs(const float* spectrum, const THeldPair& held, bool downward, uint32_t mask,
                float* heldSpectrum) {
  const int32_t first = downward ? kPairs - 1 : 0;
  const int32_t target = downward ? 0 : 1;
  const int32_t source = downward ? 1 : 0;
  const uint32_t previous[2] = {held.Real, held.Imag};
  for (int32_t half = 0; half < 2; ++half) {
    float* out = heldSpectrum + half * kPairs;
    const float* in = spectrum + half * kPairs;
    for (int32_t k = 0; k < kPairs - 1; ++k) {
      uint32_t bits;
      std::memcpy(&bits, in + source + k, sizeof bits);
      bits ^= mask;
      std::memcpy(out + target + k, &bits, sizeof bits);
    }
    std::memcpy(out + first, &previous[half], sizeof previous[half]);
  }
}

}  // namespace

// The ramp's threshold HoldLength x HoldScale x step / 512 must be exact:
// double holds it while |HoldLength| < 2^20, extended precision always.
void TBinWalk::Plan(const TWalkSettings& s) {
  const bool same = Planned && s.HoldLength == PlannedFor.HoldLength &&
                    BitsOf(s.HoldScale) == BitsOf(PlannedFor.HoldScale) &&
                    s.Downward == PlannedFor.Downward && s.Ramp == PlannedFor.Ramp;
  if (same) return;
  ShiftsByOnePair = false;
  if (!s.Ramp) {
    const int32_t reach = FirstReachingCount(Widen(s.HoldLength) * Widen(s.HoldScale));
    ShiftsByOnePair = reach == 1;
    LastCapture = PlanSteps(s.Downward, Source, kPrevious,
                            [reach](int32_t counter, int32_t) { return counter >= reach; });
  } else if (s.HoldLength > -(1 << 20) && s.HoldLength < (1 << 20)) {
    const double slope = static_cast<double>(s.HoldLength) * s.HoldScale;
    LastCapture = PlanSteps(s.Downward, Source, kPrevious, [slope](int32_t counter, int32_t i) {
      return counter >= slope * i / kPairs;
    });
  } else {
    const TWide slope = Widen(s.HoldLength) * Widen(s.HoldScale);
    LastCapture = PlanSteps(s.Downward, Source, kPrevious, [slope](int32_t counter, int32_t i) {
      return Widen(counter) >= slope * Widen(i) / Widen(kPairs);
    });
  }
  RunCount = 0;
  for (int32_t p = 0; p < kPairs;) {
    int32_t end = p + 1;
    while (end < kPairs && Source[end] == Source[p]) ++end;
    RunFirst[RunCount] = p;
    RunLength[RunCount] = end - p;
    ++RunCount;
    p = end;
  }
  RunsOfFour = RunCount * 4 == kPairs;
  PreviousFourRun = -1;
  for (int32_t r = 0; RunsOfFour && r < RunCount; ++r) {
    RunsOfFour = RunLength[r] == 4;
    const int32_t source = Source[RunFirst[r]];
    FourRunSource[r] = source == kPrevious ? 0 : source;
    if (source == kPrevious) PreviousFourRun = r;
  }
  Planned = true;
  PlannedFor = s;
}

// Long holds fill runs of pairs with one pattern; short ones gather every
// pair through the plan.
void TBinWalk::Walk(const TWalkSettings& s, const float* spectrum, float* heldSpectrum,
                    THeldPair& held) {
  Plan(s);
  const THeldPair previous = held;
  if (ShiftsByOnePair) {
    ShiftPairs(spectrum, previous, s.Downward, s.BitMask, heldSpectrum);
#if VOREL_NEON_PATHS
  } else if (RunsOfFour) {
    FillRunsOfFour(spectrum, previous, s.BitMask, heldSpectrum);
#endif
  } else if (RunCount * kShortestFilledRun <= kPairs) {
    FillRuns(spectrum, previous, s.BitMask, heldSpectrum);
  } else {
    GatherPairs(spectrum, previous, s.BitMask, heldSpectrum);
  }
  held = PatternsOf(spectrum, previous, LastCapture, s.BitMask);
}

// The previous held pair joins the candidates pre-masked, so one XOR serves
// every pair.
void TBinWalk::GatherPairs(const float* spectrum, const THeldPair& held, uint32_t mask,
                           float* heldSpectrum) {
  std::memcpy(RealCandidates, spectrum, kPairs * sizeof(uint32_t));
  std::memcpy(ImagCandidates, spectrum + kPairs, kPairs * sizeof(uint32_t));
  RealCandidates[kPrevious] = held.Real ^ mask;
  ImagCandidates[kPrevious] = held.Imag ^ mask;
  for (int32_t p = 0; p < kPairs; ++p) {
    const int32_t from = Source[p];
    const uint32_t real = RealCandidates[from] ^ mask;
    const uint32_t imag = ImagCandidates[from] ^ mask;
    std::memcpy(heldSpectrum + p, &real, sizeof real);
    std::memcpy(heldSpectrum + p + kPairs, &imag, sizeof imag);
  }
}

void TBinWalk::FillRuns(const float* spectrum, const THeldPair& held, uint32_t mask,
                        float* heldSpectrum) const {
  for (int32_t r = 0; r < RunCount; ++r) {
    const int32_t first = RunFirst[r];
    const int32_t length = RunLength[r];
    const THeldPair pair = PatternsOf(spectrum, held, Source[first], mask);
    float* real = heldSpectrum + first;
    float* imag = real + kPairs;
#if VOREL_VECTOR_PATHS
    // Four elements a store. The last store may reach up to three elements
    // past the run, where the half has room: the runs are filled in
    // ascending order, so the next run writes those again.
    if (first + length + 3 <= kPairs) {
      const TPatterns realFour = FourOf(pair.Real);
      const TPatterns imagFour = FourOf(pair.Imag);
      for (int32_t k = 0; k < length; k += 4) {
        StoreFour(real + k, realFour);
        StoreFour(imag + k, imagFour);
      }
      continue;
    }
#endif
    for (int32_t k = 0; k < length; ++k) {
      std::memcpy(real + k, &pair.Real, sizeof pair.Real);
      std::memcpy(imag + k, &pair.Imag, sizeof pair.Imag);
    }
  }
}

// Four runs a step, each pattern loaded into all four lanes at once and
// masked there: clang's general fill spends some 36 instructions on a run
// of four (the run's bounds, the tail test, the loop), this about ten. The
// run that receives the pair held before the walk is filled from pair 0
// like the others, then again with that pair.
void TBinWalk::FillRunsOfFour(const float* spectrum, const THeldPair& held, uint32_t mask,
                              float* heldSpectrum) const {
#if VOREL_NEON_PATHS
  const uint32x4_t masks = vdupq_n_u32(mask);
  const auto masked = [masks](const float* pattern) {
    return vreinterpretq_f32_u32(veorq_u32(vreinterpretq_u32_f32(vld1q_dup_f32(pattern)), masks));
  };
  const float* imagIn = spectrum + kPairs;
  float* realOut = heldSpectrum;
  float* imagOut = heldSpectrum + kPairs;
  for (int32_t r = 0; r < kPairs / 4; r += 4) {
    // Read before the stores, which the compiler cannot tell from the plan.
    int32_t from[4];
    std::memcpy(from, FourRunSource + r, sizeof from);
    for (int32_t k = 0; k < 4; ++k) {
      StoreFour(realOut + 4 * (r + k), masked(spectrum + from[k]));
      StoreFour(imagOut + 4 * (r + k), masked(imagIn + from[k]));
    }
  }
  if (PreviousFourRun >= 0) {
    StoreFour(realOut + 4 * PreviousFourRun, FourOf(held.Real));
    StoreFour(imagOut + 4 * PreviousFourRun, FourOf(held.Imag));
  }
#else
  FillRuns(spectrum, held, mask, heldSpectrum);
#endif
}

}  // namespace vorel
