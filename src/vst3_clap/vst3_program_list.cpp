#include "vst3_clap/vst3_program_list.h"

#include <iterator>

#include "effect/presets.h"

namespace vorel {

namespace {

constexpr int32_t kRootUnit = 0;
constexpr int32_t kProgramCount = static_cast<int32_t>(std::size(kPresets));

// An ASCII name as VST3's UTF-16 string, cut to fit and always ended.
void CopyName(const char* name, v3_str_128 out) {
  int i = 0;
  for (; i < 127 && name[i] != '\0'; ++i) out[i] = static_cast<int16_t>(name[i]);
  out[i] = 0;
}

}  // namespace

// Every index and ID comes from the host, so each is checked first.
// Constant, so that it is whole before any other file's tables copy it.
constexpr v3_unit_information kProgramListCalls = {
    [](void*) -> int32_t { return 1; },
    [](void*, int32_t index, v3_unit_info* info) -> v3_result {
      if (index != 0 || info == nullptr) return V3_INVALID_ARG;
      *info = {};
      info->id = kRootUnit;
      info->parent_unit_id = -1;
      CopyName("Root", info->name);
      info->program_list_id = kProgramListId;
      return V3_OK;
    },
    [](void*) -> int32_t { return 1; },
    [](void*, int32_t index, v3_program_list_info* info) -> v3_result {
      if (index != 0 || info == nullptr) return V3_INVALID_ARG;
      *info = {};
      info->id = kProgramListId;
      CopyName("Presets", info->name);
      info->programCount = kProgramCount;
      return V3_OK;
    },
    [](void*, int32_t list, int32_t program, v3_str_128 name) -> v3_result {
      if (list != kProgramListId || program < 0 || program >= kProgramCount || name == nullptr)
        return V3_INVALID_ARG;
      CopyName(kPresets[program].Name, name);
      return V3_OK;
    },
    [](void*, int32_t, int32_t, const char*, v3_str_128) -> v3_result { return V3_FALSE; },
    [](void*, int32_t, int32_t) -> v3_result { return V3_FALSE; },
    [](void*, int32_t, int32_t, int16_t, v3_str_128) -> v3_result { return V3_FALSE; },
    [](void*) -> int32_t { return kRootUnit; },
    [](void*, int32_t unit) -> v3_result { return unit == kRootUnit ? V3_OK : V3_INVALID_ARG; },
    [](void*, int32_t, int32_t, int32_t, int32_t, int32_t*) -> v3_result { return V3_FALSE; },
    // A program is a preset of the table: no host data to load into one.
    [](void*, int32_t, int32_t, v3_bstream**) -> v3_result { return V3_NOT_IMPLEMENTED; }};

}  // namespace vorel
