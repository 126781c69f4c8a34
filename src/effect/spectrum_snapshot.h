// What the editor draws of one channel, and the mailbox that carries it from
// the audio thread to the editor without a lock: three snapshots, of which
// the audio thread fills one, the editor reads one, and the third waits
// between them. Handing one over is a single atomic exchange on either side,
// so neither side ever waits for the other.
//
// The audio thread publishes only while an editor listens, and only when the
// editor has taken the snapshot before: a closed editor costs one atomic
// load a block, and an open one a copy at the editor's own rate.
//
// Real-time promise: the constructor allocates the three snapshots; the
// audio thread's calls allocate nothing, take no lock and make no system
// call.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "dsp/quantiser/quantiser.h"

namespace vorel {

struct SpectrumSnapshot {
  // The engine's frame as it left the walk: pair p in elements p and p + 512,
  // bit for bit.
  float Input[TQuantiser::kFrameLength];  // the analysed input's spectrum
  float Held[TQuantiser::kFrameLength];   // after the hold and the mask
  // The largest output magnitude since the snapshot before.
  float Peak;
  // The engine's frame count at this frame: new frames count up.
  uint64_t Frame;
};

class SnapshotMailbox {
 public:
  SnapshotMailbox() : Slots(new SpectrumSnapshot[3]()) {}

  // Editor's side, any thread: whether the audio thread publishes at all.
  void Listen(bool on) { Listening.store(on, std::memory_order_relaxed); }

  // Editor's side, one thread: copies the newest snapshot into copy if one
  // came since the last call; false (and copy untouched) if none did.
  bool Take(SpectrumSnapshot& copy);

  // Audio thread's side: whether an editor listens, and whether it has taken
  // the snapshot before, so that another may be handed over.
  bool Listened() const { return Listening.load(std::memory_order_relaxed); }
  bool Taken() const { return (State.load(std::memory_order_relaxed) & kFresh) == 0; }

  // Audio thread's side: the snapshot to fill, then Publish hands it over.
  SpectrumSnapshot& Next() { return Slots[Back]; }
  void Publish() { Back = State.exchange(Back | kFresh, std::memory_order_acq_rel) & kIndex; }

 private:
  static constexpr unsigned kIndex = 3;  // the waiting snapshot's index
  static constexpr unsigned kFresh = 4;  // set while it waits unread

  std::unique_ptr<SpectrumSnapshot[]> Slots;
  std::atomic<unsigned> State{1};
  std::atomic<bool> Listening{false};
  unsigned Back = 0;   // the audio thread's
  unsigned Front = 2;  // the editor's
  static_assert(std::atomic<unsigned>::is_always_lock_free, "a handover never locks");
  static_assert(std::atomic<bool>::is_always_lock_free, "a handover never locks");
};

// The editor's side of several channels' mailboxes: the first channel's
// spectrum, with the output peak of them all, so that an over on any
// channel shows on the meter. A peak that another channel publishes while
// the first has nothing new waits for the first's next snapshot.
class ChannelSnapshots {
 public:
  ChannelSnapshots() : Scratch(new SpectrumSnapshot()) {}

  // The editor's thread only: as SnapshotMailbox::Take on mailboxes[0],
  // its Peak the largest of every mailbox's since the last snapshot taken.
  bool Take(SnapshotMailbox* const* mailboxes, std::size_t count, SpectrumSnapshot& copy);

 private:
  std::unique_ptr<SpectrumSnapshot> Scratch;  // another channel's, for its peak
  float OthersPeak = 0.0f;                    // not yet handed on
};

}  // namespace vorel
