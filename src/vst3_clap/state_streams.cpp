#include "vst3_clap/state_streams.h"

#include <algorithm>
#include <cstring>

namespace vorel {

namespace {

// Rewrites a state in the plugin's own form; false if it is not taken.
bool Rewrite(const char* text, std::size_t size, StateBuffer& state) {
  SavedState values;
  if (!ReadSavedState(text, size, values)) return false;
  state.Size = WriteSavedState(values, state.Bytes, sizeof(state.Bytes));
  state.ReadPosition = 0;
  return state.Size > 0;
}

}  // namespace

int64_t StateBuffer::Put(const void* data, uint64_t size) {
  if (size > sizeof(Bytes) - Size) return -1;
  std::memcpy(Bytes + Size, data, size);
  Size += size;
  return static_cast<int64_t>(size);
}

int64_t StateBuffer::Take(void* data, uint64_t size) {
  const std::size_t count = std::min<uint64_t>(size, Size - ReadPosition);
  std::memcpy(data, Bytes + ReadPosition, count);
  ReadPosition += count;
  return static_cast<int64_t>(count);
}

bool ReceiveState(ReadChunk read, void* stream, StateBuffer& state) {
  char received[kMaxStateSize];
  std::size_t size = 0;
  for (bool terminated = false; !terminated;) {
    if (size == sizeof(received)) return false;
    const int64_t count = read(stream, received + size, sizeof(received) - size);
    if (count < 0 || static_cast<uint64_t>(count) > sizeof(received) - size) return false;
    if (count == 0) break;
    terminated = std::memchr(received + size, '\xfe', count) != nullptr;
    size += static_cast<std::size_t>(count);
  }
  return Rewrite(received, size, state);
}

bool SendState(const StateBuffer& saved, WriteChunk write, void* stream) {
  StateBuffer state;
  if (!Rewrite(saved.Bytes, saved.Size, state)) return false;
  for (const char* at = state.Bytes; at != state.Bytes + state.Size;) {
    const int64_t count = write(stream, at, state.Bytes + state.Size - at);
    if (count <= 0 || count > state.Bytes + state.Size - at) return false;
    at += count;
  }
  return true;
}

}  // namespace vorel
