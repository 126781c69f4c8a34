#include "vorel-render/render.h"

#include <algorithm>
#include <array>
#include <memory>
#include <thread>
#include <vector>

#include "effect/dry_wet_mix.h"
#include "effect/latency_line.h"
#include "effect/processor.h"
#include "vorel-render/channel_threads.h"

namespace render {

namespace {

// The frames the channels take on at a time: several blocks, so that
// handing a round over costs little against its work.
constexpr unsigned long kRoundFrames = 16 * kBlockFrames;

constexpr std::size_t kSlots = ChannelThreads::kDepth;

// Per-channel audio buffers, the effect that works on them and its dry signal.
// The slots are left uncleared: each round is written before it is read.
struct Channel {
  std::unique_ptr<float[]> In[kSlots];
  std::unique_ptr<float[]> Out[kSlots];
  std::unique_ptr<vorel::Processor> Effect;
  vorel::LatencyLine Dry;
  vorel::DryWetMix Mix;

  explicit Channel(float sampleRate) : Effect(std::make_unique<vorel::Processor>(sampleRate)) {
    for (std::size_t slot = 0; slot < kSlots; ++slot) {
      In[slot].reset(new float[kRoundFrames]);
      Out[slot].reset(new float[kRoundFrames]);
    }
  }

  // Runs a slot's frames from In to Out, in the pieces the dry line takes.
  // At a mix of 100 % the dry signal has no weight from the first sample
  // on, so the line is left out.
  void Run(const float* controls, float mixPercent, std::size_t slot, unsigned long frames) {
    const bool wetOnly = mixPercent >= 100.0f;
    for (unsigned long at = 0; at < frames;) {
      const unsigned long piece =
          std::min<unsigned long>(frames - at, vorel::LatencyLine::kMaxPiece);
      if (!wetOnly) Dry.Take(&In[slot][at], piece);
      Effect->Run(controls, &In[slot][at], &Out[slot][at], piece);
      if (!wetOnly) Mix.Apply(mixPercent, Dry.Delayed(), &Out[slot][at], piece);
      at += piece;
    }
  }
};

// The files' side of a render: fills a slot of every channel with the next
// round of input and writes a slot's output, lined up as asked.
class FileRounds {
 public:
  FileRounds(InputFile& input, OutputFile& output, std::vector<Channel>& lanes,
             unsigned long latency, Progress& progress)
      : input_(input),
        output_(output),
        lanes_(lanes),
        progress_(progress),
        interleaved_(kRoundFrames * lanes.size()),
        toSkip_(latency),
        padding_(latency) {}

  // Reads the input a block at a time, as the progress bar counts it, then
  // the zero frames that push the tail out; returns the frames, 0 when
  // nothing is left.
  unsigned long Read(std::size_t slot) {
    const std::size_t channels = lanes_.size();
    unsigned long frames = 0;
    while (!ended_ && frames < kRoundFrames) {
      // libsndfile clears all it was asked for, so never ask past the round.
      const unsigned long ask = std::min(kBlockFrames, kRoundFrames - frames);
      const auto read = static_cast<unsigned long>(
          input_.Read(interleaved_.data() + frames * channels, static_cast<sf_count_t>(ask)));
      if (read == 0) {
        ended_ = true;
      } else {
        progress_.Advance(static_cast<int64_t>(read));
        frames += read;
      }
    }
    if (ended_) {
      const unsigned long zeros = std::min(padding_, kRoundFrames - frames);
      padding_ -= zeros;
      std::fill(interleaved_.begin() + frames * channels,
                interleaved_.begin() + (frames + zeros) * channels, 0.0f);
      frames += zeros;
    }
    for (std::size_t c = 0; c < channels; ++c) {
      float* in = lanes_[c].In[slot].get();
      for (unsigned long i = 0; i < frames; ++i) in[i] = interleaved_[i * channels + c];
    }
    return frames;
  }

  // Writes a slot's frames, less the late ones still to drop.
  void Write(std::size_t slot, unsigned long frames) {
    const std::size_t channels = lanes_.size();
    for (std::size_t c = 0; c < channels; ++c) {
      const float* out = lanes_[c].Out[slot].get();
      for (unsigned long i = 0; i < frames; ++i) interleaved_[i * channels + c] = out[i];
    }
    const unsigned long skipped = std::min(toSkip_, frames);
    toSkip_ -= skipped;
    output_.Write(interleaved_.data() + skipped * channels,
                  static_cast<sf_count_t>(frames - skipped));
  }

 private:
  InputFile& input_;
  OutputFile& output_;
  std::vector<Channel>& lanes_;
  Progress& progress_;
  std::vector<float> interleaved_;
  unsigned long toSkip_;   // late frames still to drop
  unsigned long padding_;  // zero frames still to feed
  bool ended_ = false;
};

}  // namespace

void Render(InputFile& input, OutputFile& output, const ControlValues& controls, float mixPercent,
            bool compensate, Progress& progress) {
  const auto channels = static_cast<std::size_t>(input.Channels());
  std::vector<Channel> lanes;
  lanes.reserve(channels);
  for (std::size_t c = 0; c < channels; ++c) {
    lanes.emplace_back(static_cast<float>(input.SampleRate()));
  }
  FileRounds files(input, output, lanes, compensate ? vorel::Processor::kLatency : 0, progress);

  // The channels share nothing, so they run on as many threads as the
  // machine has cores, each taking every workers-th channel, while this
  // thread reads the rounds ahead and writes those done. Each channel keeps
  // its own effect, so the output is the same bits however the work is
  // spread.
  const std::size_t workers =
      std::min<std::size_t>(channels, std::max(1u, std::thread::hardware_concurrency()));
  std::array<unsigned long, kSlots> frames{};  // each slot's round
  ChannelThreads threads(workers, [&](std::size_t first, std::size_t slot) {
    for (std::size_t c = first; c < channels; c += workers) {
      lanes[c].Run(controls.data(), mixPercent, slot, frames[slot]);
    }
  });

  bool more = true;  // input or padding left to read
  for (;;) {
    if (more && !threads.Full()) {
      const std::size_t slot = threads.NextSlot();
      frames[slot] = files.Read(slot);
      more = frames[slot] > 0;
      if (more) threads.Hand();
    } else if (!threads.Empty()) {
      const std::size_t slot = threads.TakeOldest();
      files.Write(slot, frames[slot]);
    } else {
      break;
    }
  }
}

}  // namespace render
