#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <vector>

#include "dsp/fmaths/fmaths.h"
#include "ladspa/instance.h"

using namespace vorel;

namespace vorel {
// The engine inside a processor, for checking what the controls set.
class ProcessorTestAccess {
 public:
  static TQuantiser& Engine(Processor& chain) { return chain.Quantiser; }
};
}  // namespace vorel

namespace {

std::vector<float> Signal(size_t n, float scale) {
  std::vector<float> x(n);
  for (size_t i = 0; i < n; ++i) x[i] = scale * std::sin(0.031f * i) + 0.2f * std::cos(0.7f * i);
  return x;
}

// An instance with its own control values, connected like a host does.
struct Host {
  explicit Host(unsigned long rate) : Handle(LadspaInstantiate(nullptr, rate)) {
    Controls.Values[SampleHoldPort] = 3.0f;
    Controls.Values[GainPort] = 0.8f;
    Controls.Values[ProcessTypePort] = 1.0f;
    for (unsigned long port = 0; port < kControlPortCount; ++port) {
      LadspaConnectPort(Handle, port, &Controls.Values[port]);
    }
  }
  ~Host() { LadspaCleanup(Handle); }
  TQuantiser& Engine() {
    return ProcessorTestAccess::Engine(static_cast<LadspaInstance*>(Handle)->Chain);
  }
  void Run(float* in, float* out, unsigned long n) {
    LadspaConnectPort(Handle, InputPort, in);
    LadspaConnectPort(Handle, OutputPort, out);
    LadspaRun(Handle, n);
  }
  LADSPA_Handle Handle;
  DefaultControls Controls = MakeDefaultControls();
};

// The blocks of a run in place in one buffer, the way the host would see it.
std::vector<float> InPlace(unsigned long rate, std::vector<float> x, size_t block) {
  Host host(rate);
  for (size_t at = 0; at < x.size(); at += block) host.Run(&x[at], &x[at], block);
  return x;
}

}  // namespace

TEST(RunCycle, SeparateBuffersLeaveInUntouchedAndGiveTheInPlaceResult) {
  const std::vector<float> input = Signal(4096, 1.3f);
  const std::vector<float> inPlace = InPlace(44100, input, 512);

  Host host(44100);
  std::vector<float> in = input, out(input.size(), 9.0f);
  for (size_t at = 0; at < in.size(); at += 512) host.Run(&in[at], &out[at], 512);
  for (size_t i = 0; i < in.size(); ++i) {
    ASSERT_EQ(BitsOf(in[i]), BitsOf(input[i])) << i;
    ASSERT_EQ(BitsOf(out[i]), BitsOf(inPlace[i])) << i;
  }

  // The engine then the stabiliser, by hand, as the reference.
  TQuantiser engine;
  TStabilize stabilizer;
  stabilizer.SetSampleRate(44100.0f);
  engine.HoldLength = 3;
  engine.Gain = 0.8f;
  engine.Direction = engine.ProcessType = 1;
  engine.BitMask = 0;
  std::vector<float> reference = input;
  engine.Process(reference.data(), reference.data(), 4096);
  stabilizer.Process(reference.data(), 4096);
  for (size_t i = 0; i < in.size(); ++i) ASSERT_EQ(BitsOf(out[i]), BitsOf(reference[i])) << i;
}

TEST(RunCycle, CountZeroTakesOverEveryControlAndTouchesNoSample) {
  Host host(44100);
  host.Engine().BitMask = 0x12345678u;
  float in = 0.5f, out = 7.0f;
  host.Controls.Values[SampleHoldPort] = 12.5f;
  host.Controls.Values[BitMaskPort] = 1.0f;
  host.Controls.Values[AmpModPort] = 1.0f;
  host.Run(&in, &out, 0);
  const TQuantiser& q = host.Engine();
  EXPECT_EQ(q.HoldLength, 12);
  EXPECT_EQ(q.Gain, 0.8f);
  EXPECT_EQ(q.Direction, 1);
  EXPECT_EQ(q.BitMask, 0xffff0000u);
  EXPECT_EQ(q.AmpModAmount, 1.0f);
  EXPECT_EQ(q.ProcessType, 1);
  EXPECT_EQ(in, 0.5f);
  EXPECT_EQ(out, 7.0f);
  host.Controls.Values[BitMaskPort] = 0.0f;
  host.Run(&in, &out, 0);
  EXPECT_EQ(q.BitMask, 0u);
}

TEST(RunCycle, PortsStartNullAndNumbersAbove7AreIgnored) {
  LADSPA_Handle handle = LadspaInstantiate(nullptr, 48000);
  ASSERT_NE(handle, nullptr);
  auto& instance = *static_cast<LadspaInstance*>(handle);
  for (LADSPA_Data* port : instance.Ports) EXPECT_EQ(port, nullptr);
  float location = 0.0f;
  LadspaConnectPort(handle, 8, &location);
  LadspaConnectPort(handle, ULONG_MAX, &location);
  for (LADSPA_Data* port : instance.Ports) EXPECT_EQ(port, nullptr);
  LadspaConnectPort(handle, OutputPort, &location);
  EXPECT_EQ(instance.Ports[OutputPort], &location);
  LadspaCleanup(handle);
}

TEST(RunCycle, InstancesAtDifferentRatesDoNotAffectEachOther) {
  const std::vector<float> input = Signal(3000, 0.9f);
  const std::vector<float> alone44 = InPlace(44100, input, 300);
  const std::vector<float> alone8 = InPlace(8000, input, 300);
  Host a(44100), b(8000);
  std::vector<float> x = input, y = input;
  for (size_t at = 0; at < input.size(); at += 300) {
    a.Run(&x[at], &x[at], 300);
    b.Run(&y[at], &y[at], 300);
  }
  for (size_t i = 0; i < input.size(); ++i) {
    ASSERT_EQ(BitsOf(x[i]), BitsOf(alone44[i])) << i;
    ASSERT_EQ(BitsOf(y[i]), BitsOf(alone8[i])) << i;
  }
  EXPECT_NE(alone44, alone8);
}
