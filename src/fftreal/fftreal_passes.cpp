// The transform passes. Each formula is evaluated in float, left to right as
// written: a product difference is two rounded products and a rounded
// difference (no fused multiply-add), and every sum keeps its left operand
// first (AddInOrder), which fixes every output bit.
#include "fftreal/fftreal.h"
#include "fmaths/add_in_order.h"

namespace vorel {

// First two radix-2 stages, reading the time array in bit-reversed order.
void TFFTReal::ForwardPass1(float* dst, const float* x) const {
  const int32_t* rev = BitRevLUT->GetTable();
  for (int32_t i = 0; i < Length; i += 4) {
    const float x0 = x[rev[i]], x1 = x[rev[i + 1]];
    const float x2 = x[rev[i + 2]], x3 = x[rev[i + 3]];
    dst[i + 1] = x0 - x1;
    dst[i + 3] = x2 - x3;
    const float s0 = AddInOrder(x0, x1);
    const float s2 = AddInOrder(x2, x3);
    dst[i] = AddInOrder(s0, s2);
    dst[i + 2] = s0 - s2;
  }
}

// Third radix-2 stage, blocks of 8, the one twiddle being sqrt(2)/2.
void TFFTReal::ForwardPass2(float* s, const float* d) const {
  const float h = Sqrt2Over2;
  for (int32_t i = 0; i < Length; i += 8) {
    s[i] = AddInOrder(d[i], d[i + 4]);
    s[i + 4] = d[i] - d[i + 4];
    s[i + 2] = d[i + 2];
    s[i + 6] = d[i + 6];
    float v = (d[i + 5] - d[i + 7]) * h;
    s[i + 1] = AddInOrder(d[i + 1], v);
    s[i + 3] = d[i + 1] - v;
    v = AddInOrder(d[i + 5], d[i + 7]) * h;
    s[i + 5] = AddInOrder(v, d[i + 3]);
    s[i + 7] = v - d[i + 3];
  }
}

// Joins pairs of blocks of 2^pass into blocks of 2^(pass+1).
void TFFTReal::ForwardPass(int32_t pass, float* dst, const float* src) const {
  const int32_t n = int32_t{1} << pass;
  const int32_t h = n / 2;
  const float* cosines = TrigoLUT->GetLevelTable(pass);
  for (int32_t b = 0; b < Length; b += 2 * n) {
    dst[b] = AddInOrder(src[b], src[b + n]);
    dst[b + n] = src[b] - src[b + n];
    dst[b + h] = src[b + h];
    dst[b + n + h] = src[b + n + h];
    for (int32_t i = 1; i < h; ++i) {
      const float cw = cosines[i];
      const float sw = cosines[h - i];
      float v = src[b + n + i] * cw - src[b + n + h + i] * sw;
      dst[b + i] = AddInOrder(src[b + i], v);
      dst[b + n - i] = src[b + i] - v;
      v = AddInOrder(src[b + n + i] * sw, src[b + n + h + i] * cw);
      dst[b + n + i] = AddInOrder(v, src[b + h + i]);
      dst[b + 2 * n - i] = v - src[b + h + i];
    }
  }
}

// Undoes ForwardPass for the same pass, times two.
void TFFTReal::InversePass(int32_t pass, float* dst, const float* src) const {
  const int32_t n = int32_t{1} << pass;
  const int32_t h = n / 2;
  const float* cosines = TrigoLUT->GetLevelTable(pass);
  for (int32_t b = 0; b < Length; b += 2 * n) {
    dst[b] = AddInOrder(src[b], src[b + n]);
    dst[b + n] = src[b] - src[b + n];
    dst[b + h] = 2.0f * src[b + h];
    dst[b + n + h] = 2.0f * src[b + n + h];
    for (int32_t i = 1; i < h; ++i) {
      const float cw = cosines[i];
      const float sw = cosines[h - i];
      dst[b + i] = AddInOrder(src[b + i], src[b + n - i]);
      dst[b + h + i] = src[b + n + i] - src[b + 2 * n - i];
      const float vr = src[b + i] - src[b + n - i];
      const float vi = AddInOrder(src[b + n + i], src[b + 2 * n - i]);
      dst[b + n + i] = AddInOrder(vr * cw, vi * sw);
      dst[b + n + h + i] = vi * cw - vr * sw;
    }
  }
}

// Undoes ForwardPass2, times two.
void TFFTReal::InverseThirdStage(float* dst, const float* src) const {
  const float h = Sqrt2Over2;
  for (int32_t i = 0; i < Length; i += 8) {
    dst[i] = AddInOrder(src[i], src[i + 4]);
    dst[i + 4] = src[i] - src[i + 4];
    dst[i + 2] = 2.0f * src[i + 2];
    dst[i + 6] = 2.0f * src[i + 6];
    dst[i + 1] = AddInOrder(src[i + 1], src[i + 3]);
    dst[i + 3] = src[i + 5] - src[i + 7];
    const float vr = src[i + 1] - src[i + 3];
    const float vi = AddInOrder(src[i + 5], src[i + 7]);
    dst[i + 5] = AddInOrder(vr, vi) * h;
    dst[i + 7] = (vi - vr) * h;
  }
}

// Undoes ForwardPass1, times two, writing the time array in bit-reversed order.
void TFFTReal::InverseFinalPass(float* x, const float* d) const {
  const int32_t* rev = BitRevLUT->GetTable();
  for (int32_t i = 0; i < Length; i += 4) {
    const float b0 = AddInOrder(d[i], d[i + 2]);
    const float b2 = d[i] - d[i + 2];
    const float b1 = 2.0f * d[i + 1];
    const float b3 = 2.0f * d[i + 3];
    x[rev[i]] = AddInOrder(b0, b1);
    x[rev[i + 1]] = b0 - b1;
    x[rev[i + 2]] = AddInOrder(b2, b3);
    x[rev[i + 3]] = b2 - b3;
  }
}

}  // namespace vorel
