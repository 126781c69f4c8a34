// Instances share nothing but the read-only descriptor: several instances
// created, run and cleaned up on several threads at once each give exactly
// the output they give alone. The ThreadSanitizer build runs this test to
// catch any hidden shared state.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "support/ladspa_host.h"
#include "support/signals.h"

namespace {

using vorel_host::Instance;
using vorel_host::Library;

struct Job {
  unsigned long rate;
  float controls[vorel::kControlPortCount];
  std::vector<unsigned long> blocks;
  std::vector<float> input;
  std::vector<float> output;
};

// Every walk variant, masks, amp-mod, and rates from 1 Hz to 96 kHz.
std::vector<Job> MakeJobs(size_t length) {
  std::vector<Job> jobs = {
      {44100, {1, 1, 0, 0, 0, 0}, {256}, {}, {}},
      {48000, {7, 0.5f, 1, 0.5f, 0, 0}, {7, 1000}, {}, {}},
      {96000, {43, 2, 0, 1, 1, 1}, {4096, 1}, {}, {}},
      {8000, {3, 1, 1, 0.25f, 1, 1}, {100, 300}, {}, {}},
      {200, {12, 1.5f, 0, 0.75f, 0, 1}, {64}, {}, {}},
      {1, {2, 1, 1, 0, 1, 0}, {1000, 13}, {}, {}},
  };
  uint32_t seed = 1;
  for (Job& job : jobs) job.input = vorel_host::Noise(length, seed++, 0.8f);
  return jobs;
}

void RunJob(const LADSPA_Descriptor* d, Job& job) {
  Instance instance(d, job.rate);
  ASSERT_TRUE(instance.Valid());
  std::memcpy(instance.controls.Values, job.controls, sizeof job.controls);
  job.output.assign(job.input.size(), 0.0f);
  instance.RunBlocks(job.input.data(), job.output.data(), job.input.size(), job.blocks.data(),
                     job.blocks.size());
}

TEST(IndependentInstances, ConcurrentInstancesGiveTheirSoloOutputBitForBit) {
  Library lib(VOREL_LIBRARY_PATH);
  const LADSPA_Descriptor* d = lib.Descriptor();
  ASSERT_NE(d, nullptr) << dlerror();

  constexpr size_t kLength = 30000;
  std::vector<Job> solo = MakeJobs(kLength);
  for (Job& job : solo) RunJob(d, job);

  for (int round = 0; round < 3; ++round) {
    std::vector<Job> together = MakeJobs(kLength);
    std::atomic<size_t> waiting{together.size()};
    std::vector<std::thread> threads;
    for (Job& job : together) {
      threads.emplace_back([&, jobPtr = &job] {
        // Start all at once so that instantiate and run overlap.
        waiting.fetch_sub(1);
        while (waiting.load() != 0) std::this_thread::yield();
        RunJob(d, *jobPtr);
      });
    }
    for (std::thread& t : threads) t.join();
    for (size_t j = 0; j < solo.size(); ++j) {
      ASSERT_EQ(together[j].output.size(), solo[j].output.size());
      EXPECT_EQ(
          0, std::memcmp(together[j].output.data(), solo[j].output.data(), kLength * sizeof(float)))
          << "job " << j << ", round " << round;
    }
  }
}

}  // namespace
