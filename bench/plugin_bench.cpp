#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "stabilizer/stabilizer.h"
#include "vorel/instance.h"

namespace {

// A plugin instance at 48 kHz with its ports connected to local storage.
struct Rig {
  explicit Rig(float bitmask = 0.0f) : handle(vorel::Instantiate(nullptr, 48000)) {
    controls[0] = 4.0f;  // "s&h"
    controls[1] = 1.0f;  // "gain"
    controls[2] = 0.0f;  // "direction"
    controls[3] = bitmask;
    controls[4] = 0.0f;  // "amp-mod amt"
    controls[5] = 0.0f;  // "process-typ"
    for (unsigned long port = 0; port < 6; ++port) vorel::ConnectPort(handle, port, &controls[port]);
  }
  ~Rig() { vorel::Cleanup(handle); }
  void Connect(float* in, float* out) {
    vorel::ConnectPort(handle, 6, in);
    vorel::ConnectPort(handle, 7, out);
  }
  LADSPA_Handle handle;
  float controls[6];
};

std::vector<float> Noise(size_t n) {
  std::mt19937 rng(1);
  std::uniform_real_distribution<float> dist(-0.5f, 0.5f);
  std::vector<float> x(n);
  for (float& v : x) v = dist(rng);
  return x;
}

}  // namespace

// The whole run callback per sample, at the host's block size.
static void BM_RunCallback(benchmark::State& state) {
  const auto block = static_cast<unsigned long>(state.range(0));
  Rig rig;
  auto in = Noise(block);
  std::vector<float> out(block);
  rig.Connect(in.data(), out.data());
  for (auto _ : state) {
    vorel::Run(rig.handle, block);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(block));
}
BENCHMARK(BM_RunCallback)->Arg(64)->Arg(256)->Arg(4096);

// Silence after sound: with a zero mask the silent frames add nothing, and
// the stabiliser's output decays onto subnormal values and rests there.
static void BM_RunCallbackSilenceAfterSound(benchmark::State& state) {
  Rig rig;
  auto sound = Noise(48000);
  std::vector<float> out(48000), silence(256, 0.0f);
  rig.Connect(sound.data(), out.data());
  vorel::Run(rig.handle, sound.size());
  rig.Connect(silence.data(), out.data());
  for (int i = 0; i < 400; ++i) vorel::Run(rig.handle, 256);  // past the tail
  for (auto _ : state) {
    vorel::Run(rig.handle, 256);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["resting_value"] = std::fabs(out[255]);
  state.SetItemsProcessed(state.iterations() * 256);
}
BENCHMARK(BM_RunCallbackSilenceAfterSound);

// The stabiliser alone, per sample.
static void BM_Stabilizer(benchmark::State& state) {
  vorel::TStabilize stabilizer;
  stabilizer.SetSampleRate(48000.0f);
  auto buffer = Noise(4096);
  for (auto _ : state) {
    stabilizer.Process(buffer.data(), 4096);
    benchmark::DoNotOptimize(buffer.data());
  }
  state.SetItemsProcessed(state.iterations() * 4096);
}
BENCHMARK(BM_Stabilizer);
