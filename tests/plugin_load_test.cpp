// Loads the built plugin library the way a host does, through the dynamic
// loader, and checks what a host can see of it.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <ladspa.h>

#include <cmath>
#include <cstdio>
#include <optional>
#include <set>
#include <string>

#include "alloc_probe.h"
#include "vorel/port_table.h"

namespace {

struct Library {
  Library() : Handle(dlopen(VOREL_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL)) {
    if (Handle != nullptr) Entry = reinterpret_cast<LADSPA_Descriptor_Function>(dlsym(Handle, "ladspa_descriptor"));
  }
  ~Library() {
    if (Handle != nullptr) dlclose(Handle);
  }
  void* Handle;
  LADSPA_Descriptor_Function Entry = nullptr;
};

// The default a host derives from a hint descriptor, by the rules of the
// LADSPA header: fixed values, or the bounds interpolated (geometrically for
// a logarithmic port), rounded for an integer port.
std::optional<float> HostDefault(const LADSPA_PortRangeHint& h) {
  const int d = h.HintDescriptor;
  const double lo = h.LowerBound, hi = h.UpperBound;
  auto between = [&](double w) {
    double v = LADSPA_IS_HINT_LOGARITHMIC(d) ? std::exp(std::log(lo) * (1 - w) + std::log(hi) * w)
                                             : lo * (1 - w) + hi * w;
    return static_cast<float>(LADSPA_IS_HINT_INTEGER(d) ? std::round(v) : v);
  };
  if (LADSPA_IS_HINT_DEFAULT_MINIMUM(d)) return static_cast<float>(lo);
  if (LADSPA_IS_HINT_DEFAULT_LOW(d)) return between(0.25);
  if (LADSPA_IS_HINT_DEFAULT_MIDDLE(d)) return between(0.5);
  if (LADSPA_IS_HINT_DEFAULT_HIGH(d)) return between(0.75);
  if (LADSPA_IS_HINT_DEFAULT_MAXIMUM(d)) return static_cast<float>(hi);
  if (LADSPA_IS_HINT_DEFAULT_0(d)) return 0.0f;
  if (LADSPA_IS_HINT_DEFAULT_1(d)) return 1.0f;
  if (LADSPA_IS_HINT_DEFAULT_100(d)) return 100.0f;
  if (LADSPA_IS_HINT_DEFAULT_440(d)) return 440.0f;
  return std::nullopt;
}

}  // namespace

TEST(PluginLibrary, DescriptorMatchesThePortTable) {
  Library lib;
  ASSERT_NE(lib.Entry, nullptr) << dlerror();
  const LADSPA_Descriptor* d = lib.Entry(0);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->UniqueID, 1043u);
  EXPECT_STREQ(d->Label, "vorel");
  EXPECT_STREQ(d->Name, "Vorel");
  EXPECT_EQ(d->Properties, 4);
  EXPECT_NE(d->Maker, nullptr);
  EXPECT_NE(d->Copyright, nullptr);
  ASSERT_EQ(d->PortCount, 8u);
  const char* names[] = {"s&h", "gain", "direction", "bitmask", "amp-mod amt", "process-typ", "in", "out"};
  const int descriptors[] = {5, 5, 5, 5, 5, 5, 9, 10};
  const int hints[] = {611, 595, 627, 531, 531, 563, 0, 0};
  const std::optional<float> defaults[] = {1, 1, 1, 0, 0, 0, std::nullopt, std::nullopt};
  for (unsigned long i = 0; i < 8; ++i) {
    const vorel::PortEntry& e = vorel::kPortTable[i];
    EXPECT_EQ(std::string(d->PortNames[i]), names[i]);
    EXPECT_STREQ(e.Name, names[i]);
    EXPECT_EQ(d->PortDescriptors[i], descriptors[i]);
    EXPECT_EQ(e.Descriptor, descriptors[i]);
    EXPECT_EQ(d->PortRangeHints[i].HintDescriptor, hints[i]);
    EXPECT_EQ(e.Hints, hints[i]);
    EXPECT_EQ(HostDefault(d->PortRangeHints[i]), defaults[i]) << names[i];
    if (i < vorel::kControlPortCount) {
      EXPECT_EQ(d->PortRangeHints[i].LowerBound, e.LowerBound);
      EXPECT_EQ(d->PortRangeHints[i].UpperBound, e.UpperBound);
    }
  }
  const float bounds[][2] = {{1, 43}, {0, 2}, {0, 1}, {0, 1}, {0, 1}, {0, 1}};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(vorel::kPortTable[i].LowerBound, bounds[i][0]);
    EXPECT_EQ(vorel::kPortTable[i].UpperBound, bounds[i][1]);
  }
  EXPECT_TRUE(d->instantiate && d->connect_port && d->run && d->cleanup);
  EXPECT_FALSE(d->activate || d->run_adding || d->set_run_adding_gain || d->deactivate);
}

TEST(PluginLibrary, OnlyIndexZeroHasAPluginAlwaysTheSameOne) {
  Library lib;
  ASSERT_NE(lib.Entry, nullptr);
  EXPECT_EQ(lib.Entry(0), lib.Entry(0));
  EXPECT_EQ(lib.Entry(1), nullptr);
  EXPECT_EQ(lib.Entry(~0ul), nullptr);
}

TEST(PluginLibrary, ExportsExactlyTheThreeEntryPoints) {
  FILE* nm = popen("nm -D --defined-only '" VOREL_LIBRARY_PATH "'", "r");
  ASSERT_NE(nm, nullptr);
  std::set<std::string> names;
  char line[512], name[256];
  while (std::fgets(line, sizeof line, nm) != nullptr) {
    if (std::sscanf(line, "%*s %*s %255s", name) == 1) names.insert(name);
  }
  EXPECT_EQ(pclose(nm), 0);
  EXPECT_EQ(names, (std::set<std::string>{"_fini", "_init", "ladspa_descriptor"}));
}

TEST(PluginLibrary, LoadingBuildsAndUnloadingReleasesTheDescriptor) {
  const long before = alloc_probe::LiveAllocations();
  for (int round = 0; round < 50; ++round) {
    Library lib;
    ASSERT_NE(lib.Entry, nullptr);
    ASSERT_NE(lib.Entry(0), nullptr);
    if (round % 2 == 1) {
      // A host may release the descriptor itself; unloading then does nothing more.
      reinterpret_cast<void (*)()>(dlsym(lib.Handle, "_fini"))();
      EXPECT_EQ(lib.Entry(0), nullptr);
      EXPECT_EQ(alloc_probe::LiveAllocations(), before);
    }
  }
  EXPECT_EQ(alloc_probe::LiveAllocations(), before);
}

TEST(PluginLibrary, InstantiateReturnsNullWithoutALeakWhenMemoryRunsOut) {
  Library lib;
  const LADSPA_Descriptor* d = lib.Entry(0);
  ASSERT_NE(d, nullptr);
  const long before = alloc_probe::LiveAllocations();
  LADSPA_Handle handle = nullptr;
  long failing = 1;
  for (; handle == nullptr && failing < 1000; ++failing) {
    alloc_probe::FailAllocation(failing);
    handle = d->instantiate(d, 44100);
    alloc_probe::FailAllocation(0);
    if (handle == nullptr) {
      EXPECT_EQ(alloc_probe::LiveAllocations(), before) << failing;
    }
  }
  EXPECT_GT(failing, 2);  // at least the record and one buffer could fail
  ASSERT_NE(handle, nullptr);
  d->cleanup(handle);
  EXPECT_EQ(alloc_probe::LiveAllocations(), before);
}
