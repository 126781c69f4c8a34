// The LV2 plugin's editor: the same editor as the VST3 and CLAP plugin's
// (src/ui), driven through DPF's UI exporter by this glue of our own with
// the LV2 ports of editor_ports.h. The spectrum comes from the plugin
// instance through the host's instance access; a host that gives none
// still gets every control, and the spectrum view says it has no data.
#include <lv2/atom/atom.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/options/options.h>
#include <lv2/parameters/parameters.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <cstring>
#include <memory>

#include "lv2/editor_ports.h"
#include "lv2/instance.h"
#include "ui/editor_feed.h"

// Last: the framework's window headers bring X11's macros (None, Status).
#include <src/DistrhoUIInternal.hpp>

namespace vorel {

// The glue hands the editor its feed as the framework's instance pointer.
EditorFeed* FeedOf(void* instance) { return static_cast<EditorFeed*>(instance); }

// The LV2 plugin has one channel: the legend names none.
const char* ShownChannel() { return nullptr; }

namespace {

// One LV2 plugin instance's channel, as the editor's feed.
class ChannelFeed final : public EditorFeed {
 public:
  explicit ChannelFeed(EffectChannel& channel) : Channel(channel) {}
  void Listen(bool open) override { Channel.Published().Listen(open); }
  bool Take(SpectrumSnapshot& copy) override { return Channel.Published().Take(copy); }

 private:
  EffectChannel& Channel;
};

// What the host offers, read from its features; each may be missing.
struct HostOffer {
  uintptr_t Parent = 0;
  const LV2UI_Touch* Touch = nullptr;
  const LV2UI_Resize* Resize = nullptr;
  Lv2Instance* Instance = nullptr;
  double Rate = 48000.0;
  double Scale = 0.0;  // the framework's own choice

  explicit HostOffer(const LV2_Feature* const* features);
};

// Takes the rate and the scale factor from the host's options, where it
// gives them as floats.
HostOffer::HostOffer(const LV2_Feature* const* features) {
  const LV2_URID_Map* map = nullptr;
  const LV2_Options_Option* options = nullptr;
  for (; features != nullptr && *features != nullptr; ++features) {
    const char* uri = (*features)->URI;
    void* data = (*features)->data;
    if (std::strcmp(uri, LV2_UI__parent) == 0) Parent = reinterpret_cast<uintptr_t>(data);
    if (std::strcmp(uri, LV2_UI__touch) == 0) Touch = static_cast<const LV2UI_Touch*>(data);
    if (std::strcmp(uri, LV2_UI__resize) == 0) Resize = static_cast<const LV2UI_Resize*>(data);
    if (std::strcmp(uri, LV2_INSTANCE_ACCESS_URI) == 0) Instance = static_cast<Lv2Instance*>(data);
    if (std::strcmp(uri, LV2_URID__map) == 0) map = static_cast<const LV2_URID_Map*>(data);
    if (std::strcmp(uri, LV2_OPTIONS__options) == 0)
      options = static_cast<const LV2_Options_Option*>(data);
  }
  if (map == nullptr || options == nullptr) return;
  const LV2_URID floatType = map->map(map->handle, LV2_ATOM__Float);
  const LV2_URID rateKey = map->map(map->handle, LV2_PARAMETERS__sampleRate);
  const LV2_URID scaleKey = map->map(map->handle, LV2_UI__scaleFactor);
  for (; options->key != 0; ++options) {
    if (options->type != floatType || options->size != sizeof(float) || options->value == nullptr)
      continue;
    const float value = *static_cast<const float*>(options->value);
    if (options->key == rateKey && value > 0.0f) Rate = value;
    if (options->key == scaleKey && value >= 1.0f && value <= 16.0f) Scale = value;
  }
}

class EditorGlue {
 public:
  EditorGlue(const HostOffer& offer, const char* bundle, LV2UI_Write_Function write,
             LV2UI_Controller controller)
      : Write(write),
        Controller(controller),
        Touch(offer.Touch),
        Resize(offer.Resize),
        Feed(offer.Instance != nullptr ? new ChannelFeed(offer.Instance->Chain) : nullptr),
        Ui(this, offer.Parent, offer.Rate, Edit, Set, nullptr, nullptr, SetSize, nullptr, bundle,
           static_cast<EditorFeed*>(Feed.get()), offer.Scale) {}

  LV2UI_Widget Widget() const { return reinterpret_cast<LV2UI_Widget>(Ui.getNativeWindowHandle()); }

  // A host's value for a port of ours, by the LV2 plugin's own rule for
  // "enabled" (on unless at most 0); the editor takes the others by the
  // parameters' rule.
  void PortEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
    if (format != 0 || size != sizeof(float) || buffer == nullptr) return;
    float value;
    std::memcpy(&value, buffer, sizeof value);
    for (uint32_t p = 0; p < EffectParameterCount; ++p) {
      if (kEditorPorts[p].Port != port) continue;
      if (kEditorPorts[p].Inverted) value = value <= 0.0f ? 1.0f : 0.0f;
      Ui.parameterChanged(p, value);
    }
  }

  int Idle() { return Ui.plugin_idle() ? 0 : 1; }
  int Show(bool visible) { return Ui.setWindowVisible(visible) ? 0 : 1; }

 private:
  static void Edit(void* self, uint32_t parameter, bool started) {
    auto* glue = static_cast<EditorGlue*>(self);
    if (parameter < EffectParameterCount && glue->Touch != nullptr)
      glue->Touch->touch(glue->Touch->handle, kEditorPorts[parameter].Port, started);
  }
  static void Set(void* self, uint32_t parameter, float value) {
    auto* glue = static_cast<EditorGlue*>(self);
    if (parameter >= EffectParameterCount) return;
    if (kEditorPorts[parameter].Inverted) value = 1.0f - value;
    glue->Write(glue->Controller, kEditorPorts[parameter].Port, sizeof value, 0, &value);
  }
  static void SetSize(void* self, uint width, uint height) {
    auto* glue = static_cast<EditorGlue*>(self);
    if (glue->Resize != nullptr)
      glue->Resize->ui_resize(glue->Resize->handle, static_cast<int>(width),
                              static_cast<int>(height));
  }

  const LV2UI_Write_Function Write;
  const LV2UI_Controller Controller;
  const LV2UI_Touch* const Touch;
  const LV2UI_Resize* const Resize;
  const std::unique_ptr<ChannelFeed> Feed;
  DISTRHO::UIExporter Ui;
};

LV2UI_Handle Instantiate(const LV2UI_Descriptor*, const char* plugin, const char* bundle,
                         LV2UI_Write_Function write, LV2UI_Controller controller,
                         LV2UI_Widget* widget, const LV2_Feature* const* features) {
  if (plugin == nullptr || std::strcmp(plugin, kPluginUri) != 0 || write == nullptr) return nullptr;
  try {
    auto* glue = new EditorGlue(HostOffer(features), bundle, write, controller);
    *widget = glue->Widget();
    return glue;
  } catch (...) {
    return nullptr;
  }
}

void Cleanup(LV2UI_Handle glue) { delete static_cast<EditorGlue*>(glue); }

void PortEvent(LV2UI_Handle glue, uint32_t port, uint32_t size, uint32_t format,
               const void* buffer) {
  static_cast<EditorGlue*>(glue)->PortEvent(port, size, format, buffer);
}

int Idle(LV2UI_Handle glue) { return static_cast<EditorGlue*>(glue)->Idle(); }
int Show(LV2UI_Handle glue) { return static_cast<EditorGlue*>(glue)->Show(true); }
int Hide(LV2UI_Handle glue) { return static_cast<EditorGlue*>(glue)->Show(false); }

const void* ExtensionData(const char* uri) {
  static constexpr LV2UI_Idle_Interface kIdle = {Idle};
  static constexpr LV2UI_Show_Interface kShow = {Show, Hide};
  if (std::strcmp(uri, LV2_UI__idleInterface) == 0) return &kIdle;
  if (std::strcmp(uri, LV2_UI__showInterface) == 0) return &kShow;
  return nullptr;
}

constexpr LV2UI_Descriptor kDescriptor = {kEditorUri, Instantiate, Cleanup, PortEvent,
                                          ExtensionData};

}  // namespace
}  // namespace vorel

// The host's entry point: the one editor at index 0, nothing after it.
extern "C" __attribute__((visibility("default"))) const LV2UI_Descriptor* lv2ui_descriptor(
    uint32_t index) {
  return index == 0 ? &vorel::kDescriptor : nullptr;
}
