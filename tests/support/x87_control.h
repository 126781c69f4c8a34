// The thread's floating-point control words, read and set as a host's
// thread has them, for the runs at the precision Windows gives its threads.
// Off x86 there are none: every word reads 0 and setting one does nothing.
#pragma once

#include <cstdint>
#include <cstdlib>

namespace vorel_host {

// Windows x64 starts every thread so: 53-bit precision, exceptions masked.
constexpr uint16_t kWindowsX87Control = 0x027f;

#if defined(__x86_64__) || defined(__i386__)
inline uint16_t X87Control() {
  uint16_t word;
  __asm__ volatile("fnstcw %0" : "=m"(word) : : "memory");
  return word;
}

inline void SetX87Control(uint16_t word) { __asm__ volatile("fldcw %0" : : "m"(word) : "memory"); }

// MXCSR without its six exception flags, which any float operation may set.
inline uint32_t MxcsrControl() {
  uint32_t word;
  __asm__ volatile("stmxcsr %0" : "=m"(word) : : "memory");
  return word & ~0x3fu;
}
#else
inline uint16_t X87Control() { return 0; }
inline void SetX87Control(uint16_t) {}
inline uint32_t MxcsrControl() { return 0; }
#endif

// The control words a run starts with and must end with. With
// VOREL_X87_CONTROL set (as "0x027f") the thread's x87 control word is set
// to it first.
struct ControlWords {
  static ControlWords FromEnvironment() {
    if (const char* word = std::getenv("VOREL_X87_CONTROL")) {
      SetX87Control(static_cast<uint16_t>(std::strtoul(word, nullptr, 16)));
    }
    return {X87Control(), MxcsrControl()};
  }
  bool Unchanged() const { return X87Control() == X87 && MxcsrControl() == Mxcsr; }

  uint16_t X87;
  uint32_t Mxcsr;
};

}  // namespace vorel_host
