#include "dsp/fmaths/cpu_features.h"

namespace vorel {

// SSE2 is part of every x86 target this code builds for (x86-64, and i386
// with -msse2); AVX2 and FMA are asked of the processor.
TFeatures AvailableFeatures() {
  TFeatures features;
#if VOREL_X86_PATHS
  __builtin_cpu_init();
  features.VectorTransform = true;
  features.Avx2 = __builtin_cpu_supports("avx2") != 0;
  features.Fma = __builtin_cpu_supports("fma") != 0;
#endif
  return features;
}

TFeatures Supported(TFeatures wanted) {
  const TFeatures available = AvailableFeatures();
  wanted.VectorTransform = wanted.VectorTransform && available.VectorTransform;
  wanted.Avx2 = wanted.Avx2 && available.Avx2;
  wanted.Fma = wanted.Fma && available.Fma;
  return wanted;
}

}  // namespace vorel
