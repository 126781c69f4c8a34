// The VST3 and CLAP plugin, built with the DPF framework: an adapter that
// converts the framework's calls into calls of the effect's channel, one
// per audio channel, with the controls shared.
//
// Real-time promise: the constructor and sampleRateChanged allocate every
// buffer; run, setParameterValue and loadProgram allocate nothing, take no
// lock, make no system call and do not throw.
#pragma once

#include <DistrhoPlugin.hpp>

#include <memory>

#include "effect/effect_channel.h"
#include "ui/editor_feed.h"
#include "vst3_clap/stereo_parameters.h"

namespace vorel {

class StereoPlugin : public DISTRHO::Plugin, public EditorFeed {
 public:
  static constexpr uint32_t kChannels = DISTRHO_PLUGIN_NUM_OUTPUTS;

  StereoPlugin();

  // The editor's side, on the host's main thread (where the channels are
  // also rebuilt): an editor opens or closes, and the channels publish
  // while any is open; the left channel's latest snapshot if one came
  // since the last call, with the peak of both.
  void Listen(bool open) override;
  bool Take(SpectrumSnapshot& copy) override;

 protected:
  const char* getLabel() const override;
  const char* getDescription() const override;
  const char* getMaker() const override;
  const char* getLicense() const override;
  uint32_t getVersion() const override;
  int64_t getUniqueId() const override;

  void initParameter(uint32_t index, DISTRHO::Parameter& parameter) override;
  void initProgramName(uint32_t index, DISTRHO::String& name) override;
  float getParameterValue(uint32_t index) const override;
  void setParameterValue(uint32_t index, float value) override;
  void loadProgram(uint32_t index) override;

  void activate() override;
  void run(const float** inputs, float** outputs, uint32_t frames) override;
  void sampleRateChanged(double rate) override;

 private:
  // Builds both channels for the rate; throws if memory runs out.
  void BuildChannels(double rate);

  float Values[StereoParameterCount];
  int OpenEditors = 0;
  ChannelSnapshots Snapshots;
  std::unique_ptr<EffectChannel> Channels[kChannels];
};

}  // namespace vorel
