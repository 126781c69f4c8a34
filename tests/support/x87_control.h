// The thread's floating-point control words, for the runs at the x87
// precision Windows gives its threads (0x027F: 53 bits). With
// VOREL_X87_CONTROL set (as "0x027f") FromEnvironment first sets the x87
// control word to it. Off x86 every word reads 0.
#pragma once

#include <cstdint>
#include <cstdlib>

namespace vorel_host {

struct ControlWords {
#if defined(__x86_64__) || defined(__i386__)
  // MXCSR without its six exception flags, which any float operation sets.
  static ControlWords Now() {
    ControlWords words;
    __asm__ volatile("fnstcw %0\n\tstmxcsr %1" : "=m"(words.X87), "=m"(words.Mxcsr) : : "memory");
    words.Mxcsr &= ~0x3fu;
    return words;
  }
  static void SetX87(uint16_t word) { __asm__ volatile("fldcw %0" : : "m"(word) : "memory"); }
#else
  static ControlWords Now() { return {}; }
  static void SetX87(uint16_t) {}
#endif
  static ControlWords FromEnvironment() {
    if (const char* word = std::getenv("VOREL_X87_CONTROL"))
      SetX87(uint16_t(std::strtoul(word, nullptr, 16)));
    return Now();
  }
  bool Unchanged() const { return Now().X87 == X87 && Now().Mxcsr == Mxcsr; }

  uint16_t X87 = 0;
  uint32_t Mxcsr = 0;
};

}  // namespace vorel_host
