// The reference point for the transform's speed: a general-purpose FFT
// library's single-precision real-to-complex and complex-to-real pair at the
// engine's frame length, planned by measurement.
#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <random>

namespace {

constexpr int kLength = 1024;

// Buffers and plans from the library's aligned allocator, freed on exit.
struct TFftwPair {
  float* Time = fftwf_alloc_real(kLength);
  fftwf_complex* Spectrum = fftwf_alloc_complex(kLength / 2 + 1);
  float* Back = fftwf_alloc_real(kLength);
  fftwf_plan Forward = fftwf_plan_dft_r2c_1d(kLength, Time, Spectrum, FFTW_MEASURE);
  fftwf_plan Inverse = fftwf_plan_dft_c2r_1d(kLength, Spectrum, Back, FFTW_MEASURE);
  ~TFftwPair() {
    fftwf_destroy_plan(Inverse);
    fftwf_destroy_plan(Forward);
    fftwf_free(Back);
    fftwf_free(Spectrum);
    fftwf_free(Time);
  }
};

}  // namespace

// One r2c and one c2r at 1024 points; the c2r overwrites its input, which is
// recomputed by the r2c each round.
static void BM_FftwR2CC2R1024(benchmark::State& state) {
  TFftwPair fftw;
  std::mt19937 rng(1);
  std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
  for (int i = 0; i < kLength; ++i) fftw.Time[i] = dist(rng);
  for (auto _ : state) {
    fftwf_execute(fftw.Forward);
    fftwf_execute(fftw.Inverse);
    benchmark::DoNotOptimize(fftw.Back);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_FftwR2CC2R1024);
