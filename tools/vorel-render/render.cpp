#include "vorel-render/render.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "effect/processor.h"

namespace render {

namespace {

// Per-channel audio buffers and the effect that works on them.
struct Channel {
  std::vector<float> In = std::vector<float>(kBlockFrames);
  std::vector<float> Out = std::vector<float>(kBlockFrames);
  std::unique_ptr<vorel::Processor> Effect;
};

}  // namespace

void Render(InputFile& input, OutputFile& output, const ControlValues& controls, bool compensate,
            Progress& progress) {
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
      lanes[c].Effect->Run(controls.data(), lanes[c].In.data(), lanes[c].Out.data(), frames);
      for (unsigned long i = 0; i < frames; ++i) interleaved[i * channels + c] = lanes[c].Out[i];
    }

    const unsigned long skipped = std::min(toSkip, frames);
    toSkip -= skipped;
    output.Write(interleaved.data() + skipped * channels,
                 static_cast<sf_count_t>(frames - skipped));
  }
}

}  // namespace render
