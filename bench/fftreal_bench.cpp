#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "fftreal/fftreal.h"

// One forward and one inverse transform of the engine's frame length.
static void BM_FFTRealForwardInverse1024(benchmark::State& state) {
  vorel::TFFTReal fft(1024);
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
BENCHMARK(BM_FFTRealForwardInverse1024);
