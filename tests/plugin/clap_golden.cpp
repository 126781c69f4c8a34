// Prints one line per sample rate: the hash of the CLAP plugin's stereo
// output for seeded noise, with a preset and the mix changed on the way.
// The blocks run on a thread of their own, as a host's audio thread; with
// VOREL_X87_CONTROL set (as "0x027f", the precision Windows gives every
// thread) that thread's x87 control word is set to it first, and the run
// fails if either control word differs once the plugin is done. Every
// build, on every platform and at every precision, must print the same
// lines: `make test-windows` compares the Windows module's under wine with
// the Linux module's.
//
// Usage: vorel-clap-golden MODULE
#include <cinttypes>
#include <cstdio>
#include <thread>
#include <vector>

#include "effect/presets.h"
#include "support/clap_host.h"
#include "support/sample_hash.h"
#include "support/signals.h"
#include "support/x87_control.h"

namespace {

constexpr uint32_t kBlocks[] = {1000, 7, 4096, 1, 333, 2048};
constexpr uint32_t kMaxBlock = 4096;

// The output hash of a fresh instance at one rate; false where the plugin
// failed or the audio thread's control words changed.
bool RunAt(const clap_plugin_factory_t* factory, double rate, uint64_t& hash) {
  vorel_host::ClapHost host(true);
  const clap_plugin_t* plugin = host.Create(factory);
  if (plugin == nullptr) return false;
  bool ok = plugin->activate(plugin, rate, 1, kMaxBlock);
  std::size_t total = 0;
  for (uint32_t n : kBlocks) total += n;
  std::vector<float> left = vorel_host::Noise(total, 5, 0.8f);
  std::vector<float> right = vorel_host::Noise(total, 6, 0.8f);
  std::thread audio([&] {
    const vorel_host::ControlWords words = vorel_host::ControlWords::FromEnvironment();
    ok = ok && plugin->start_processing(plugin);
    std::size_t at = 0;
    for (std::size_t b = 0; ok && b < std::size(kBlocks); ++b) {
      const vorel::Preset& preset = vorel::kPresets[b % std::size(vorel::kPresets)];
      for (uint32_t p = 0; p < std::size(preset.Values); ++p)
        host.SetParameter(p, preset.Values[p]);
      host.SetParameter(std::size(preset.Values), b == 4 ? 35.0 : 100.0);  // the mix
      float* io[2] = {&left[at], &right[at]};
      ok = host.Process(plugin, io, io, kBlocks[b]) == CLAP_PROCESS_CONTINUE;
      at += kBlocks[b];
    }
    if (ok) plugin->stop_processing(plugin);
    ok = ok && words.Unchanged();
  });
  audio.join();
  plugin->deactivate(plugin);
  plugin->destroy(plugin);
  hash = vorel_host::HashSamples(right.data(), total, vorel_host::HashSamples(left.data(), total));
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s MODULE\n", argv[0]);
    return 2;
  }
  vorel_host::ClapModule module(argv[1]);
  for (const double rate : {44100.0, 48000.0, 96000.0}) {
    uint64_t hash = 0;
    if (!RunAt(module.Factory(), rate, hash)) {
      std::fprintf(stderr,
                   "%s: the plugin failed at %.0f Hz, or changed the thread's control words\n",
                   argv[0], rate);
      return 1;
    }
    std::printf("clap %.0f Hz %016" PRIx64 "\n", rate, hash);
  }
  return 0;
}
