// A progress bar on stderr for renders long enough to wait for.
#pragma once

#include <cstdint>

namespace render {

class Progress {
 public:
  // Shows a bar only when enabled and total is known (positive).
  Progress(int64_t total, bool enabled);
  ~Progress();

  // Counts done more frames and redraws when the percentage changes.
  void Advance(int64_t done);

 private:
  void Draw();

  int64_t total_;
  int64_t done_ = 0;
  int shown_ = -1;
  bool enabled_;
};

// True when stderr is a terminal and the file lasts long enough (ten
// seconds) for a bar to help.
bool WantsProgress(int64_t frames, int sampleRate);

}  // namespace render
