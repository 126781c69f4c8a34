// The real FFT against closed forms and against a direct DFT in double.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <stdexcept>
#include <vector>

#include "dsp/fftreal/fftreal.h"
#include "dsp/fftreal/fftreal_luts.h"

namespace {

using vorel::TFFTReal;

const double kPi = 3.14159265358979323846;

std::vector<float> Forward(TFFTReal& fft, const std::vector<float>& x) {
  std::vector<float> f(x.size());
  fft.ForwardTransform(f.data(), x.data());
  return f;
}

std::vector<float> Inverse(TFFTReal& fft, const std::vector<float>& f) {
  std::vector<float> x(f.size());
  fft.InverseTransform(f.data(), x.data());
  return x;
}

std::vector<float> RandomSignal(int n, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
  std::vector<float> x(n);
  for (float& v : x) v = dist(rng);
  return x;
}

// The split layout computed directly, O(N^2), in double.
std::vector<double> DirectSplitDFT(const std::vector<float>& x) {
  const int n = static_cast<int>(x.size());
  std::vector<double> f(n, 0.0);
  if (n == 1) {
    f[0] = x[0];
    return f;
  }
  for (int k = 0; k <= n / 2; ++k) {
    double c = 0.0, s = 0.0;
    for (int t = 0; t < n; ++t) {
      const double angle = 2.0 * kPi * static_cast<double>((static_cast<long>(k) * t) % n) / n;
      c += x[t] * std::cos(angle);
      s += x[t] * std::sin(angle);
    }
    f[k] = c;
    if (k > 0 && k < n / 2) f[n / 2 + k] = s;
  }
  return f;
}

// Signal-to-error ratio in dB of a float result against a double reference.
double SnrDb(const std::vector<float>& got, const std::vector<double>& want) {
  double signal = 0.0, noise = 0.0;
  for (size_t i = 0; i < got.size(); ++i) {
    signal += want[i] * want[i];
    noise += (got[i] - want[i]) * (got[i] - want[i]);
  }
  if (noise == 0.0) return 400.0;
  return 10.0 * std::log10(signal / noise);
}

const int kLengths[] = {1, 2, 4, 8, 16, 32, 64, 128, 256, 512, 1024};

}  // namespace

// Single-precision rounding contributes about 2^-24 relative error per
// operation and each output passes through log2(N) stages, so the error
// power stays near -140 dB relative to the signal. 120 dB leaves room for
// the twiddle table's own rounding and still catches any wrong index or
// sign, which costs tens of dB at once.
constexpr double kMinSnrDb = 120.0;

TEST(FFTRealAccuracy, ForwardMatchesDirectDFTForEveryLength) {
  for (int n : kLengths) {
    TFFTReal fft(n);
    const auto x = RandomSignal(n, 100 + n);
    EXPECT_GT(SnrDb(Forward(fft, x), DirectSplitDFT(x)), kMinSnrDb) << "N = " << n;
  }
}

TEST(FFTRealAccuracy, InverseOfForwardIsNTimesTheInputForEveryLength) {
  for (int n : kLengths) {
    TFFTReal fft(n);
    const auto x = RandomSignal(n, 7 + n);
    const auto back = Inverse(fft, Forward(fft, x));
    std::vector<double> want(n);
    for (int i = 0; i < n; ++i) want[i] = static_cast<double>(n) * x[i];
    EXPECT_GT(SnrDb(back, want), kMinSnrDb) << "N = " << n;
  }
}

TEST(FFTRealKnownTransforms, ImpulseAndConstant) {
  for (int n : kLengths) {
    TFFTReal fft(n);
    std::vector<float> impulse(n, 0.0f);
    impulse[0] = 1.0f;
    const auto f = Forward(fft, impulse);
    for (int k = 0; k < n; ++k) EXPECT_EQ(f[k], k <= n / 2 ? 1.0f : 0.0f) << n << " " << k;

    const auto c = Forward(fft, std::vector<float>(n, 1.0f));
    for (int k = 0; k < n; ++k) EXPECT_NEAR(c[k], k == 0 ? n : 0.0, 1e-4 * n) << n << " " << k;
  }
}

TEST(FFTRealKnownTransforms, CosineAndSineLandInTheirOwnElements) {
  const int n = 1024;
  TFFTReal fft(n);
  for (int k0 : {1, 5, 100, 511}) {
    std::vector<float> c(n), s(n);
    for (int t = 0; t < n; ++t) {
      c[t] = static_cast<float>(std::cos(2.0 * kPi * k0 * t / n));
      s[t] = static_cast<float>(std::sin(2.0 * kPi * k0 * t / n));
    }
    const auto fc = Forward(fft, c);
    const auto fs = Forward(fft, s);
    for (int k = 0; k < n; ++k) {
      EXPECT_NEAR(fc[k], k == k0 ? n / 2.0 : 0.0, 1e-3) << k0 << " " << k;
      // The sine part is positive: the negated imaginary part of X[k0].
      EXPECT_NEAR(fs[k], k == n / 2 + k0 ? n / 2.0 : 0.0, 1e-3) << k0 << " " << k;
    }
  }
}

TEST(FFTRealKnownTransforms, InverseBasisVectors) {
  for (int n : {8, 16, 1024}) {
    TFFTReal fft(n);
    auto basis = [&](int element) {
      std::vector<float> f(n, 0.0f);
      f[element] = 1.0f;
      return Inverse(fft, f);
    };
    const auto dc = basis(0);
    const auto nyquist = basis(n / 2);
    for (int t = 0; t < n; ++t) {
      EXPECT_EQ(dc[t], 1.0f);
      EXPECT_EQ(nyquist[t], t % 2 == 0 ? 1.0f : -1.0f);
    }
    for (int k : {1, n / 4 - 1, n / 2 - 1}) {
      if (k < 1) continue;
      const auto c = basis(k);
      const auto s = basis(n / 2 + k);
      for (int t = 0; t < n; ++t) {
        EXPECT_NEAR(c[t], 2.0 * std::cos(2.0 * kPi * k * t / n), 1e-5) << n << " " << k << " " << t;
        EXPECT_NEAR(s[t], 2.0 * std::sin(2.0 * kPi * k * t / n), 1e-5) << n << " " << k << " " << t;
      }
    }
  }
}

TEST(FFTRealKnownTransforms, ShortLengthsGiveTheClosedForms) {
  TFFTReal one(1), two(2), four(4);
  EXPECT_EQ(Forward(one, {3.5f}), std::vector<float>{3.5f});
  EXPECT_EQ(Inverse(one, {3.5f}), std::vector<float>{3.5f});
  EXPECT_EQ(Forward(two, {1.0f, 4.0f}), (std::vector<float>{5.0f, -3.0f}));
  EXPECT_EQ(Inverse(two, {5.0f, -3.0f}), (std::vector<float>{2.0f, 8.0f}));
  // x = 1, 2, 3, 4: F[1] = x0 - x2, F[3] = x1 - x3, F[0] = sum, F[2] = alternating sum.
  EXPECT_EQ(Forward(four, {1.0f, 2.0f, 3.0f, 4.0f}),
            (std::vector<float>{10.0f, -2.0f, -2.0f, -2.0f}));
  EXPECT_EQ(Inverse(four, {10.0f, -2.0f, -2.0f, -2.0f}),
            (std::vector<float>{4.0f, 8.0f, 12.0f, 16.0f}));
}

TEST(FFTRealContract, InputUntouchedAndOutputIndependentOfItsOldContents) {
  for (int n : kLengths) {
    TFFTReal fft(n);
    const auto x = RandomSignal(n, 3);
    auto xCopy = x;
    std::vector<float> f1(n, 0.0f), f2(n, std::nanf("1"));
    fft.ForwardTransform(f1.data(), xCopy.data());
    fft.ForwardTransform(f2.data(), xCopy.data());
    EXPECT_EQ(std::memcmp(x.data(), xCopy.data(), n * sizeof(float)), 0);
    EXPECT_EQ(std::memcmp(f1.data(), f2.data(), n * sizeof(float)), 0);

    auto fCopy = f1;
    std::vector<float> t1(n, 0.0f), t2(n, -1e30f);
    fft.InverseTransform(fCopy.data(), t1.data());
    fft.InverseTransform(fCopy.data(), t2.data());
    EXPECT_EQ(std::memcmp(f1.data(), fCopy.data(), n * sizeof(float)), 0);
    EXPECT_EQ(std::memcmp(t1.data(), t2.data(), n * sizeof(float)), 0);
  }
}

TEST(FFTRealContract, RejectsLengthsThatAreNotPowersOfTwo) {
  for (int bad : {0, -1, -1024, 3, 6, 1000, 1025}) {
    EXPECT_THROW(TFFTReal fft(bad), std::invalid_argument) << bad;
  }
}

TEST(FFTRealTables, BitReversalForSmallBitCounts) {
  const std::vector<std::vector<int>> expected = {
      {0},
      {0, 1},
      {0, 2, 1, 3},
      {0, 4, 2, 6, 1, 5, 3, 7},
      {0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15},
  };
  for (int bits = 0; bits <= 4; ++bits) {
    vorel::TBitReversedLUT lut(bits);
    const std::vector<int> got(lut.GetTable(), lut.GetTable() + (1 << bits));
    EXPECT_EQ(got, expected[bits]) << "B = " << bits;
  }
}

TEST(FFTRealTables, CosineLevelsForTenBits) {
  vorel::TTrigoLUT lut(10);
  const float* base = lut.GetLevelTable(3);
  int expectedOffset = 0;
  for (int p = 3; p <= 9; ++p) {
    const float* level = lut.GetLevelTable(p);
    EXPECT_EQ(level - base, (1 << (p - 1)) - 4) << "level " << p;
    EXPECT_EQ(level - base, expectedOffset);
    const int count = 1 << (p - 1);
    for (int i = 0; i < count; ++i) {
      EXPECT_EQ(level[i], static_cast<float>(std::cos(i * kPi / (1 << p)))) << p << " " << i;
    }
    expectedOffset += count;
  }
  EXPECT_EQ(expectedOffset, 508);
}
