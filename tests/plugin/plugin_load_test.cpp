// Loads the built plugin library the way a host does, through the dynamic
// loader, and checks what a host can see of it.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include "support/alloc_counter.h"
#include "support/ladspa_host.h"

using vorel_host::Library;

// The ports, names, hints and defaults are pinned by the analyseplugin test;
// here, what a listing does not show: the callbacks a host may call.
TEST(PluginLibrary, OffersExactlyTheFourCallbacksOfAPluginWithoutActivation) {
  Library lib(VOREL_LIBRARY_PATH);
  const LADSPA_Descriptor* d = lib.Descriptor();
  ASSERT_NE(d, nullptr) << dlerror();
  EXPECT_TRUE(d->instantiate && d->connect_port && d->run && d->cleanup);
  EXPECT_FALSE(d->activate || d->run_adding || d->set_run_adding_gain || d->deactivate);
}

TEST(PluginLibrary, OnlyIndexZeroHasAPluginAlwaysTheSameOne) {
  Library lib(VOREL_LIBRARY_PATH);
  ASSERT_NE(lib.Entry(), nullptr);
  EXPECT_EQ(lib.Entry()(0), lib.Entry()(0));
  EXPECT_EQ(lib.Entry()(1), nullptr);
  EXPECT_EQ(lib.Entry()(~0ul), nullptr);
}

#ifdef _WIN32
// A Windows DLL links its own C++ runtime and heap functions, so no test
// program sees or fails its allocations; and its exports are in a PE table,
// which tests/windows reads.
TEST(PluginLibrary, ExportsAndHeapAsOnLinux) {
  GTEST_SKIP()
      << "Linux only: ELF's dynamic symbols and a heap the program replaces for the plugin too";
}
#else
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

TEST(PluginLibrary, LoadingLeavesNothingAllocatedAndFiniWithdrawsTheDescriptor) {
  const long before = alloc_counter::LiveAllocations();
  for (int round = 0; round < 50; ++round) {
    Library lib(VOREL_LIBRARY_PATH);
    ASSERT_NE(lib.Entry(), nullptr);
    ASSERT_NE(lib.Entry()(0), nullptr);
    if (round % 2 == 1) {
      // A host may release the descriptor itself; unloading then does nothing more.
      reinterpret_cast<void (*)()>(dlsym(lib.Handle(), "_fini"))();
      EXPECT_EQ(lib.Entry()(0), nullptr);
      EXPECT_EQ(alloc_counter::LiveAllocations(), before);
    }
  }
  EXPECT_EQ(alloc_counter::LiveAllocations(), before);
}

TEST(PluginLibrary, InstantiateReturnsNullWithoutALeakWhenMemoryRunsOut) {
  Library lib(VOREL_LIBRARY_PATH);
  const LADSPA_Descriptor* d = lib.Descriptor();
  ASSERT_NE(d, nullptr);
  const long before = alloc_counter::LiveAllocations();
  LADSPA_Handle handle = nullptr;
  long failing = 1;
  for (; handle == nullptr && failing < 1000; ++failing) {
    alloc_counter::FailAllocation(failing);
    handle = d->instantiate(d, 44100);
    alloc_counter::FailAllocation(0);
    if (handle == nullptr) {
      EXPECT_EQ(alloc_counter::LiveAllocations(), before) << failing;
    }
  }
  EXPECT_GT(failing, 2);  // at least the record and one buffer could fail
  ASSERT_NE(handle, nullptr);
  d->cleanup(handle);
  EXPECT_EQ(alloc_counter::LiveAllocations(), before);
}
#endif
