// Heap functions that count while armed and forward to the C library's own
// implementations (glibc's __libc_* entry points), so that nothing else
// about the allocator changes. Not for sanitizer builds, whose runtimes
// replace the same functions.
#include "support/alloc_counter.h"

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <new>

extern "C" {
void* __libc_malloc(size_t size);
void __libc_free(void* p);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* p, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void* __libc_valloc(size_t size);
void* __libc_pvalloc(size_t size);
}

namespace {

std::atomic<bool> gArmed{false};
std::atomic<long> gCalls{0};

inline void Count() {
  if (gArmed.load(std::memory_order_relaxed)) gCalls.fetch_add(1, std::memory_order_relaxed);
}

void* NewOrThrow(size_t size, size_t alignment) {
  Count();
  if (size == 0) size = 1;
  void* p = alignment <= alignof(std::max_align_t) ? __libc_malloc(size) : __libc_memalign(alignment, size);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

void* NewOrNull(size_t size, size_t alignment) noexcept {
  try {
    return NewOrThrow(size, alignment);
  } catch (...) {
    return nullptr;
  }
}

void Delete(void* p) noexcept {
  Count();
  __libc_free(p);
}

constexpr size_t kPlain = alignof(std::max_align_t);

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

}  // namespace alloc_counter

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

void* operator new(size_t size) { return NewOrThrow(size, kPlain); }
void* operator new[](size_t size) { return NewOrThrow(size, kPlain); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return NewOrNull(size, kPlain); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return NewOrNull(size, kPlain); }
void* operator new(size_t size, std::align_val_t a) { return NewOrThrow(size, static_cast<size_t>(a)); }
void* operator new[](size_t size, std::align_val_t a) { return NewOrThrow(size, static_cast<size_t>(a)); }
void* operator new(size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
  return NewOrNull(size, static_cast<size_t>(a));
}
void* operator new[](size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
  return NewOrNull(size, static_cast<size_t>(a));
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
