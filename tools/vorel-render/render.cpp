#include "vorel-render/render.h"

#include <algorithm>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

#include "effect/dry_wet_mix.h"
#include "effect/latency_line.h"
#include "effect/processor.h"

namespace render {

namespace {

// The frames the channels' threads take on at a time: several blocks, so
// that starting the threads costs little against their work.
constexpr unsigned long kRoundFrames = 16 * kBlockFrames;

// Per-channel audio buffers, the effect that works on them and its dry signal.
struct Channel {
  std::vector<float> In = std::vector<float>(kRoundFrames);
  std::vector<float> Out = std::vector<float>(kRoundFrames);
  std::unique_ptr<vorel::Processor> Effect;
  vorel::LatencyLine Dry;
  vorel::DryWetMix Mix;

  // Runs frames samples from In to Out, in the pieces the dry line takes.
  void Run(const float* controls, float mixPercent, unsigned long frames) {
    for (unsigned long at = 0; at < frames;) {
      const unsigned long piece =
          std::min<unsigned long>(frames - at, vorel::LatencyLine::kMaxPiece);
      Dry.Take(&In[at], piece);
      Effect->Run(controls, &In[at], &Out[at], piece);
      Mix.Apply(mixPercent, Dry.Delayed(), &Out[at], piece);
      at += piece;
    }
  }
};

// Runs every channel's round. The channels share nothing, so they run on
// as many threads as the machine has cores, this one included, each taking
// every workers-th channel; should a thread fail to start, this thread does
// its share. Each channel keeps its own effect, so the output is the same
// bits however the work is spread.
void RunChannels(std::vector<Channel>& lanes, const ControlValues& controls, float mixPercent,
                 unsigned long frames) {
  const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
  const std::size_t workers = std::min(lanes.size(), cores);
  auto share = [&](std::size_t first) {
    for (std::size_t c = first; c < lanes.size(); c += workers)
      lanes[c].Run(controls.data(), mixPercent, frames);
  };
  std::vector<std::thread> threads;
  std::vector<std::size_t> leftOver;
  for (std::size_t t = 1; t < workers; ++t) {
    try {
      threads.emplace_back(share, t);
    } catch (const std::system_error&) {
      leftOver.push_back(t);
    }
  }
  share(0);
  for (std::size_t t : leftOver) share(t);
  for (std::thread& thread : threads) thread.join();
}

}  // namespace

void Render(InputFile& input, OutputFile& output, const ControlValues& controls, float mixPercent,
            bool compensate, Progress& progress) {
  const auto channels = static_cast<std::size_t>(input.Channels());
  std::vector<Channel> lanes(channels);
  for (Channel& lane : lanes) {
    lane.Effect = std::make_unique<vorel::Processor>(static_cast<float>(input.SampleRate()));
  }
  std::vector<float> interleaved(kRoundFrames * channels);

  const unsigned long latency = compensate ? vorel::Processor::kLatency : 0;
  unsigned long toSkip = latency;   // late frames still to drop
  unsigned long padding = latency;  // zero frames still to feed
  bool ended = false;
  for (;;) {
    // The input a block at a time, as the progress bar counts it, then the
    // zero frames that push the tail out.
    unsigned long frames = 0;
    while (!ended && frames < kRoundFrames) {
      // libsndfile clears all it was asked for, so never ask past the round.
      const unsigned long ask = std::min(kBlockFrames, kRoundFrames - frames);
      const auto read = static_cast<unsigned long>(
          input.Read(interleaved.data() + frames * channels, static_cast<sf_count_t>(ask)));
      if (read == 0) {
        ended = true;
      } else {
        progress.Advance(static_cast<int64_t>(read));
        frames += read;
      }
    }
    if (ended) {
      const unsigned long zeros = std::min(padding, kRoundFrames - frames);
      padding -= zeros;
      std::fill(interleaved.begin() + frames * channels,
                interleaved.begin() + (frames + zeros) * channels, 0.0f);
      frames += zeros;
    }
    if (frames == 0) break;

    for (std::size_t c = 0; c < channels; ++c) {
      for (unsigned long i = 0; i < frames; ++i) lanes[c].In[i] = interleaved[i * channels + c];
    }
    RunChannels(lanes, controls, mixPercent, frames);
    for (std::size_t c = 0; c < channels; ++c) {
      for (unsigned long i = 0; i < frames; ++i) interleaved[i * channels + c] = lanes[c].Out[i];
    }

    const unsigned long skipped = std::min(toSkip, frames);
    toSkip -= skipped;
    output.Write(interleaved.data() + skipped * channels,
                 static_cast<sf_count_t>(frames - skipped));
  }
}

}  // namespace render
