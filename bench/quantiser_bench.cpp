#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "quantiser/quantiser.h"

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
