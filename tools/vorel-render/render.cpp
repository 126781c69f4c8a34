#include "vorel-render/render.h"

#include <algorithm>
#include <memory>

#include "vorel-render/control_ports.h"
#include "vorel-render/hosted_plugin.h"

namespace render {

namespace {

// Per-channel audio buffers and the instance that works on them.
struct Channel {
  std::vector<LADSPA_Data> In = std::vector<LADSPA_Data>(kBlockFrames);
  std::vector<LADSPA_Data> Out = std::vector<LADSPA_Data>(kBlockFrames);
  std::unique_ptr<HostedPlugin> Instance;
};

}  // namespace

void Render(InputFile& input, OutputFile& output, const LADSPA_Descriptor& descriptor,
            const std::vector<LADSPA_Data>& controls, bool compensate, Progress& progress) {
  const auto channels = static_cast<std::size_t>(input.Channels());
  const AudioPorts audio = FindAudioPorts(descriptor);
  const auto rate = static_cast<unsigned long>(input.SampleRate());

  std::vector<Channel> lanes(channels);
  for (Channel& lane : lanes) {
    lane.Instance = std::make_unique<HostedPlugin>(descriptor, rate, controls, audio,
                                                   lane.In.data(), lane.Out.data());
  }
  std::vector<float> interleaved(kBlockFrames * channels);

  unsigned long toSkip = compensate ? kPluginLatency : 0;   // late frames still to drop
  unsigned long padding = compensate ? kPluginLatency : 0;  // zero frames still to feed
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
      lanes[c].Instance->Run(frames);
      for (unsigned long i = 0; i < frames; ++i) interleaved[i * channels + c] = lanes[c].Out[i];
    }

    const unsigned long skipped = std::min(toSkip, frames);
    toSkip -= skipped;
    output.Write(interleaved.data() + skipped * channels,
                 static_cast<sf_count_t>(frames - skipped));
  }
}

}  // namespace render
