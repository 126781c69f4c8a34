#include "vorel-render/input_file.h"

#include <stdexcept>

namespace render {

InputFile::InputFile(const std::string& path) : path_(path) {
  file_ = sf_open(path.c_str(), SFM_READ, &info_);
  if (file_ == nullptr) {
    throw std::runtime_error("cannot read input " + path + ": " + sf_strerror(nullptr));
  }
  if (info_.channels < 1 || info_.samplerate < 1) {
    sf_close(file_);
    throw std::runtime_error("input " + path + " has no audio channels or no sample rate");
  }
}

InputFile::~InputFile() { sf_close(file_); }

sf_count_t InputFile::Read(float* interleaved, sf_count_t frames) {
  const sf_count_t got = sf_readf_float(file_, interleaved, frames);
  if (got < frames && sf_error(file_) != SF_ERR_NO_ERROR) {
    throw std::runtime_error("error reading " + path_ + ": " + sf_strerror(file_));
  }
  return got;
}

}  // namespace render
