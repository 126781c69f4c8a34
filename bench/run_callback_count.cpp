// Runs the plugin's run callback over a given number of samples, in blocks
// of 256 at 48 kHz, and nothing else that grows with the length: the input
// is one second of white noise at 0.3 made at start-up and fed again and
// again. Under an instruction counter, two lengths then give the cost of one
// sample by difference (scripts/count-instructions.sh), free of loading,
// set-up and of making the signal, which a host generating its noise as it
// goes would count with the plugin.
//
// Usage: vorel-run-count LIBRARY SAMPLES [SAMPLE_HOLD BITMASK]
//   without the two controls, every control stays at its default.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "support/ladspa_host.h"
#include "support/signals.h"

int main(int argc, char** argv) {
  if (argc != 3 && argc != 5) {
    std::fprintf(stderr, "usage: %s LIBRARY SAMPLES [SAMPLE_HOLD BITMASK]\n", argv[0]);
    return 2;
  }
  vorel_host::Library lib(argv[1]);
  if (lib.Descriptor() == nullptr) {
    std::fprintf(stderr, "cannot load %s: %s\n", argv[1], dlerror());
    return 1;
  }
  // Where the library sits, for mapping a profile's addresses to its
  // functions (scripts/profile-instructions.py).
  Dl_info where{};
  if (dladdr(reinterpret_cast<void*>(lib.Entry()), &where) != 0)
    std::printf("base %p\n", where.dli_fbase);
  const unsigned long samples = std::strtoul(argv[2], nullptr, 10);
  constexpr unsigned long kRate = 48000;
  constexpr unsigned long kBlock = 256;
  // A whole number of blocks, so that no block wraps around the end.
  constexpr unsigned long kCycle = kRate / kBlock * kBlock;
  const std::vector<float> input = vorel_host::Noise(kCycle, 7, 0.3f);
  std::vector<float> output(kBlock);
  vorel_host::Instance instance(lib.Descriptor(), kRate);
  if (argc == 5) {
    instance.controls.Values[vorel::SampleHoldPort] = std::strtof(argv[3], nullptr);
    instance.controls.Values[vorel::BitMaskPort] = std::strtof(argv[4], nullptr);
  }
  for (unsigned long done = 0; done < samples; done += kBlock) {
    instance.Run(input.data() + done % kCycle, output.data(), kBlock);
  }
  // Keeps the output alive, so no part of the work can be left out.
  std::printf("last %a\n", static_cast<double>(output[kBlock - 1]));
  return 0;
}
