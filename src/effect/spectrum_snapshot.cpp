#include "effect/spectrum_snapshot.h"

namespace vorel {

// The waiting snapshot becomes the editor's and the editor's old one waits
// in its place, unmarked, so the audio thread may fill it next.
bool SnapshotMailbox::Take(SpectrumSnapshot& copy) {
  if ((State.load(std::memory_order_relaxed) & kFresh) == 0) return false;
  Front = State.exchange(Front, std::memory_order_acq_rel) & kIndex;
  copy = Slots[Front];
  return true;
}

}  // namespace vorel
