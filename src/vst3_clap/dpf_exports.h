// Included before DPF's sources. On Windows DPF and the CLAP headers mark
// entry points and DllMain __declspec(dllexport), which exports them beside
// what the module-definition file names: DllMain, and the entry points this
// glue renames and wraps. Here DPF's sources export nothing themselves; the
// .def file names every export.
#pragma once

#ifdef _WIN32
#include <DistrhoDefines.h>
#undef DISTRHO_PLUGIN_EXPORT
#define DISTRHO_PLUGIN_EXPORT extern "C"
#define CLAP_EXPORT
#endif
