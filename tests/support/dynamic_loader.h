// The dynamic loader as the tests' hosts call it: POSIX's dlopen, dlsym,
// dlclose and dlerror, or on Windows the same four over LoadLibrary, so
// that a host loads a DLL with the code that loads a shared object.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// 16-bit Windows' pointer qualifiers, macros of nothing: the tests use the
// words as names.
#undef near
#undef far

#include <cstdio>

#define RTLD_NOW 0
#define RTLD_LOCAL 0
#define RTLD_NOLOAD 4

// RTLD_NOLOAD: the module if already loaded (counted, as dlopen counts it).
inline void* dlopen(const char* path, int flags) {
  HMODULE module = nullptr;
  if (flags & RTLD_NOLOAD) return GetModuleHandleExA(0, path, &module) ? module : nullptr;
  return LoadLibraryA(path);
}
inline void* dlsym(void* module, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}
inline int dlclose(void* module) { return FreeLibrary(static_cast<HMODULE>(module)) ? 0 : -1; }
inline const char* dlerror() {
  static char text[32];
  std::snprintf(text, sizeof text, "Windows error %lu", GetLastError());
  return text;
}
#else
#include <dlfcn.h>
#endif
