#include "vorel-render/progress.h"

#include <unistd.h>

#include <cstdio>

namespace render {

Progress::Progress(int64_t total, bool enabled) : total_(total), enabled_(enabled && total > 0) {}

Progress::~Progress() {
  if (enabled_ && shown_ >= 0) std::fputc('\n', stderr);
}

void Progress::Advance(int64_t done) {
  done_ += done;
  if (!enabled_) return;
  const int percent = static_cast<int>(done_ >= total_ ? 100 : done_ * 100 / total_);
  if (percent != shown_) {
    shown_ = percent;
    Draw();
  }
}

void Progress::Draw() {
  constexpr int kWidth = 40;
  char bar[kWidth + 1];
  const int filled = shown_ * kWidth / 100;
  for (int i = 0; i < kWidth; ++i) bar[i] = i < filled ? '#' : '.';
  bar[kWidth] = '\0';
  std::fprintf(stderr, "\rvorel-render [%s] %3d%%", bar, shown_);
  std::fflush(stderr);
}

bool WantsProgress(int64_t frames, int sampleRate) {
  return isatty(STDERR_FILENO) && frames > int64_t{10} * sampleRate;
}

}  // namespace render
