#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "dsp/fftreal/fftreal.h"

namespace {

// One forward and one inverse transform of the engine's frame length, by the
// path the member pointers name.
template <void (vorel::TFFTReal::*Forward)(float*, const float*),
          void (vorel::TFFTReal::*Inverse)(const float*, float*)>
void ForwardInverse1024(benchmark::State& state) {
  vorel::TFFTReal fft(1024);
  std::vector<float> time(1024), freq(1024), back(1024);
  std::mt19937 rng(1);
  std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
  for (float& x : time) x = dist(rng);
  for (auto _ : state) {
    (fft.*Forward)(freq.data(), time.data());
    (fft.*Inverse)(freq.data(), back.data());
    benchmark::DoNotOptimize(back.data());
    benchmark::ClobberMemory();
  }
}

}  // namespace

// The path the engine uses (vectorised where the build has it).
static void BM_FFTRealForwardInverse1024(benchmark::State& state) {
  ForwardInverse1024<&vorel::TFFTReal::ForwardTransform, &vorel::TFFTReal::InverseTransform>(state);
}
BENCHMARK(BM_FFTRealForwardInverse1024);

// The plain scalar passes that define the bits.
static void BM_FFTRealScalarForwardInverse1024(benchmark::State& state) {
  ForwardInverse1024<&vorel::TFFTReal::ForwardTransformScalar,
                     &vorel::TFFTReal::InverseTransformScalar>(state);
}
BENCHMARK(BM_FFTRealScalarForwardInverse1024);
