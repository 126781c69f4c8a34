// The effect's whole processing chain for one mono stream, independent of
// any plugin format: the six controls taken over once per block, the
// spectral engine, then the output stabiliser. Each plugin format's glue
// converts its host's calls into calls of this class.
//
// Real-time promise: the constructor allocates every buffer; Run and Reset
// allocate nothing, take no lock, make no system call and do not throw.
#pragma once

#include <cstddef>

#include "dsp/quantiser/quantiser.h"
#include "dsp/stabilizer/stabilizer.h"
#include "effect/port_table.h"

namespace vorel {

class Processor {
 public:
  // The output is the input this many samples late.
  static constexpr unsigned kLatency = TQuantiser::kFrameLength;

  explicit Processor(float sampleRate);

  // Takes over the six raw control values (port order), then processes
  // count samples from in into out. in is never written; in and out may be
  // the same buffer. Any count is taken, in pieces the engine can count.
  void Run(const float* controls, const float* in, float* out, std::size_t count);

  // Back to the state of a newly built processor at the same rate, without
  // allocating.
  void Reset();

  // The engine, read-only: what the editor is shown comes from here.
  const TQuantiser& Engine() const { return Quantiser; }

 private:
  friend class ProcessorTestAccess;

  TQuantiser Quantiser;
  TStabilize Stabilizer;
};

}  // namespace vorel
