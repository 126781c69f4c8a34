// The renderer's round ring: every thread works through every round in
// order, each in the slot it was filled in, and the owner sees the work done
// before it reuses the slot, through several turns of the ring.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstddef>
#include <vector>

#include "vorel-render/channel_threads.h"

using render::ChannelThreads;

TEST(ChannelThreads, EachThreadDoesEachRoundInOrderAndTheOwnerSeesIt) {
  constexpr std::size_t kDepth = ChannelThreads::kDepth;
  constexpr std::size_t kRounds = 3 * kDepth + 1;
  for (std::size_t count : {1u, 2u, 5u}) {
    SCOPED_TRACE(count);
    std::array<std::size_t, kDepth> handedRound{};                  // the owner's input
    std::vector<std::array<std::size_t, kDepth>> doneRound(count);  // each thread's output
    std::vector<std::size_t> expected(count, 0);                    // each thread's next round
    std::atomic<bool> outOfOrder{false};
    {
      ChannelThreads threads(count, [&](std::size_t index, std::size_t slot) {
        if (handedRound[slot] != expected[index]++) outOfOrder = true;
        doneRound[index][slot] = handedRound[slot];
      });
      std::size_t handed = 0;
      std::size_t taken = 0;
      while (taken < kRounds) {
        if (handed < kRounds && !threads.Full()) {
          handedRound[threads.NextSlot()] = handed++;
          threads.Hand();
        } else {
          ASSERT_FALSE(threads.Empty());
          const std::size_t slot = threads.TakeOldest();
          for (std::size_t index = 0; index < count; ++index) {
            ASSERT_EQ(doneRound[index][slot], taken) << "thread " << index;
          }
          ++taken;
        }
      }
      EXPECT_TRUE(threads.Empty());
    }
    EXPECT_FALSE(outOfOrder);
    EXPECT_EQ(expected, std::vector<std::size_t>(count, kRounds));
  }
}
