// The vectorised transform, forced on wherever it is built, against the plain
// scalar passes: the same bits for every length and every kind of input, NaN
// payloads included.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "dsp/fftreal/fftreal.h"
#include "dsp/fmaths/fmaths.h"

namespace {

using vorel::BitsOf;
using vorel::FloatOf;
using vorel::TFFTReal;

// Quiet and signalling NaNs with distinct payloads, infinities, subnormals,
// signed zeros and values whose sums overflow.
const uint32_t kSpecialBits[] = {
    0x7fc00000u, 0x7fc00001u, 0xffc12345u, 0x7fffffffu,  // quiet NaNs
    0x7f800001u, 0xff8abcdeu, 0x7fa00000u,               // signalling NaNs
    0x7f800000u, 0xff800000u,                            // +-infinity
    0x00000001u, 0x807fffffu, 0x00400000u,               // subnormals
    0x80000000u, 0x00000000u,                            // -0, +0
    0x7f61b1e6u, 0xff61b1e6u,                            // +-3e38
    0x3f800000u, 0xbf000000u,                            // +1, -0.5
};

enum class TFill { Uniform, Special, SparseSpecial };

std::vector<float> MakeInput(int n, TFill fill, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
  std::uniform_int_distribution<size_t> pick(0, std::size(kSpecialBits) - 1);
  std::vector<float> v(n);
  for (int i = 0; i < n; ++i) {
    const bool special =
        fill == TFill::Special || (fill == TFill::SparseSpecial && rng() % 16 == 0);
    v[i] = special ? FloatOf(kSpecialBits[pick(rng)]) : uniform(rng) * 1000.0f;
  }
  return v;
}

// Empty when the two arrays hold the same bits, else the first difference.
std::string Difference(const std::vector<float>& got, const std::vector<float>& want) {
  if (std::memcmp(got.data(), want.data(), got.size() * sizeof(float)) == 0) return "";
  for (size_t i = 0;; ++i) {
    if (BitsOf(got[i]) != BitsOf(want[i])) {
      char text[96];
      std::snprintf(text, sizeof text, "element %zu: 0x%08x, scalar 0x%08x", i, BitsOf(got[i]),
                    BitsOf(want[i]));
      return text;
    }
  }
}

// Every vectorised path, forced in turn: the 4-lane passes (SSE2, NEON), the
// 8-lane ones (AVX2) and the 16-lane ones (AVX-512F). Where the build or the
// processor lacks one, the transform falls back and the comparison still
// holds.
struct TPath {
  const char* name;
  bool avx2, avx512;
  int shortest;  // the shortest length the path runs
};
const TPath kPaths[] = {
    {"4 lanes", false, false, 64}, {"8 lanes", true, false, 128}, {"16 lanes", false, true, 256}};

TFFTReal Vectorised(int n, const TPath& path) {
  vorel::TFeatures features;
  features.VectorTransform = true;
  features.Avx2 = path.avx2;
  features.Avx512 = path.avx512;
  return TFFTReal(n, features);
}

// Runs both directions of both paths on one input and compares the bits.
void ExpectSameBits(TFFTReal& fft, const std::vector<float>& input, const char* what) {
  const int n = fft.GetLength();
  TFFTReal plain(n, vorel::PlainFeatures());
  std::vector<float> fast(n), scalar(n);
  fft.ForwardTransform(fast.data(), input.data());
  plain.ForwardTransform(scalar.data(), input.data());
  EXPECT_EQ(Difference(fast, scalar), "") << "forward, N = " << n << ", " << what;

  fft.InverseTransform(input.data(), fast.data());
  plain.InverseTransform(input.data(), scalar.data());
  EXPECT_EQ(Difference(fast, scalar), "") << "inverse, N = " << n << ", " << what;
}

}  // namespace

TEST(FFTRealVectorPath, SameBitsAsScalarOnRandomDataForEveryLength) {
  for (const TPath& path : kPaths) {
    for (int n = 1; n <= 1024; n *= 2) {
      TFFTReal fft = Vectorised(n, path);
      for (unsigned seed = 0; seed < 4; ++seed) {
        ExpectSameBits(fft, MakeInput(n, TFill::Uniform, seed + 10 * n), path.name);
      }
    }
  }
}

TEST(FFTRealVectorPath, SameBitsAsScalarOnSpecialValuesForEveryLength) {
  for (const TPath& path : kPaths) {
    for (int n = 1; n <= 1024; n *= 2) {
      TFFTReal fft = Vectorised(n, path);
      for (unsigned seed = 0; seed < 4; ++seed) {
        ExpectSameBits(fft, MakeInput(n, TFill::Special, seed), path.name);
        ExpectSameBits(fft, MakeInput(n, TFill::SparseSpecial, seed), path.name);
      }
    }
  }
}

// One special value at a time at every position of the shortest frame each
// path runs, so each element's own path through the passes is checked in
// isolation.
TEST(FFTRealVectorPath, SameBitsAsScalarForOneSpecialValueAnywhere) {
  for (const TPath& path : kPaths) {
    const int n = path.shortest;
    TFFTReal fft = Vectorised(n, path);
    const auto base = MakeInput(n, TFill::Uniform, 5);
    for (uint32_t bits : kSpecialBits) {
      for (int i = 0; i < n; ++i) {
        auto input = base;
        input[i] = FloatOf(bits);
        char what[48];
        std::snprintf(what, sizeof what, "%s, 0x%08x at %d", path.name, bits, i);
        ExpectSameBits(fft, input, what);
      }
    }
  }
}

// Each sum keeps its left operand first, so with every input a NaN of its
// own payload the DC term (a chain of left operands back to element 0)
// carries element 0's payload, quieted, on both paths and in every build.
TEST(FFTRealNaNPayloads, DcTermKeepsElementZerosPayloadWhenEveryInputIsNaN) {
#ifdef VOREL_EMULATED_X86
  GTEST_SKIP() << "qemu-i386 picks another NaN of two than x86 processors";
#endif
  for (const TPath& path : kPaths) {
    for (int n = 2; n <= 1024; n *= 2) {
      TFFTReal fft = Vectorised(n, path);
      TFFTReal plain(n, vorel::PlainFeatures());
      std::vector<float> input(n), fast(n), scalar(n);
      for (int i = 0; i < n; ++i) input[i] = FloatOf(0x7f800000u | static_cast<uint32_t>(i + 1));
      fft.ForwardTransform(fast.data(), input.data());
      plain.ForwardTransform(scalar.data(), input.data());
      EXPECT_EQ(BitsOf(fast[0]), 0x7fc00001u) << "forward, N = " << n << ", " << path.name;
      EXPECT_EQ(BitsOf(scalar[0]), 0x7fc00001u) << "forward scalar, N = " << n;
      fft.InverseTransform(input.data(), fast.data());
      plain.InverseTransform(input.data(), scalar.data());
      EXPECT_EQ(BitsOf(fast[0]), 0x7fc00001u) << "inverse, N = " << n << ", " << path.name;
      EXPECT_EQ(BitsOf(scalar[0]), 0x7fc00001u) << "inverse scalar, N = " << n;
    }
  }
}
