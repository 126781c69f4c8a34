#include "vst3_clap/stereo_parameters.h"

namespace vorel {

const char* SymbolOf(uint32_t parameter) {
  if (parameter == BypassParameter) return kBypassSymbol;
  return parameter == MixParameter ? kMixControl.Symbol : kPortTable[parameter].Symbol;
}

}  // namespace vorel
