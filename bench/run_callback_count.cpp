// Runs the plugin's run callback over a given number of samples, in blocks
// of 256, and nothing else that grows with the length: the input is one
// buffer of noise made at start-up and fed again and again. Under an
// instruction counter, two lengths then give the cost of one sample by
// difference (scripts/count-instructions.sh), free of loading and set-up.
//
// Usage: vorel-run-count LIBRARY SAMPLES
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "support/ladspa_host.h"
#include "support/signals.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s LIBRARY SAMPLES\n", argv[0]);
    return 2;
  }
  vorel_host::Library lib(argv[1]);
  if (lib.Descriptor() == nullptr) {
    std::fprintf(stderr, "cannot load %s: %s\n", argv[1], dlerror());
    return 1;
  }
  const unsigned long samples = std::strtoul(argv[2], nullptr, 10);
  constexpr unsigned long kBlock = 256;
  constexpr unsigned long kCycle = 16 * kBlock;
  const std::vector<float> input = vorel_host::Noise(kCycle, 7, 0.5f);
  std::vector<float> output(kBlock);
  vorel_host::Instance instance(lib.Descriptor(), 48000);
  instance.controls.Values[vorel::SampleHoldPort] = 4.0f;
  instance.controls.Values[vorel::BitMaskPort] = 0.5f;
  for (unsigned long done = 0; done < samples; done += kBlock) {
    instance.Run(input.data() + done % kCycle, output.data(), kBlock);
  }
  // Keeps the output alive, so no part of the work can be left out.
  std::printf("last %a\n", static_cast<double>(output[kBlock - 1]));
  return 0;
}
