// A saved state on its way between the host's stream and DPF's state calls,
// the same in both formats. A host's stream may take or give fewer bytes
// than asked for in a call, so both directions loop; DPF is given and
// asked for the whole state at once, from and into memory, and only ever
// sees a state in the plugin's own form (saved_state.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include "vst3_clap/saved_state.h"

namespace vorel {

// A state in memory, as DPF reads and writes it through a stream of the
// format's that forwards here.
struct StateBuffer {
  char Bytes[kMaxStateSize];
  std::size_t Size = 0;
  std::size_t ReadPosition = 0;

  // All of size bytes, or -1 (and nothing) when they do not fit.
  int64_t Put(const void* data, uint64_t size);
  // Up to size bytes from the read position; 0 at the end.
  int64_t Take(void* data, uint64_t size);
};

// One call of the host's stream: the bytes read or written, 0 at its end,
// or a negative number when it fails.
using ReadChunk = int64_t (*)(void* stream, char* buffer, std::size_t size);
using WriteChunk = int64_t (*)(void* stream, const char* buffer, std::size_t size);

// Reads the host's state up to its terminator or the stream's end and, if
// it is one the plugin takes, writes it into state in the plugin's own
// form. False if the stream fails or the state is longer than
// kMaxStateSize or not taken.
bool ReceiveState(ReadChunk read, void* stream, StateBuffer& state);

// Writes the state DPF saved into the host's stream in the plugin's own
// form; false if the stream fails or the state is not one the plugin takes.
bool SendState(const StateBuffer& saved, WriteChunk write, void* stream);

}  // namespace vorel
