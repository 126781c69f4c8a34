#include "dsp/fmaths/cpu_features.h"

namespace vorel {

// SSE2 is part of every x86 target this code builds for (x86-64, and i386
// with -msse2), NEON of every arm64 processor; AVX2 and FMA are asked of the
// processor.
TFeatures AvailableFeatures() {
  TFeatures features;
#if VOREL_X86_PATHS
  __builtin_cpu_init();
  features.VectorTransform = true;
  features.Avx2 = __builtin_cpu_supports("avx2") != 0;
  features.Avx512 = __builtin_cpu_supports("avx512f") != 0;
  features.Fma = __builtin_cpu_supports("fma") != 0;
#elif VOREL_NEON_PATHS
  features.VectorTransform = true;
#endif
  return features;
}

TFeatures Supported(TFeatures wanted) {
  const TFeatures available = AvailableFeatures();
  wanted.VectorTransform = wanted.VectorTransform && available.VectorTransform;
  wanted.Avx2 = wanted.Avx2 && available.Avx2;
  wanted.Avx512 = wanted.Avx512 && available.Avx512;
  wanted.Fma = wanted.Fma && available.Fma;
  return wanted;
}

}  // namespace vorel
