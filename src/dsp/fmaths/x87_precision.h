// The x87 precision control. Extended precision means a 64-bit significand,
// but the precision control is the thread's: Linux starts every thread at 64
// bits, Windows x64 at 53 (control word 0x027F), and a host may set either.
// Code that computes in x87's long double holds a TX87Precision meanwhile.
#pragma once

#include <cfloat>
#include <cstdint>

// long double is x87's format only where it has a 64-bit significand: a
// compiler may make it plain double on x86 too.
#if (defined(__x86_64__) || defined(__i386__)) && LDBL_MANT_DIG == 64
#define VOREL_X87_LONG_DOUBLE 1
#else
#define VOREL_X87_LONG_DOUBLE 0
#endif

namespace vorel {

#if VOREL_X87_LONG_DOUBLE

// x87's own start-up value: every exception masked, a 64-bit significand,
// rounding to nearest.
constexpr uint16_t kX87ExtendedControl = 0x037f;

inline uint16_t X87ControlWord() {
  uint16_t word;
  __asm__ volatile("fnstcw %0" : "=m"(word) : : "memory");
  return word;
}

// Runs its scope at kX87ExtendedControl and then gives the thread back its
// whole x87 environment: the control word, and the status word too, so that
// exceptions raised here while masked cannot trap later under a caller's
// word that unmasks them. On a thread already at that word (Linux's
// default, or an enclosing TX87Precision) it costs one store and a compare.
// The memory clobbers keep the scope's loads and stores inside it.
class TX87Precision {
 public:
  TX87Precision() : Changed(X87ControlWord() != kX87ExtendedControl) {
    if (Changed) {
      const uint16_t word = kX87ExtendedControl;
      __asm__ volatile("fnstenv %0\n\tfldcw %1" : "=m"(Environment) : "m"(word) : "memory");
    }
  }
  ~TX87Precision() {
    if (Changed) __asm__ volatile("fldenv %0" : : "m"(Environment) : "memory");
  }
  TX87Precision(const TX87Precision&) = delete;
  TX87Precision& operator=(const TX87Precision&) = delete;

 private:
  bool Changed;
  unsigned char Environment[28];  // the protected-mode layout, 32- and 64-bit
};

#endif

}  // namespace vorel
