#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "dsp/quantiser/bin_walk.h"
#include "dsp/quantiser/quantiser.h"

// One hop of 256 samples: the sample steps plus exactly one frame step.
static void BM_QuantiserHop(benchmark::State& state) {
  vorel::TQuantiser q;
  q.HoldLength = static_cast<int32_t>(state.range(0));
  q.Gain = 1.0f;
  q.BitMask = 0x00ff0000u;
  q.ProcessType = static_cast<uint8_t>(state.range(1));
  std::vector<float> in(256), out(256);
  std::mt19937 rng(1);
  std::uniform_real_distribution<float> dist(-0.5f, 0.5f);
  for (float& x : in) x = dist(rng);
  for (auto _ : state) {
    q.Process(in.data(), out.data(), 256);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * 256);
}
BENCHMARK(BM_QuantiserHop)->Args({4, 0})->Args({43, 1});

// The walk alone, for constant and ramp thresholds.
static void BM_WalkSpectrum(benchmark::State& state) {
  std::vector<float> spectrum(1024), held(1024);
  for (int i = 0; i < 1024; ++i) spectrum[i] = static_cast<float>(i);
  vorel::TWalkSettings s;
  s.HoldLength = static_cast<int32_t>(state.range(0));
  s.Ramp = state.range(1) != 0;
  s.BitMask = 0x00ff0000u;
  vorel::THeldPair pair;
  vorel::TBinWalk walk;
  for (auto _ : state) {
    walk.Walk(s, spectrum.data(), held.data(), pair);
    benchmark::DoNotOptimize(held.data());
  }
}
BENCHMARK(BM_WalkSpectrum)->Args({1, 0})->Args({4, 0})->Args({43, 0})->Args({4, 1})->Args({43, 1});
