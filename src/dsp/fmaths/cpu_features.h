// The one place that decides which processor features the processing units
// use. What is built is fixed at compile time: VOREL_X86_PATHS is 1 when
// VOREL_SIMD is on and the target is x86 with SSE2, VOREL_NEON_PATHS when it
// is on and the target is arm64 (every arm64 processor has Advanced SIMD);
// VOREL_VECTOR_PATHS is either, and every vectorised or processor-specific
// path is compiled only then. 32-bit ARM has none: its NEON flushes
// subnormals to zero, so it cannot give the plain path's bits. Which of the
// built paths runs is chosen once, when a unit is constructed, from the
// TFeatures it is given: by default what the processor offers, in tests any
// subset, so that each variant can be held to the plain path on any machine
// that has it.
#pragma once

#if defined(VOREL_SIMD) && defined(__SSE2__) && (defined(__x86_64__) || defined(__i386__))
#define VOREL_X86_PATHS 1
#else
#define VOREL_X86_PATHS 0
#endif

#if defined(VOREL_SIMD) && defined(__aarch64__) && defined(__ARM_NEON)
#define VOREL_NEON_PATHS 1
#else
#define VOREL_NEON_PATHS 0
#endif

#define VOREL_VECTOR_PATHS (VOREL_X86_PATHS || VOREL_NEON_PATHS)

// The transform's 8- and 16-lane passes, for x86-64 processors with AVX2
// and AVX-512F.
#if VOREL_X86_PATHS && defined(__x86_64__)
#define VOREL_AVX2_PASSES 1
#else
#define VOREL_AVX2_PASSES 0
#endif

namespace vorel {

struct TFeatures {
  bool VectorTransform = false;  // the 4-lane transform passes (SSE2, NEON)
  bool Avx2 = false;             // the 8-lane transform passes, the overlap-add built for AVX2
  bool Avx512 = false;           // the 16-lane transform passes, the overlap-add for AVX-512F
  bool Fma = false;              // the stabiliser's fused multiply-add
};

// What this build and this processor offer.
TFeatures AvailableFeatures();

// The plain paths only: the reference every other variant must match.
constexpr TFeatures PlainFeatures() { return TFeatures{}; }

// wanted, less whatever this build or this processor lacks.
TFeatures Supported(TFeatures wanted);

}  // namespace vorel
