#include "vorel-render/render.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "effect/dry_wet_mix.h"
#include "effect/latency_line.h"
#include "effect/processor.h"

namespace render {

namespace {

// Per-channel audio buffers, the effect that works on them and its dry signal.
struct Channel {
  std::vector<float> In = std::vector<float>(kBlockFrames);
  std::vector<float> Out = std::vector<float>(kBlockFrames);
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

}  // namespace

void Render(InputFile& input, OutputFile& output, const ControlValues& controls, float mixPercent,
            bool compensate, Progress& progress) {
  const auto channels = static_cast<std::size_t>(input.Channels());
  std::vector<Channel> lanes(channels);
  for (Channel& lane : lanes) {
    lane.Effect = std::make_unique<vorel::Processor>(static_cast<float>(input.SampleRate()));
  }
  std::vector<float> interleaved(kBlockFrames * channels);

  const unsigned long latency = compensate ? vorel::Processor::kLatency : 0;
  unsigned long toSkip = latency;   // late frames still to drop
  unsigned long padding = latency;  // zero frames still to feed
  for (;;) {
    auto frames = static_cast<unsigned long>(input.Read(interleaved.data(), kBlockFrames));
    if (frames == 0) {
      if (padding == 0) break;
      frames = std::min(padding, kBlockFrames);
      padding -= frames;
      std::fill(interleaved.begin(), interleaved.begin() + frames * channels, 0.0f);
    } else {
      progress.Advance(static_cast<int64_t>(frames));
    }

    for (std::size_t c = 0; c < channels; ++c) {
      for (unsigned long i = 0; i < frames; ++i) lanes[c].In[i] = interleaved[i * channels + c];
      lanes[c].Run(controls.data(), mixPercent, frames);
      for (unsigned long i = 0; i < frames; ++i) interleaved[i * channels + c] = lanes[c].Out[i];
    }

    const unsigned long skipped = std::min(toSkip, frames);
    toSkip -= skipped;
    output.Write(interleaved.data() + skipped * channels,
                 static_cast<sf_count_t>(frames - skipped));
  }
}

}  // namespace render
