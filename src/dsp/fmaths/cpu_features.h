// The one place that decides which processor features the processing units
// use. What is built is fixed at compile time: VOREL_X86_PATHS is 1 when
// VOREL_SIMD is on and the target is x86 with SSE2, and every vectorised or
// processor-specific path is compiled only then. Which of the built paths
// runs is chosen once, when a unit is constructed, from the TFeatures it is
// given: by default what the processor offers, in tests any subset, so that
// each variant can be held to the plain path on any machine that has it.
#pragma once

#if defined(VOREL_SIMD) && defined(__SSE2__) && (defined(__x86_64__) || defined(__i386__))
#define VOREL_X86_PATHS 1
#else
#define VOREL_X86_PATHS 0
#endif

namespace vorel {

struct TFeatures {
  bool VectorTransform = false;  // the SSE2 transform passes
  bool Avx2 = false;             // the overlap-add built for AVX2
  bool Fma = false;              // the stabiliser's fused multiply-add
};

// What this build and this processor offer.
TFeatures AvailableFeatures();

// The plain paths only: the reference every other variant must match.
constexpr TFeatures PlainFeatures() { return TFeatures{}; }

// wanted, less whatever this build or this processor lacks.
TFeatures Supported(TFeatures wanted);

}  // namespace vorel
