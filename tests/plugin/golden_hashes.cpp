// Prints one line per fixed case: the hash of the plugin's output (loaded
// through the dynamic loader) and the hash of the spectral engine's own
// output, where NaN payloads are still visible. Then one line per sample
// rate and signal of a wide run: a seeded host that changes every control
// within its range every few blocks, with blocks of 0 to 2048 samples. Every
// build, on every target, must print identical lines; `make test-m32` and
// `make test-arm` compare them with the normal build's.
//
// Inputs are made with integer arithmetic only (no libm), so both builds
// feed the same bits.
//
// With VOREL_X87_CONTROL set (as "0x027f") the thread's x87 control word is
// set to it first, and the run fails if the control words differ at the end.
//
// Usage: vorel-golden LIBRARY
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "dsp/quantiser/quantiser.h"
#include "support/ladspa_host.h"
#include "support/sample_hash.h"
#include "support/signals.h"
#include "support/x87_control.h"

namespace {

constexpr size_t kLength = 12000;

struct Case {
  std::string name;
  unsigned long rate;
  float controls[vorel::kControlPortCount];  // as the host sets them
  uint32_t bitMask;                          // the engine's mask for the same port value
  const std::vector<float>* input;
};

// Noise with quiet and signalling NaNs carrying payloads, infinities,
// subnormals and out-of-range values mixed in.
std::vector<float> HostileMix(size_t length) {
  std::vector<float> x = vorel_host::Noise(length, 11, 1.0f);
  const uint32_t patterns[] = {0x7fc00001u, 0x7f800001u, 0xffa00000u, 0x7f800000u,
                               0xff800000u, 0x00000001u, 0x807fffffu, 0x7f7fffffu};
  // Sparse enough that clean frames lie between the special values.
  for (size_t i = 0; i < length; i += 1400) {
    std::memcpy(&x[i], &patterns[(i / 1400) % 8], sizeof(float));
  }
  return x;
}

std::vector<float> Impulses() {
  std::vector<float> x(kLength, 0.0f);
  for (size_t i = 37; i < kLength; i += 1500) x[i] = 1.0f;
  return x;
}

uint64_t RunPlugin(const LADSPA_Descriptor* d, const Case& c) {
  vorel_host::Instance instance(d, c.rate);
  std::memcpy(instance.controls.Values, c.controls, sizeof c.controls);
  std::vector<float> out(kLength);
  const unsigned long blocks[] = {1000, 7, 4096, 1};
  instance.RunBlocks(c.input->data(), out.data(), kLength, blocks, 4);
  return vorel_host::HashSamples(out.data(), kLength);
}

uint64_t RunEngine(const Case& c) {
  vorel::TQuantiser q;
  q.HoldLength = static_cast<int32_t>(c.controls[vorel::SampleHoldPort]);
  q.Gain = c.controls[vorel::GainPort];
  q.Direction = static_cast<uint8_t>(c.controls[vorel::DirectionPort]);
  q.BitMask = c.bitMask;
  q.AmpModAmount = c.controls[vorel::AmpModPort];
  q.ProcessType = static_cast<uint8_t>(c.controls[vorel::ProcessTypePort]);
  std::vector<float> out(kLength);
  q.Process(c.input->data(), out.data(), static_cast<int32_t>(kLength));
  return vorel_host::HashSamples(out.data(), kLength);
}

// The wide run's host: its own generator, so that the controls and block
// sizes follow from the seed alone.
uint64_t RunWide(const LADSPA_Descriptor* d, unsigned long rate, const std::vector<float>& input,
                 uint32_t seed) {
  vorel_host::Instance instance(d, rate);
  vorel_host::Rng rng(seed);
  std::vector<float> out(input.size());
  for (size_t pos = 0, block = 0; pos < input.size(); ++block) {
    if (block % 5 == 0) {
      float* v = instance.controls.Values;
      v[vorel::SampleHoldPort] = static_cast<float>(1 + rng.Next() % 43);
      v[vorel::GainPort] = static_cast<float>(rng.Next() % 2001) / 1000.0f;
      v[vorel::DirectionPort] = static_cast<float>(rng.Next() % 2);
      v[vorel::BitMaskPort] =
          rng.Next() % 3 == 0 ? 0.0f : static_cast<float>(rng.Next() % 1001) / 1000.0f;
      v[vorel::AmpModPort] = static_cast<float>(rng.Next() % 2);
      v[vorel::ProcessTypePort] = static_cast<float>(rng.Next() % 2);
    }
    const auto n =
        static_cast<unsigned long>(std::min<size_t>(rng.Next() % 2049, input.size() - pos));
    instance.Run(input.data() + pos, out.data() + pos, n);
    pos += n;
  }
  return vorel_host::HashSamples(out.data(), out.size());
}

// A triangle wave of the given period, in integer steps.
std::vector<float> Triangle(size_t length, int period) {
  std::vector<float> x(length);
  for (size_t i = 0; i < length; ++i) {
    const int phase = static_cast<int>(i % static_cast<size_t>(period));
    const int rise = phase < period / 2 ? phase : period - phase;
    x[i] = static_cast<float>(4 * rise - period) / static_cast<float>(period);
  }
  return x;
}

void PrintWide(const LADSPA_Descriptor* d) {
  constexpr size_t kWideLength = 60000;
  const struct {
    const char* name;
    std::vector<float> input;
  } signals[] = {
      {"noise", vorel_host::Noise(kWideLength, 21, 0.9f)},
      {"quiet", vorel_host::Noise(kWideLength, 22, 0.001f)},
      {"triangle", Triangle(kWideLength, 173)},
      {"silence", std::vector<float>(kWideLength, 0.0f)},
      {"hostile", HostileMix(kWideLength)},
  };
  const unsigned long rates[] = {1,     126,   8000,  11025, 16000, 22050,
                                 32000, 44100, 48000, 88200, 96000, 192000};
  uint32_t seed = 1;
  for (unsigned long rate : rates) {
    for (const auto& s : signals) {
      std::printf("wide-%s-%lu%*s plugin %016llx\n", s.name, rate,
                  static_cast<int>(22 - std::strlen(s.name) - std::to_string(rate).size()), "",
                  static_cast<unsigned long long>(RunWide(d, rate, s.input, seed++)));
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s LIBRARY\n", argv[0]);
    return 2;
  }
  const vorel_host::ControlWords words = vorel_host::ControlWords::FromEnvironment();
  vorel_host::Library lib(argv[1]);
  if (lib.Descriptor() == nullptr) {
    std::fprintf(stderr, "cannot load %s: %s\n", argv[1], dlerror());
    return 1;
  }
  const std::vector<float> noise = vorel_host::Noise(kLength, 5, 0.7f);
  const std::vector<float> square = vorel_host::Square(kLength, 160, 1.0f);
  const std::vector<float> impulses = Impulses();
  const std::vector<float> hostile = HostileMix(kLength);

  // "bitmask" 0, 0.5 and 1 give the masks 0, 32767 << 16 and 65535 << 16.
  const struct {
    float port;
    uint32_t mask;
  } masks[] = {{0.0f, 0u}, {0.5f, 0x7fff0000u}, {1.0f, 0xffff0000u}};

  std::vector<Case> cases;
  const char* variants[] = {"up", "down", "upramp", "downramp"};
  for (int v = 0; v < 4; ++v)
    for (const auto& m : masks)
      for (float hold : {1.0f, 7.0f, 43.0f}) {
        const float ampMod = hold == 7.0f ? 1.0f : 0.0f;
        char name[64];
        std::snprintf(name, sizeof name, "%s-mask%.1f-hold%.0f-amp%.0f", variants[v],
                      static_cast<double>(m.port), static_cast<double>(hold),
                      static_cast<double>(ampMod));
        cases.push_back({name,
                         44100,
                         {hold, 1.0f, float(v & 1), m.port, ampMod, float(v >> 1)},
                         m.mask,
                         &noise});
      }
  for (unsigned long rate : {48000ul, 8000ul, 200ul, 126ul, 1ul, 0ul}) {
    cases.push_back(
        {"rate" + std::to_string(rate), rate, {4, 0.5f, 0, 0.5f, 0, 1}, 0x7fff0000u, &noise});
  }
  const struct {
    const char* name;
    const std::vector<float>* input;
  } signals[] = {{"square", &square}, {"impulses", &impulses}, {"hostile", &hostile}};
  for (const auto& s : signals) {
    for (const auto& m : masks) {
      char name[64];
      std::snprintf(name, sizeof name, "%s-mask%.1f", s.name, static_cast<double>(m.port));
      cases.push_back({name, 44100, {3, 2.0f, 1, m.port, 0, 0}, m.mask, s.input});
    }
  }

  for (const Case& c : cases) {
    std::printf("%-28s plugin %016llx engine %016llx\n", c.name.c_str(),
                static_cast<unsigned long long>(RunPlugin(lib.Descriptor(), c)),
                static_cast<unsigned long long>(RunEngine(c)));
  }
  PrintWide(lib.Descriptor());
  if (!words.Unchanged()) {
    std::fprintf(stderr, "the floating-point control words changed\n");
    return 1;
  }
  return 0;
}
