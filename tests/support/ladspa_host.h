// A minimal LADSPA host for the tests, tools and benchmarks: loads the built
// plugin library through the dynamic loader and drives instances through the
// descriptor's callbacks, exactly as a host does. The port numbers and the
// controls' defaults come from the plugin's port table. Nothing here
// allocates after construction, so the real-time tests can use it around run.
#pragma once

#include <ladspa.h>

#include <cstddef>

#include "effect/port_table.h"
#include "support/dynamic_loader.h"

namespace vorel_host {

// The six control values, indexed by vorel::PortIndex.
using Controls = vorel::DefaultControls;

// A loaded plugin library; unloaded when the object goes.
class Library {
 public:
  explicit Library(const char* path) : handle_(dlopen(path, RTLD_NOW | RTLD_LOCAL)) {
    if (handle_ == nullptr) return;
    entry_ = reinterpret_cast<LADSPA_Descriptor_Function>(dlsym(handle_, "ladspa_descriptor"));
    if (entry_ != nullptr) descriptor_ = entry_(0);
  }
  ~Library() {
    if (handle_ != nullptr) dlclose(handle_);
  }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  // Null when the library did not load or offers no plugin.
  const LADSPA_Descriptor* Descriptor() const { return descriptor_; }
  // The library's ladspa_descriptor function; null when it did not load.
  LADSPA_Descriptor_Function Entry() const { return entry_; }
  void* Handle() const { return handle_; }

 private:
  void* handle_;
  LADSPA_Descriptor_Function entry_ = nullptr;
  const LADSPA_Descriptor* descriptor_ = nullptr;
};

// One instance with its control values, which start at the defaults; the
// audio buffers are connected on every call of Run, which also exercises
// connect_port.
class Instance {
 public:
  Instance(const LADSPA_Descriptor* d, unsigned long rate)
      : d_(d), handle_(d->instantiate(d, rate)) {
    if (handle_ == nullptr) return;
    for (unsigned long port = 0; port < vorel::kControlPortCount; ++port) {
      d_->connect_port(handle_, port, &controls.Values[port]);
    }
  }
  ~Instance() {
    if (handle_ != nullptr) d_->cleanup(handle_);
  }
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  bool Valid() const { return handle_ != nullptr; }

  // Processes count samples from in into out; in and out may be the same.
  void Run(const float* in, float* out, unsigned long count) {
    d_->connect_port(handle_, vorel::InputPort, const_cast<float*>(in));
    d_->connect_port(handle_, vorel::OutputPort, out);
    d_->run(handle_, count);
  }

  // Processes a whole signal in blocks whose sizes cycle through blocks[].
  void RunBlocks(const float* in, float* out, size_t length, const unsigned long* blocks,
                 size_t blockCount) {
    size_t pos = 0;
    for (size_t b = 0; pos < length; ++b) {
      unsigned long n = blocks[b % blockCount];
      if (n > length - pos) n = static_cast<unsigned long>(length - pos);
      Run(in + pos, out + pos, n);
      pos += n;
    }
  }

  Controls controls = vorel::MakeDefaultControls();

 private:
  const LADSPA_Descriptor* d_;
  LADSPA_Handle handle_;
};

}  // namespace vorel_host
