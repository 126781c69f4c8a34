// The one place that decides how the extended-precision steps are computed.
// Where long double is x87's 64-bit-significand format (x86 with GCC or
// clang) the steps use it directly; everywhere else, on Windows, and on x86
// when VOREL_PORTABLE_EXTENDED is defined (for testing and timing) TExtended
// gives the same bits in integer arithmetic. A step is written once, against
// TWide, Widen and Narrow, and compiles on x86 to the very same long double
// code as before.
//
// Windows gives every thread 53-bit precision and hosts run audio there, so
// the x87 steps would need the precision set around every call; the
// portable steps need nothing from the thread and run as fast.
#pragma once

#include <cstdint>

#include "dsp/fmaths/extended.h"
#include "dsp/fmaths/x87_precision.h"

#if VOREL_X87_LONG_DOUBLE && !defined(_WIN32) && !defined(VOREL_PORTABLE_EXTENDED)
#define VOREL_X87_STEPS 1
#else
#define VOREL_X87_STEPS 0
#endif

namespace vorel {

#if VOREL_X87_STEPS

using TWide = long double;
inline TWide Widen(float x) { return x; }
inline TWide Widen(int32_t x) { return x; }
inline float Narrow(TWide x) { return static_cast<float>(x); }
// Toward zero. Only for values below 2^31 in magnitude: beyond that the
// conversion is undefined in C++ (x87 gives INT32_MIN, as TExtended does).
inline int32_t TruncateToInt32(TWide x) { return static_cast<int32_t>(x); }

// Held by every entry into the processing that takes the steps.
using TExtendedScope = TX87Precision;

#else

using TWide = TExtended;
inline TWide Widen(float x) { return TExtended::Of(x); }
inline TWide Widen(int32_t x) { return TExtended::Of(x); }
inline float Narrow(const TWide& x) { return x.ToFloat(); }
inline int32_t TruncateToInt32(const TWide& x) { return x.Truncated(); }

// The portable steps need nothing from the thread.
struct TExtendedScope {};

#endif

}  // namespace vorel
