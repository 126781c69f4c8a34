// The presets as VST3 hosts list them in their own preset menu: the
// plugin's one unit, the root, with one program list holding the presets by
// name in the preset table's order. The list's parameter is DPF's program
// change parameter, which sits in the root unit, so a host that picks a
// program sets that parameter and the preset loads as it always has.
// Nothing here keeps state: the table answers for every instance.
#pragma once

#include <travesty/unit.h>

namespace vorel {

// The ID of the one program list, as the root unit names it.
constexpr int32_t kProgramListId = 1;

// The unit calls, without the reference counting of the object they are part of.
extern const v3_unit_information kProgramListCalls;

}  // namespace vorel
