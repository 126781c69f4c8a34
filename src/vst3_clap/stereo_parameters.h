// The VST3 and CLAP plugin's parameters: the effect's parameter list
// (effect/parameters.h), numbered as it is, with the names its saved
// states keep them under.
#pragma once

#include <cstdint>

#include "effect/parameters.h"

namespace vorel {

// The parameter IDs are the effect's parameter numbers: the six controls in
// port order, the mix, then the host's bypass.
constexpr uint32_t StereoParameterCount = EffectParameterCount;

// The name DPF gives the bypass parameter, under which its saved states
// keep it; the others are the port table's symbols.
constexpr const char* kBypassSymbol = "dpf_bypass";

// For a parameter number below StereoParameterCount.
const char* SymbolOf(uint32_t parameter);

}  // namespace vorel
