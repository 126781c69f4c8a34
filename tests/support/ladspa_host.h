// A minimal LADSPA host for the tests, tools and benchmarks: loads the built
// plugin library through the dynamic loader and drives instances through the
// descriptor's callbacks, exactly as a host does. Nothing here allocates
// after construction, so the real-time tests can use it around run.
#pragma once

#include <dlfcn.h>
#include <ladspa.h>

#include <cstdint>
#include <cstring>

namespace vorel_host {

// Control ports in port order; audio "in" is port 6 and "out" port 7.
enum Control : unsigned long { kHold, kGain, kDirection, kBitMask, kAmpMod, kProcessType, kControlCount };
constexpr unsigned long kInPort = 6;
constexpr unsigned long kOutPort = 7;

// The defaults a host derives from the port hints.
struct Controls {
  float Values[kControlCount] = {1.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f};
};

class Library {
 public:
  explicit Library(const char* path, int flags = RTLD_NOW | RTLD_LOCAL) : handle_(dlopen(path, flags)) {
    if (handle_ == nullptr) return;
    auto entry = reinterpret_cast<LADSPA_Descriptor_Function>(dlsym(handle_, "ladspa_descriptor"));
    if (entry != nullptr) descriptor_ = entry(0);
  }
  ~Library() {
    if (handle_ != nullptr) dlclose(handle_);
  }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  // Null when the library did not load or offers no plugin.
  const LADSPA_Descriptor* Descriptor() const { return descriptor_; }
  void* Handle() const { return handle_; }

 private:
  void* handle_;
  const LADSPA_Descriptor* descriptor_ = nullptr;
};

// One instance with its control values; the audio buffers are connected on
// every call of Run, which also exercises connect_port.
class Instance {
 public:
  Instance(const LADSPA_Descriptor* d, unsigned long rate) : d_(d), handle_(d->instantiate(d, rate)) {
    if (handle_ == nullptr) return;
    for (unsigned long port = 0; port < kControlCount; ++port) d_->connect_port(handle_, port, &controls.Values[port]);
  }
  ~Instance() {
    if (handle_ != nullptr) d_->cleanup(handle_);
  }
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  bool Valid() const { return handle_ != nullptr; }

  // Processes count samples from in into out; in and out may be the same.
  void Run(const float* in, float* out, unsigned long count) {
    d_->connect_port(handle_, kInPort, const_cast<float*>(in));
    d_->connect_port(handle_, kOutPort, out);
    d_->run(handle_, count);
  }

  // Processes a whole signal in blocks whose sizes cycle through blocks[].
  void RunBlocks(const float* in, float* out, size_t length, const unsigned long* blocks, size_t blockCount) {
    size_t pos = 0;
    for (size_t b = 0; pos < length; ++b) {
      unsigned long n = blocks[b % blockCount];
      if (n > length - pos) n = static_cast<unsigned long>(length - pos);
      Run(in + pos, out + pos, n);
      pos += n;
    }
  }

  Controls controls;

 private:
  const LADSPA_Descriptor* d_;
  LADSPA_Handle handle_;
};

// FNV-1a over the 32-bit patterns of a block of samples.
inline uint64_t HashSamples(const float* samples, size_t count, uint64_t hash = 14695981039346656037ull) {
  for (size_t i = 0; i < count; ++i) {
    uint32_t bits;
    std::memcpy(&bits, &samples[i], sizeof bits);
    for (int byte = 0; byte < 4; ++byte) {
      hash ^= (bits >> (8 * byte)) & 0xffu;
      hash *= 1099511628211ull;
    }
  }
  return hash;
}

}  // namespace vorel_host
