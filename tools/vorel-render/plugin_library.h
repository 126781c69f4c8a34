// Finds a LADSPA plugin library, loads it with the dynamic loader and picks
// one plugin out of it by label.
#pragma once

#include <ladspa.h>

#include <string>

namespace render {

// The file name hosts look for in each LADSPA_PATH directory.
inline constexpr const char* kPluginFile = "libvorel.so";
inline constexpr const char* kPluginLabel = "vorel";

// The directories to search: LADSPA_PATH when set, else the ladspa directory
// beside this program's installation and the system's usual ones.
std::string LadspaSearchPath();

// The first directory of the colon-separated list that holds fileName, joined
// with it. Throws when no directory does, naming the directories searched.
std::string SearchPluginPath(const std::string& fileName, const std::string& dirs);

// A loaded library and the descriptor of one of its plugins. The library
// stays loaded for the object's lifetime.
class PluginLibrary {
 public:
  // Loads path and finds the plugin labelled label; throws with the loader's
  // message, or when no descriptor carries the label.
  PluginLibrary(const std::string& path, const std::string& label);
  ~PluginLibrary();
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;

  const LADSPA_Descriptor& Descriptor() const { return *descriptor_; }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  void* handle_ = nullptr;
  const LADSPA_Descriptor* descriptor_ = nullptr;
};

}  // namespace render
