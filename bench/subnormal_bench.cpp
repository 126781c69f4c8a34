// What resting on subnormal values costs. After any sound followed by
// silence, the stabiliser's output decays until the rounding holds it at
// +-88 x 2^-149 (at 44100 Hz), a subnormal it then keeps for as long as the
// silence lasts. These benchmarks run the loaded plugin, 256 samples a
// call, on a normal signal, on that subnormal-resting tail, on silence that
// rests at exact zero (a fresh instance), and on subnormal input; the
// "time/sample" counter gives the cost per sample. The stabiliser alone is
// measured the same way, since it is the stage that rests on the subnormal.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "dsp/stabilizer/stabilizer.h"

#include "support/ladspa_host.h"
#include "support/signals.h"

namespace {

constexpr unsigned long kBlock = 256;

enum class Tail { kNormal, kSubnormalRest, kZeroRest, kSubnormalInput };

void RunPlugin(benchmark::State& state, Tail tail) {
  vorel_host::Library lib(VOREL_LIBRARY_PATH);
  if (lib.Descriptor() == nullptr) {
    state.SkipWithError("cannot load the plugin");
    return;
  }
  vorel_host::Instance instance(lib.Descriptor(), 44100);
  instance.controls.Values[vorel::SampleHoldPort] = 5.0f;
  instance.controls.Values[vorel::BitMaskPort] = 0.0f;

  std::vector<float> input(kBlock, 0.0f), output(kBlock);
  if (tail == Tail::kNormal) input = vorel_host::Noise(kBlock, 1, 0.5f);
  if (tail == Tail::kSubnormalInput) input.assign(kBlock, 1e-38f);
  if (tail == Tail::kSubnormalRest) {
    // Sound, then enough silence for the output to come to rest.
    const std::vector<float> sound = vorel_host::Noise(8192, 2, 0.5f);
    std::vector<float> scratch(8192);
    instance.Run(sound.data(), scratch.data(), 8192);
    for (int i = 0; i < 256; ++i) instance.Run(input.data(), output.data(), kBlock);
    if (std::fpclassify(output.back()) != FP_SUBNORMAL) {
      state.SkipWithError("the output did not come to rest on a subnormal");
      return;
    }
  }
  for (auto _ : state) {
    instance.Run(input.data(), output.data(), kBlock);
    benchmark::DoNotOptimize(output.data());
  }
  state.SetItemsProcessed(state.iterations() * kBlock);
  state.counters["time/sample"] =
      benchmark::Counter(static_cast<double>(state.iterations() * kBlock),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void RunStabiliser(benchmark::State& state, Tail tail) {
  vorel::TStabilize stabiliser;
  stabiliser.SetSampleRate(44100.0f);
  std::vector<float> input(kBlock, 0.0f), buffer(kBlock);
  if (tail == Tail::kNormal) input = vorel_host::Noise(kBlock, 1, 0.5f);
  if (tail == Tail::kSubnormalInput) input.assign(kBlock, 1e-38f);
  if (tail == Tail::kSubnormalRest) {
    buffer.assign(kBlock, 0.0f);
    buffer[0] = 1.0f;
    for (int i = 0; i < 256; ++i) {
      stabiliser.Process(buffer.data(), kBlock);
      buffer.assign(kBlock, 0.0f);
    }
    stabiliser.Process(buffer.data(), kBlock);
    if (std::fpclassify(buffer.back()) != FP_SUBNORMAL) {
      state.SkipWithError("the output did not come to rest on a subnormal");
      return;
    }
  }
  for (auto _ : state) {
    std::memcpy(buffer.data(), input.data(), kBlock * sizeof(float));
    stabiliser.Process(buffer.data(), kBlock);
    benchmark::DoNotOptimize(buffer.data());
  }
  state.counters["time/sample"] =
      benchmark::Counter(static_cast<double>(state.iterations() * kBlock),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK_CAPTURE(RunPlugin, normal_signal, Tail::kNormal);
BENCHMARK_CAPTURE(RunPlugin, silence_resting_on_subnormal, Tail::kSubnormalRest);
BENCHMARK_CAPTURE(RunPlugin, silence_resting_on_zero, Tail::kZeroRest);
BENCHMARK_CAPTURE(RunPlugin, subnormal_input, Tail::kSubnormalInput);
BENCHMARK_CAPTURE(RunStabiliser, normal_signal, Tail::kNormal);
BENCHMARK_CAPTURE(RunStabiliser, silence_resting_on_subnormal, Tail::kSubnormalRest);
BENCHMARK_CAPTURE(RunStabiliser, silence_resting_on_zero, Tail::kZeroRest);
BENCHMARK_CAPTURE(RunStabiliser, subnormal_input, Tail::kSubnormalInput);
