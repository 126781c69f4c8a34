#include "alloc_probe.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> gLive{0};
std::atomic<long> gCountdown{0};

void* Allocate(std::size_t size) {
  if (gCountdown.load() > 0 && gCountdown.fetch_sub(1) == 1) return nullptr;
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p != nullptr) ++gLive;
  return p;
}
}  // namespace

namespace alloc_probe {
long LiveAllocations() { return gLive.load(); }
void FailAllocation(long n) { gCountdown.store(n); }
}  // namespace alloc_probe

void* operator new(std::size_t size) {
  void* p = Allocate(size);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* p) noexcept {
  if (p != nullptr) --gLive;
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete[](void* p, std::size_t) noexcept { operator delete(p); }
