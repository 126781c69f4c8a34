// The software NaN rules against x86 itself: on x86 every result is compared
// with the instruction's (SSE, or x87 for the extended step), and on every
// target the results hash to what x86 gave.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "dsp/fmaths/extended.h"
#include "dsp/fmaths/x86_nan.h"
#include "support/sample_hash.h"

namespace {

using vorel::BitsOf;
using vorel::FloatOf;

#if defined(__SSE2__) && (defined(__x86_64__) || defined(__i386__))
#define X86_HARDWARE 1
#else
#define X86_HARDWARE 0
#endif

// Quiet and signalling NaNs of either sign with payloads, infinities, zeros,
// finite values, the largest float and a subnormal.
const uint32_t kOperandBits[] = {0x7fc01234u, 0xffc00abcu, 0x7f800005u, 0xff812345u, 0xffc01234u,
                                 0x7f800000u, 0xff800000u, 0x00000000u, 0x80000000u, 0x3fc00000u,
                                 0xc0400000u, 0x7f7fffffu, 0x00000003u};

struct Operation {
  char symbol;
  float (*emulated)(float, float);
  uint64_t x86Hash;  // of the results over every pair of operands, from x86
};

#if X86_HARDWARE
// The instruction itself, with a as its first operand.
float Hardware(char symbol, float a, float b) {
  switch (symbol) {
    case '+':
      asm("addss %1, %0" : "+x"(a) : "x"(b));
      break;
    case '-':
      asm("subss %1, %0" : "+x"(a) : "x"(b));
      break;
    case '*':
      asm("mulss %1, %0" : "+x"(a) : "x"(b));
      break;
    default:
      asm("divss %1, %0" : "+x"(a) : "x"(b));
      break;
  }
  return a;
}
#endif

}  // namespace

TEST(X86NaNRules, EveryOperationGivesX86sBits) {
#ifdef VOREL_EMULATED_X86
  GTEST_SKIP() << "qemu-i386 picks another NaN of two than x86 processors";
#endif
  const Operation operations[] = {{'+', vorel::X86Add, 0x71c1150cb738520dull},
                                  {'-', vorel::X86Sub, 0x2e86010193a28eeaull},
                                  {'*', vorel::X86Mul, 0x079d456ccd14c468ull},
                                  {'/', vorel::X86Div, 0x82eff2ba08f60b26ull}};
  for (const auto& op : operations) {
    std::vector<float> results;
    for (uint32_t a : kOperandBits) {
      for (uint32_t b : kOperandBits) {
        results.push_back(op.emulated(FloatOf(a), FloatOf(b)));
#if X86_HARDWARE
        EXPECT_EQ(BitsOf(results.back()), BitsOf(Hardware(op.symbol, FloatOf(a), FloatOf(b))))
            << std::hex << a << ' ' << op.symbol << ' ' << b;
#endif
      }
    }
    EXPECT_EQ(vorel_host::HashSamples(results.data(), results.size()), op.x86Hash) << op.symbol;
  }
}

// s x w x r + a in the portable extended steps, rounded once, wherever it is
// a NaN: x87's choice of NaN. The engine's operands there are never
// signalling NaNs (they are results of arithmetic), and x87 treats those
// differently when it reads them from memory.
TEST(X86NaNRules, PortableExtendedProductSumGivesX87sNaN) {
  using vorel::TExtended;
  std::vector<uint32_t> quiet;
  for (uint32_t bits : kOperandBits) {
    if ((bits & 0x7fc00000u) != 0x7f800000u || (bits & 0x007fffffu) == 0) quiet.push_back(bits);
  }
  std::vector<float> results;
  for (uint32_t s : quiet) {
    for (float w : {0.0f, 0.25f}) {
      for (uint32_t r : quiet) {
        for (uint32_t a : quiet) {
          const float y = static_cast<float>(static_cast<long double>(FloatOf(s)) * w * FloatOf(r) +
                                             FloatOf(a));
          if (y == y) continue;
          results.push_back(
              (TExtended::Of(FloatOf(s)) * TExtended::Of(w) * TExtended::Of(FloatOf(r)) +
               TExtended::Of(FloatOf(a)))
                  .ToFloat());
#if X86_HARDWARE
          EXPECT_EQ(BitsOf(results.back()), BitsOf(y))
              << std::hex << s << " x " << w << " x " << r << " + " << a;
#endif
        }
      }
    }
  }
  EXPECT_EQ(vorel_host::HashSamples(results.data(), results.size()), 0xb8213b7913cfb27dull);
}
