// A small LV2 host for the tests on top of lilv: finds the plugin where
// LV2_PATH says, maps URIs, and drives instances through lilv as a host does.
#pragma once

#include <lilv/lilv.h>
#include <lv2/urid/urid.h>

#include <cstddef>
#include <string>
#include <vector>

#include "effect/port_table.h"
#include "lv2/lv2_ports.h"

namespace vorel_lv2_host {

// URIDs in order of first use, starting at 1.
class UridMap {
 public:
  UridMap() : feature_{LV2_URID__map, &map_} {}
  UridMap(const UridMap&) = delete;
  UridMap& operator=(const UridMap&) = delete;

  LV2_URID Map(const char* uri) {
    for (std::size_t i = 0; i < uris_.size(); ++i) {
      if (uris_[i] == uri) return static_cast<LV2_URID>(i + 1);
    }
    uris_.emplace_back(uri);
    return static_cast<LV2_URID>(uris_.size());
  }
  LV2_URID_Map* Lv2Map() { return &map_; }
  const LV2_Feature* Feature() const { return &feature_; }

 private:
  static LV2_URID MapCallback(LV2_URID_Map_Handle self, const char* uri) {
    return static_cast<UridMap*>(self)->Map(uri);
  }
  std::vector<std::string> uris_;
  LV2_URID_Map map_{this, MapCallback};
  LV2_Feature feature_;
};

// Every bundle on LV2_PATH, loaded; Plugin() is null when Vorel is not among them.
class World {
 public:
  World() : world_(lilv_world_new()) {
    lilv_world_load_all(world_);
    LilvNode* uri = lilv_new_uri(world_, vorel::kPluginUri);
    plugin_ = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world_), uri);
    lilv_node_free(uri);
  }
  ~World() {
    for (LilvNode* node : nodes_) lilv_node_free(node);
    lilv_world_free(world_);
  }
  World(const World&) = delete;
  World& operator=(const World&) = delete;

  LilvWorld* Get() const { return world_; }
  const LilvPlugin* Plugin() const { return plugin_; }

  // A URI node that lives as long as the world.
  const LilvNode* Uri(const std::string& uri) {
    nodes_.push_back(lilv_new_uri(world_, uri.c_str()));
    return nodes_.back();
  }
  const LilvNode* Lv2(const std::string& term) { return Uri(std::string(LILV_NS_LV2) + term); }

  UridMap urids;

 private:
  LilvWorld* world_;
  const LilvPlugin* plugin_ = nullptr;
  std::vector<LilvNode*> nodes_;
};

// One instance with its control values, activated; the audio buffers are
// connected on every call of Run, which also exercises connect_port.
class Instance {
 public:
  Instance(const LilvPlugin* plugin, double rate)
      : instance_(lilv_plugin_instantiate(plugin, rate, nullptr)) {
    if (instance_ == nullptr) return;
    for (unsigned long port = 0; port < vorel::kControlPortCount; ++port) {
      controls[port] = vorel::kPortTable[port].Default;
      lilv_instance_connect_port(instance_, static_cast<uint32_t>(port), &controls[port]);
    }
    lilv_instance_connect_port(instance_, vorel::LatencyPort, &latency);
    lilv_instance_connect_port(instance_, vorel::EnabledPort, &enabled);
    lilv_instance_connect_port(instance_, vorel::MixPort, &mix);
    lilv_instance_activate(instance_);
  }
  ~Instance() {
    if (instance_ == nullptr) return;
    lilv_instance_deactivate(instance_);
    lilv_instance_free(instance_);
  }
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  bool Valid() const { return instance_ != nullptr; }

  // Processes count samples from in into out; in and out may be the same.
  void Run(const float* in, float* out, uint32_t count) {
    lilv_instance_connect_port(instance_, vorel::InputPort, const_cast<float*>(in));
    lilv_instance_connect_port(instance_, vorel::OutputPort, out);
    lilv_instance_run(instance_, count);
  }

  // Processes a whole signal in blocks whose sizes cycle through blocks.
  void RunBlocks(const float* in, float* out, std::size_t length,
                 const std::vector<uint32_t>& blocks) {
    std::size_t pos = 0;
    for (std::size_t b = 0; pos < length; ++b) {
      uint32_t n = blocks[b % blocks.size()];
      if (n > length - pos) n = static_cast<uint32_t>(length - pos);
      Run(in + pos, out + pos, n);
      pos += n;
    }
  }

  // What a host does when the plugin is switched off and on again.
  void Reactivate() {
    lilv_instance_deactivate(instance_);
    lilv_instance_activate(instance_);
  }

  float controls[vorel::kControlPortCount];  // the defaults to begin with
  float latency = -1.0f;
  float enabled = 1.0f;
  float mix = vorel::kMixControl.Default;

 private:
  LilvInstance* instance_;
};

}  // namespace vorel_lv2_host
