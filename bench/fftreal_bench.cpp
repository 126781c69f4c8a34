#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "dsp/fftreal/fftreal.h"

namespace {

// One forward and one inverse transform of the engine's frame length, by the
// paths features allows.
void ForwardInverse1024(benchmark::State& state, vorel::TFeatures features) {
  vorel::TFFTReal fft(1024, features);
  std::vector<float> time(1024), freq(1024), back(1024);
  std::mt19937 rng(1);
  std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
  for (float& x : time) x = dist(rng);
  for (auto _ : state) {
    fft.ForwardTransform(freq.data(), time.data());
    fft.InverseTransform(freq.data(), back.data());
    benchmark::DoNotOptimize(back.data());
    benchmark::ClobberMemory();
  }
}

}  // namespace

// The path the engine uses (vectorised where the build has it).
static void BM_FFTRealForwardInverse1024(benchmark::State& state) {
  ForwardInverse1024(state, vorel::AvailableFeatures());
}
BENCHMARK(BM_FFTRealForwardInverse1024);

// The plain scalar passes that define the bits.
static void BM_FFTRealScalarForwardInverse1024(benchmark::State& state) {
  ForwardInverse1024(state, vorel::PlainFeatures());
}
BENCHMARK(BM_FFTRealScalarForwardInverse1024);
