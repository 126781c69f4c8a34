#include "dsp/fmaths/cpu_features.h"

#include <cstdlib>
#include <cstring>

namespace vorel {

namespace {

// Whether the comma-separated list names name.
bool Names(const char* list, const char* name) {
  const size_t length = std::strlen(name);
  for (const char* p = list; *p != '\0';) {
    const char* end = std::strchr(p, ',');
    if (end == nullptr) end = p + std::strlen(p);
    if (static_cast<size_t>(end - p) == length && std::strncmp(p, name, length) == 0) return true;
    p = *end == ',' ? end + 1 : end;
  }
  return false;
}

// features, less any that VOREL_FEATURES, when set, does not name: a list
// such as "vector,avx2,fma", or "none" for the plain paths alone. Read
// when a unit is constructed, never while it processes: to compare the
// paths of one machine against each other, and to rule one out.
TFeatures AllowedByEnvironment(TFeatures features) {
  const char* list = std::getenv("VOREL_FEATURES");
  if (list == nullptr) return features;
  features.VectorTransform = features.VectorTransform && Names(list, "vector");
  features.Avx2 = features.Avx2 && Names(list, "avx2");
  features.Avx512 = features.Avx512 && Names(list, "avx512");
  features.Fma = features.Fma && Names(list, "fma");
  return features;
}

}  // namespace

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
  return AllowedByEnvironment(features);
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
