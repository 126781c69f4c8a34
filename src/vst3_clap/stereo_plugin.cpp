#include "vst3_clap/stereo_plugin.h"

#include <algorithm>
#include <cfloat>
#include <cstring>

#include "effect/presets.h"
#include "effect/version.h"

namespace vorel {

namespace {

constexpr uint32_t kPresetCount = sizeof(kPresets) / sizeof(kPresets[0]);

// The framework's sample rate as the processor takes it: any rate that is
// not a float is taken as 0, which the processor handles like any other.
float ProcessorRate(double rate) {
  return rate >= 0.0 && rate <= FLT_MAX ? static_cast<float>(rate) : 0.0f;
}

}  // namespace

StereoPlugin::StereoPlugin() : Plugin(StereoParameterCount, kPresetCount, 0) {
  const DefaultControls defaults = MakeDefaultControls();
  std::copy(defaults.Values, defaults.Values + kControlPortCount, Values);
  Values[MixParameter] = kMixControl.Default;
  Values[BypassParameter] = 0.0f;
  BuildChannels(getSampleRate());
#if DISTRHO_PLUGIN_WANT_LATENCY
  setLatency(Processor::kLatency);
#endif
}

const char* StereoPlugin::getLabel() const { return "vorel"; }

const char* StereoPlugin::getDescription() const {
  return "A spectral glitch effect: each channel's spectrum walked, held and masked.";
}

const char* StereoPlugin::getMaker() const { return VOREL_PLUGIN_MAKER; }

const char* StereoPlugin::getLicense() const { return "MIT"; }

uint32_t StereoPlugin::getVersion() const {
  return d_version(VOREL_VERSION_MAJOR, VOREL_VERSION_MINOR, VOREL_VERSION_PATCH);
}

int64_t StereoPlugin::getUniqueId() const { return d_cconst(VOREL_VST3_UNIQUE_ID); }

// The controls and the mix as the port table describes them. The table's
// logarithmic hint is the LADSPA plugin's legacy: with a lower bound of 0 a
// logarithmic scale is undefined, so it is not passed on.
void StereoPlugin::initParameter(uint32_t index, DISTRHO::Parameter& parameter) {
  if (index == BypassParameter) {
    parameter.initDesignation(DISTRHO::kParameterDesignationBypass);
    return;
  }
  if (index > MixParameter) return;
  const PortEntry& port = index == MixParameter ? kMixControl : kPortTable[index];
  parameter.hints = DISTRHO::kParameterIsAutomatable;
  if (port.Integer) parameter.hints |= DISTRHO::kParameterIsInteger;
  if (port.Toggled) parameter.hints |= DISTRHO::kParameterIsBoolean;
  parameter.name = port.Name;
  parameter.shortName = port.Name;
  parameter.symbol = port.Symbol;
  if (port.Unit == PortUnit::Percent) parameter.unit = "%";
  parameter.ranges.min = port.Minimum;
  parameter.ranges.max = port.Maximum;
  parameter.ranges.def = port.Default;
  if (port.ScalePoints != nullptr) {
    auto* values = new DISTRHO::ParameterEnumerationValue[port.ScalePointCount];
    for (std::size_t i = 0; i < port.ScalePointCount; ++i) {
      values[i].value = port.ScalePoints[i].Value;
      values[i].label = port.ScalePoints[i].Label;
    }
    parameter.enumValues.count = static_cast<uint8_t>(port.ScalePointCount);
    parameter.enumValues.restrictedMode = true;
    parameter.enumValues.values = values;
  }
}

void StereoPlugin::initProgramName(uint32_t index, DISTRHO::String& name) {
  if (index < kPresetCount) name = kPresets[index].Name;
}

float StereoPlugin::getParameterValue(uint32_t index) const {
  return index < StereoParameterCount ? Values[index] : 0.0f;
}

// Every value DPF passes on, from a host or a saved state, as the parameter
// takes it; run reads it at the next block.
void StereoPlugin::setParameterValue(uint32_t index, float value) {
  if (index < StereoParameterCount) Values[index] = TakeValue(index, value, Values[index]);
}

// A program sets the six controls; the mix and the bypass stay as they are.
void StereoPlugin::loadProgram(uint32_t index) {
  if (index < kPresetCount)
    std::copy(kPresets[index].Values, kPresets[index].Values + kControlPortCount, Values);
}

void StereoPlugin::Listen(bool open) {
  OpenEditors += open ? 1 : -1;
  for (auto& channel : Channels) channel->Published().Listen(OpenEditors > 0);
}

bool StereoPlugin::Take(SpectrumSnapshot& copy) {
  SnapshotMailbox* mailboxes[kChannels];
  for (uint32_t c = 0; c < kChannels; ++c) mailboxes[c] = &Channels[c]->Published();
  return Snapshots.Take(mailboxes, kChannels, copy);
}

void StereoPlugin::activate() {
  for (auto& channel : Channels) channel->Reset();
}

// Each channel runs as the mono effect does in the other formats: the
// controls taken over once per block (an empty block too). The bypass is a
// whole number, 0 or 1.
void StereoPlugin::run(const float** inputs, float** outputs, uint32_t frames) {
  float controls[kControlPortCount];
  std::memcpy(controls, Values, sizeof(controls));
  const float mix = Values[MixParameter];
  const bool enabled = Values[BypassParameter] == 0.0f;
  for (uint32_t c = 0; c < kChannels; ++c)
    Channels[c]->Run(controls, mix, enabled, inputs[c], outputs[c], frames);
}

// Called only while the plugin is inactive, so allocating here is safe.
// Nothing may throw into the host: if memory runs out, the channels built
// for the old rate stay.
void StereoPlugin::sampleRateChanged(double rate) {
  try {
    BuildChannels(rate);
  } catch (...) {
  }
}

// Both channels anew, or (if an allocation throws) none of them changed.
// An open editor listens to the new ones.
void StereoPlugin::BuildChannels(double rate) {
  std::unique_ptr<EffectChannel> built[kChannels];
  for (auto& channel : built) {
    channel.reset(new EffectChannel(ProcessorRate(rate)));
    channel->Published().Listen(OpenEditors > 0);
  }
  for (uint32_t c = 0; c < kChannels; ++c) Channels[c] = std::move(built[c]);
}

}  // namespace vorel

START_NAMESPACE_DISTRHO

Plugin* createPlugin() { return new vorel::StereoPlugin(); }

END_NAMESPACE_DISTRHO
