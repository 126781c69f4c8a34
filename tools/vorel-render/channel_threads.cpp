#include "vorel-render/channel_threads.h"

#include <system_error>
#include <utility>

namespace render {

ChannelThreads::ChannelThreads(std::size_t count,
                               std::function<void(std::size_t, std::size_t)> work)
    : work_(std::move(work)), done_(count, 0) {
  // Reserved first, so that once a thread runs nothing here can throw.
  threads_.reserve(count);
  leftOver_.reserve(count);
  for (std::size_t index = 0; index < count; ++index) {
    try {
      threads_.emplace_back(&ChannelThreads::Serve, this, index);
    } catch (const std::system_error&) {
      leftOver_.push_back(index);
    }
  }
}

ChannelThreads::~ChannelThreads() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    stopping_ = true;
  }
  handedMore_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

void ChannelThreads::Hand() {
  ++handed_;
  {
    std::lock_guard<std::mutex> hold(lock_);
    published_ = handed_;
  }
  handedMore_.notify_all();
}

std::size_t ChannelThreads::TakeOldest() {
  const std::size_t round = taken_++;
  const std::size_t slot = round % kDepth;
  for (std::size_t index : leftOver_) {
    work_(index, slot);
    std::lock_guard<std::mutex> hold(lock_);
    done_[index] = round + 1;
  }
  std::unique_lock<std::mutex> hold(lock_);
  didMore_.wait(hold, [&] {
    for (std::size_t done : done_) {
      if (done <= round) return false;
    }
    return true;
  });
  return slot;
}

void ChannelThreads::Serve(std::size_t index) {
  std::size_t round = 0;
  for (;;) {
    {
      std::unique_lock<std::mutex> hold(lock_);
      handedMore_.wait(hold, [&] { return stopping_ || published_ > round; });
      if (stopping_) return;
    }
    work_(index, round % kDepth);
    ++round;
    {
      std::lock_guard<std::mutex> hold(lock_);
      done_[index] = round;
    }
    didMore_.notify_one();
  }
}

}  // namespace render
