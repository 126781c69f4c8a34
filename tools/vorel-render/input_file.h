// An audio file opened for reading with libsndfile, read as interleaved
// 32-bit float frames.
#pragma once

#include <sndfile.h>

#include <string>

namespace render {

class InputFile {
 public:
  // Throws with libsndfile's reason when the file cannot be opened or holds
  // no audio channels.
  explicit InputFile(const std::string& path);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  int Channels() const { return info_.channels; }
  int SampleRate() const { return info_.samplerate; }
  sf_count_t Frames() const { return info_.frames; }

  // Reads up to frames frames into interleaved; returns how many it read,
  // 0 at the end. Throws on a read error.
  sf_count_t Read(float* interleaved, sf_count_t frames);

 private:
  std::string path_;
  SF_INFO info_{};
  SNDFILE* file_ = nullptr;
};

}  // namespace render
