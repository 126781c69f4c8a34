// Heap functions that count and forward to the C library's own
// implementations (glibc's __libc_* entry points), so that nothing else
// about the allocator changes; under a sanitizer, operator new and delete
// forward to the sanitizer's malloc and free instead.
#include "support/alloc_counter.h"

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VOREL_SANITIZED_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define VOREL_SANITIZED_HEAP 1
#endif
#endif

#ifndef VOREL_SANITIZED_HEAP
extern "C" {
void* __libc_malloc(size_t size);
void __libc_free(void* p);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* p, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void* __libc_valloc(size_t size);
void* __libc_pvalloc(size_t size);
}
#endif

namespace {

std::atomic<bool> gArmed{false};
std::atomic<long> gCalls{0};
std::atomic<long> gLive{0};
std::atomic<long> gCountdown{0};

constexpr size_t kPlain = alignof(std::max_align_t);

inline void Count() {
  if (gArmed.load(std::memory_order_relaxed)) gCalls.fetch_add(1, std::memory_order_relaxed);
}

// The underlying allocator, below whatever this file replaces.
#ifndef VOREL_SANITIZED_HEAP
void* RawAllocate(size_t size, size_t alignment) {
  return alignment <= kPlain ? __libc_malloc(size) : __libc_memalign(alignment, size);
}
void RawFree(void* p) { __libc_free(p); }
#else
void* RawAllocate(size_t size, size_t alignment) {
  if (alignment <= kPlain) return std::malloc(size);
  void* p = nullptr;
  return posix_memalign(&p, alignment, size) == 0 ? p : nullptr;
}
void RawFree(void* p) { std::free(p); }
#endif

// Null when memory ran out or the planned failure has come.
void* NewBlock(size_t size, size_t alignment) noexcept {
  Count();
  if (gCountdown.load() > 0 && gCountdown.fetch_sub(1) == 1) return nullptr;
  void* p = RawAllocate(size == 0 ? 1 : size, alignment);
  if (p != nullptr) gLive.fetch_add(1);
  return p;
}

void* NewOrThrow(size_t size, size_t alignment) {
  void* p = NewBlock(size, alignment);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

void Delete(void* p) noexcept {
  Count();
  if (p != nullptr) gLive.fetch_sub(1);
  RawFree(p);
}

}  // namespace

namespace alloc_counter {

void Arm() {
  gCalls.store(0);
  gArmed.store(true);
}

long Disarm() {
  gArmed.store(false);
  return gCalls.load();
}

long LiveAllocations() { return gLive.load(); }

void FailAllocation(long n) { gCountdown.store(n); }

}  // namespace alloc_counter

#ifndef VOREL_SANITIZED_HEAP
extern "C" {

void* malloc(size_t size) noexcept {
  Count();
  return __libc_malloc(size);
}

void free(void* p) noexcept {
  Count();
  __libc_free(p);
}

void* calloc(size_t count, size_t size) noexcept {
  Count();
  return __libc_calloc(count, size);
}

void* realloc(void* p, size_t size) noexcept {
  Count();
  return __libc_realloc(p, size);
}

void* memalign(size_t alignment, size_t size) noexcept {
  Count();
  return __libc_memalign(alignment, size);
}

void* aligned_alloc(size_t alignment, size_t size) noexcept {
  Count();
  return __libc_memalign(alignment, size);
}

int posix_memalign(void** out, size_t alignment, size_t size) noexcept {
  Count();
  if (alignment % sizeof(void*) != 0 || (alignment & (alignment - 1)) != 0) return EINVAL;
  void* p = __libc_memalign(alignment, size);
  if (p == nullptr) return ENOMEM;
  *out = p;
  return 0;
}

void* valloc(size_t size) noexcept {
  Count();
  return __libc_valloc(size);
}

void* pvalloc(size_t size) noexcept {
  Count();
  return __libc_pvalloc(size);
}

}  // extern "C"
#endif

void* operator new(size_t size) { return NewOrThrow(size, kPlain); }
void* operator new[](size_t size) { return NewOrThrow(size, kPlain); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return NewBlock(size, kPlain); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return NewBlock(size, kPlain); }
void* operator new(size_t size, std::align_val_t a) {
  return NewOrThrow(size, static_cast<size_t>(a));
}
void* operator new[](size_t size, std::align_val_t a) {
  return NewOrThrow(size, static_cast<size_t>(a));
}
void* operator new(size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
  return NewBlock(size, static_cast<size_t>(a));
}
void* operator new[](size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
  return NewBlock(size, static_cast<size_t>(a));
}

void operator delete(void* p) noexcept { Delete(p); }
void operator delete[](void* p) noexcept { Delete(p); }
void operator delete(void* p, size_t) noexcept { Delete(p); }
void operator delete[](void* p, size_t) noexcept { Delete(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Delete(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Delete(p); }
void operator delete(void* p, std::align_val_t) noexcept { Delete(p); }
void operator delete[](void* p, std::align_val_t) noexcept { Delete(p); }
void operator delete(void* p, size_t, std::align_val_t) noexcept { Delete(p); }
void operator delete[](void* p, size_t, std::align_val_t) noexcept { Delete(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { Delete(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { Delete(p); }
