#include "effect/spectrum_snapshot.h"

#include <algorithm>

namespace vorel {

// The waiting snapshot becomes the editor's and the editor's old one waits
// in its place, unmarked, so the audio thread may fill it next.
bool SnapshotMailbox::Take(SpectrumSnapshot& copy) {
  if ((State.load(std::memory_order_relaxed) & kFresh) == 0) return false;
  Front = State.exchange(Front, std::memory_order_acq_rel) & kIndex;
  copy = Slots[Front];
  return true;
}

bool ChannelSnapshots::Take(SnapshotMailbox* const* mailboxes, std::size_t count,
                            SpectrumSnapshot& copy) {
  for (std::size_t c = 1; c < count; ++c)
    if (mailboxes[c]->Take(*Scratch)) OthersPeak = std::max(OthersPeak, Scratch->Peak);
  if (count == 0 || !mailboxes[0]->Take(copy)) return false;
  copy.Peak = std::max(copy.Peak, OthersPeak);
  OthersPeak = 0.0f;
  return true;
}

}  // namespace vorel
