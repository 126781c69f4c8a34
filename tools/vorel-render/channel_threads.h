// Threads that live for a whole render and work through the channels'
// rounds as the thread owning them hands them over, while that thread reads
// the rounds ahead and writes the ones done. The rounds wait in a ring of
// kDepth slots, so a thread held up for a moment holds up nobody else until
// the ring is full.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace render {

class ChannelThreads {
 public:
  // Rounds in flight at most: read ahead, worked on, or done but not written.
  static constexpr std::size_t kDepth = 4;

  // Starts count threads; thread index runs work(index, slot) for each round
  // handed over, in order. work must not throw. Should a thread fail to
  // start, TakeOldest runs its share on the calling thread instead.
  ChannelThreads(std::size_t count, std::function<void(std::size_t, std::size_t)> work);
  // Stops the threads once their current work is done, and joins them.
  ~ChannelThreads();
  ChannelThreads(const ChannelThreads&) = delete;
  ChannelThreads& operator=(const ChannelThreads&) = delete;

  // True while every slot holds a round not yet taken back.
  bool Full() const { return handed_ - taken_ == kDepth; }
  // True when no round is in flight.
  bool Empty() const { return handed_ == taken_; }
  // The slot the next round is to be filled in; valid while not Full.
  std::size_t NextSlot() const { return handed_ % kDepth; }

  // Hands the round filled in NextSlot to every thread. What the caller
  // wrote before is visible to the work.
  void Hand();
  // Waits until every thread has done the oldest round in flight, and
  // returns its slot, which what the work wrote is then visible in. The
  // slot is the caller's again: the next round may be filled in it.
  std::size_t TakeOldest();

 private:
  void Serve(std::size_t index);

  std::function<void(std::size_t, std::size_t)> work_;
  std::size_t handed_ = 0;  // rounds handed over; written only by the owner
  std::size_t taken_ = 0;   // rounds taken back; written only by the owner
  std::mutex lock_;
  std::condition_variable handedMore_;
  std::condition_variable didMore_;
  std::size_t published_ = 0;      // handed_, as the threads see it
  std::vector<std::size_t> done_;  // rounds each thread has done
  bool stopping_ = false;
  std::vector<std::thread> threads_;
  std::vector<std::size_t> leftOver_;  // indices without a thread
};

}  // namespace render
