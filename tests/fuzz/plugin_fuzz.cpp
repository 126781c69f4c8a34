// libFuzzer target: drives the loaded plugin as a careless or hostile host
// might, with any sample rate (0 and 1 included), any control values (NaN,
// infinities, huge, negative), block sizes from 0 to 8192 and any audio
// (NaNs with payloads, infinities, subnormals, huge values). On every input
// it checks that each output sample is finite and within the bound that
// the stabiliser's clamp and filter allow at that rate (support/output_bound.h);
// the sanitizers catch any memory error or undefined behaviour.
//
// Input layout (little-endian; whatever is missing at the end reads as 0):
//   u32  rate selector: below 0x80000000 picks one of kRates, otherwise the
//        low 31 bits are the rate itself
//   then blocks, up to kMaxBlocks or kMaxSamples in total:
//     6 x f32  the control ports, as raw bit patterns
//     u16      block length modulo 8193; bit 15 set runs in place
//     u8       k: the block's audio is these k f32 patterns repeated
//              (k = 0 gives silence)
//     k x f32
#include <dlfcn.h>
#include <ladspa.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "support/ladspa_host.h"
#include "support/output_bound.h"

namespace {

constexpr unsigned long kRates[] = {
    0,
    1,
    2,
    124,
    125,
    126,
    249,
    250,
    251,
    8000,
    22050,
    44100,
    48000,
    96000,
    192000,
    4294967295ul,
    static_cast<unsigned long>(-1),
};
constexpr size_t kMaxBlocks = 32;
constexpr size_t kMaxSamples = 65536;
constexpr size_t kMaxBlock = 8192;

const LADSPA_Descriptor* gDescriptor = nullptr;

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Done() const { return pos_ >= size_; }
  uint32_t Bytes(int count) {
    uint32_t value = 0;
    for (int i = 0; i < count; ++i) {
      const uint32_t byte = pos_ < size_ ? data_[pos_] : 0;
      value |= byte << (8 * i);
      ++pos_;
    }
    return value;
  }
  float Float() {
    const uint32_t bits = Bytes(4);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

[[noreturn]] void Fail(const char* what, size_t sample, float value, double limit,
                       unsigned long rate) {
  std::fprintf(stderr, "FAIL: %s at output sample %zu: %.9g (bound %.9g, rate %lu)\n", what, sample,
               static_cast<double>(value), limit, rate);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Loaded once: the fuzzer's coverage counters then include the plugin's.
  static vorel_host::Library library(VOREL_LIBRARY_PATH);
  gDescriptor = library.Descriptor();
  if (gDescriptor == nullptr) {
    std::fprintf(stderr, "cannot load %s: %s\n", VOREL_LIBRARY_PATH, dlerror());
    std::abort();
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader in(data, size);
  const uint32_t selector = in.Bytes(4);
  const unsigned long rate = selector < 0x80000000u
                                 ? kRates[selector % (sizeof kRates / sizeof kRates[0])]
                                 : (selector & 0x7fffffffu);

  vorel_host::Instance instance(gDescriptor, rate);
  if (!instance.Valid()) std::abort();
  vorel_host::OutputBound bound(rate);
  std::vector<float> audio(kMaxBlock), output(kMaxBlock), pattern;
  size_t total = 0;

  for (size_t block = 0; block < kMaxBlocks && total < kMaxSamples && !in.Done(); ++block) {
    for (float& value : instance.controls.Values) value = in.Float();
    const uint32_t word = in.Bytes(2);
    const bool inPlace = (word & 0x8000u) != 0;
    size_t length = (word & 0x7fffu) % (kMaxBlock + 1);
    if (length > kMaxSamples - total) length = kMaxSamples - total;
    pattern.resize(in.Bytes(1));
    for (float& value : pattern) value = in.Float();
    for (size_t i = 0; i < length; ++i)
      audio[i] = pattern.empty() ? 0.0f : pattern[i % pattern.size()];

    float* out = inPlace ? audio.data() : output.data();
    instance.Run(audio.data(), out, static_cast<unsigned long>(length));
    for (size_t i = 0; i < length; ++i) {
      const double limit = bound.Next();
      if (!std::isfinite(out[i])) Fail("non-finite output", total + i, out[i], limit, rate);
      if (std::fabs(out[i]) > limit)
        Fail("output beyond the stabiliser's bound", total + i, out[i], limit, rate);
    }
    total += length;
  }
  return 0;
}
