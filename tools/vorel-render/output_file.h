// An audio file written with libsndfile that appears under its name only
// when complete: the samples go to a temporary file in the same directory,
// which Commit renames into place. Until then the temporary file is removed
// on failure, when the object is destroyed, and on SIGINT, SIGTERM or SIGHUP.
#pragma once

#include <sndfile.h>

#include <string>

namespace render {

class OutputFile {
 public:
  // Creates the temporary file and opens it with the given libsndfile format.
  // Throws when the directory is not writable or libsndfile refuses.
  OutputFile(const std::string& path, int format, int channels, int sampleRate);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Appends frames interleaved frames; throws on a write error.
  void Write(const float* interleaved, sf_count_t frames);

  // Finishes the file and gives it its real name.
  void Commit();

 private:
  void Discard();

  std::string path_;
  std::string temp_;
  SNDFILE* file_ = nullptr;
  bool committed_ = false;
};

}  // namespace render
