// What the VST3 objects of the glue's own share: the VST3 layout, where an
// object's first member points to its table of functions.
#pragma once

#include <travesty/base.h>

namespace vorel {

template <class Table>
const Table& FunctionsOf(void* object) {
  return **static_cast<const Table**>(object);
}

// For objects that offer no other interface and live as long as whoever
// holds them, so count no references.
inline v3_result V3_API NoInterface(void*, const v3_tuid, void** object) {
  *object = nullptr;
  return V3_NO_INTERFACE;
}
inline uint32_t V3_API NotCounted(void*) { return 1; }

}  // namespace vorel
