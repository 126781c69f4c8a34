// The CLAP module's array allocation functions, on the C library's heap.
//
// DPF's CLAP wrapper (DistrhoPluginCLAP.cpp, 1.6 and 1.7) keeps the
// editor's parameter events in a buffer it grows with malloc and realloc,
// and its destructor frees with delete[]: undefined behaviour, reported by
// AddressSanitizer as an alloc-dealloc mismatch whenever a plugin whose
// editor sent a change is destroyed. Within this module new[] and delete[]
// take the memory from malloc and give it back to free, so that buffer is
// freed as it was allocated. The version script keeps these definitions
// inside the module; hosts and other plugins keep their own.
#include <cstdlib>
#include <new>

void* operator new[](std::size_t size) {
  if (void* memory = std::malloc(size != 0 ? size : 1)) return memory;
  throw std::bad_alloc();
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return std::malloc(size != 0 ? size : 1);
}

void operator delete[](void* memory) noexcept { std::free(memory); }

void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }

void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
