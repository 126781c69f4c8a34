#include "vorel-render/plugin_library.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace render {

std::string LadspaSearchPath() {
  const char* env = std::getenv("LADSPA_PATH");
  if (env != nullptr && *env != '\0') return env;
  std::string dirs;
  char exe[4096];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n > 0) {
    std::string self(exe, static_cast<std::size_t>(n));
    self.erase(self.find_last_of('/'));
    dirs = self + "/../lib/ladspa:";
  }
  return dirs + "/usr/local/lib/ladspa:/usr/lib/ladspa";
}

std::string SearchPluginPath(const std::string& fileName, const std::string& dirs) {
  std::string::size_type start = 0;
  while (start <= dirs.size()) {
    std::string::size_type end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const std::string dir = dirs.substr(start, end - start);
    if (!dir.empty()) {
      const std::string candidate = dir + (dir.back() == '/' ? "" : "/") + fileName;
      if (access(candidate.c_str(), F_OK) == 0) return candidate;
    }
    start = end + 1;
  }
  throw std::runtime_error("cannot find " + fileName + " in " + dirs +
                           " (set LADSPA_PATH to the directory holding it, or give --plugin PATH)");
}

PluginLibrary::PluginLibrary(const std::string& path, const std::string& label) : path_(path) {
  // A bare file name would send the loader to the system library path;
  // the user means the file in the current directory.
  const std::string loadPath = path.find('/') == std::string::npos ? "./" + path : path;
  handle_ = dlopen(loadPath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    const char* why = dlerror();
    throw std::runtime_error("cannot load plugin " + path + ": " + (why ? why : "unknown error"));
  }
  dlerror();
  auto entry = reinterpret_cast<LADSPA_Descriptor_Function>(dlsym(handle_, "ladspa_descriptor"));
  if (entry == nullptr) {
    dlclose(handle_);
    throw std::runtime_error(path + " is not a LADSPA plugin library (no ladspa_descriptor)");
  }
  for (unsigned long i = 0;; ++i) {
    const LADSPA_Descriptor* d = entry(i);
    if (d == nullptr) break;
    if (d->Label != nullptr && label == d->Label) {
      descriptor_ = d;
      break;
    }
  }
  if (descriptor_ == nullptr) {
    dlclose(handle_);
    throw std::runtime_error(path + " holds no plugin labelled \"" + label + "\"");
  }
}

PluginLibrary::~PluginLibrary() { dlclose(handle_); }

}  // namespace render
