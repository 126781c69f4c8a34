#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <vector>

#include "dsp/stabilizer/stabilizer.h"
#include "effect/effect_channel.h"
#include "ladspa/instance.h"
#include "support/signals.h"
#include "support/x87_control.h"

namespace {

// A plugin instance at 48 kHz with its ports connected to local storage:
// the defaults, with hold 4 and walking up.
struct Rig {
  Rig() : handle(vorel::LadspaInstantiate(nullptr, 48000)) {
    controls.Values[vorel::SampleHoldPort] = 4.0f;
    controls.Values[vorel::DirectionPort] = 0.0f;
    for (unsigned long port = 0; port < vorel::kControlPortCount; ++port) {
      vorel::LadspaConnectPort(handle, port, &controls.Values[port]);
    }
  }
  ~Rig() { vorel::LadspaCleanup(handle); }
  void Connect(float* in, float* out) {
    vorel::LadspaConnectPort(handle, vorel::InputPort, in);
    vorel::LadspaConnectPort(handle, vorel::OutputPort, out);
  }
  LADSPA_Handle handle;
  vorel::DefaultControls controls = vorel::MakeDefaultControls();
};

std::vector<float> Noise(size_t n) { return vorel_host::Noise(n, 1, 0.5f); }

}  // namespace

// The whole run callback per sample, at the host's block size.
static void BM_RunCallback(benchmark::State& state) {
  const auto block = static_cast<unsigned long>(state.range(0));
  Rig rig;
  auto in = Noise(block);
  std::vector<float> out(block);
  rig.Connect(in.data(), out.data());
  for (auto _ : state) {
    vorel::LadspaRun(rig.handle, block);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(block));
}
BENCHMARK(BM_RunCallback)->Arg(64)->Arg(256)->Arg(4096);

// The same on a thread at the precision Windows gives its threads, 53 bits:
// the x87 steps set 64 bits and restore the thread's x87 state around every
// block, the portable steps take no notice.
static void BM_RunCallbackAt53BitPrecision(benchmark::State& state) {
  const vorel_host::ControlWords saved = vorel_host::ControlWords::Now();
  vorel_host::ControlWords::SetX87(0x027f);
  BM_RunCallback(state);
  vorel_host::ControlWords::SetX87(saved.X87);
}
BENCHMARK(BM_RunCallbackAt53BitPrecision)->Arg(256);

// One channel as the LV2 and stereo plugins run it, at block 256 and 48 kHz,
// with the editor's data path: 0 no editor open (nothing published), 1 an
// editor taking a snapshot 60 times a second of audio, 2 an editor taking
// one after every block, 3 an editor open that takes none (the peak alone).
// Only the run callback is timed: the editor's copy, which in a host runs on
// a thread of its own, is left out of the clock. "taken" counts the
// snapshots the editor got per block.
static void BM_ChannelPublishing(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  constexpr std::size_t kBlock = 256;
  const int64_t editor = state.range(0);
  const std::size_t takeEvery = editor == 2 ? 1 : 48000 / 60 / kBlock;
  vorel::EffectChannel channel(48000.0f);
  vorel::DefaultControls controls = vorel::MakeDefaultControls();
  controls.Values[vorel::SampleHoldPort] = 4.0f;
  controls.Values[vorel::DirectionPort] = 0.0f;
  channel.Published().Listen(editor != 0);
  auto in = Noise(kBlock);
  std::vector<float> out(kBlock);
  vorel::SpectrumSnapshot shown;
  std::size_t blocks = 0;
  int64_t taken = 0;
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    channel.Run(controls.Values, 100.0f, true, in.data(), out.data(), kBlock);
    benchmark::DoNotOptimize(out.data());
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    if (editor != 0 && editor != 3 && ++blocks % takeEvery == 0)
      taken += channel.Published().Take(shown) ? 1 : 0;
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kBlock));
  state.counters["taken"] = static_cast<double>(taken) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ChannelPublishing)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->UseManualTime();

// Silence after sound: with a zero mask the silent frames add nothing, and
// the stabiliser's output decays onto subnormal values and rests there.
static void BM_RunCallbackSilenceAfterSound(benchmark::State& state) {
  Rig rig;
  auto sound = Noise(48000);
  std::vector<float> out(48000), silence(256, 0.0f);
  rig.Connect(sound.data(), out.data());
  vorel::LadspaRun(rig.handle, sound.size());
  rig.Connect(silence.data(), out.data());
  for (int i = 0; i < 400; ++i) vorel::LadspaRun(rig.handle, 256);  // past the tail
  for (auto _ : state) {
    vorel::LadspaRun(rig.handle, 256);
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
