#include "vorel-render/output_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <stdexcept>

#include "vorel-render/file_formats.h"

namespace render {

namespace {

// The temporary file's name for the signal handler, which may only call
// async-signal-safe functions and so cannot touch a std::string.
char gPendingTemp[4096];

void RemovePendingTemp(int signal) {
  if (gPendingTemp[0] != '\0') unlink(gPendingTemp);
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

void WatchSignals(const std::string& temp) {
  if (temp.size() >= sizeof gPendingTemp) return;
  std::memcpy(gPendingTemp, temp.c_str(), temp.size() + 1);
  for (int s : {SIGINT, SIGTERM, SIGHUP}) std::signal(s, RemovePendingTemp);
}

void UnwatchSignals() {
  for (int s : {SIGINT, SIGTERM, SIGHUP}) std::signal(s, SIG_DFL);
  gPendingTemp[0] = '\0';
}

std::string Directory(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

OutputFile::OutputFile(const std::string& path, int format, int channels, int sampleRate)
    : path_(path) {
  std::string pattern = Directory(path) + "/." + BaseName(path) + ".XXXXXX";
  // No signal may land between creating the file and arming its removal.
  sigset_t stop, previous;
  sigemptyset(&stop);
  for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stop, s);
  sigprocmask(SIG_BLOCK, &stop, &previous);
  const int fd = mkstemp(pattern.data());
  const int error = errno;
  if (fd >= 0) WatchSignals(pattern);
  sigprocmask(SIG_SETMASK, &previous, nullptr);
  if (fd < 0) {
    throw std::runtime_error("cannot write output " + path + ": " + std::strerror(error));
  }
  temp_ = pattern;

  // mkstemp makes the file private; give it the permissions a new file gets.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);

  SF_INFO info{};
  info.format = format;
  info.channels = channels;
  info.samplerate = sampleRate;
  file_ = sf_open_fd(fd, SFM_WRITE, &info, SF_TRUE);
  if (file_ == nullptr) {
    const std::string why = sf_strerror(nullptr);
    close(fd);
    Discard();
    throw std::runtime_error("cannot write output " + path + ": " + why);
  }
  // Integer samples wrap around past full scale unless told to clip.
  if (IsIntegerEncoding(format)) sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
  // The peak chunk carries the time of writing; without it the same render
  // gives the same file.
  sf_command(file_, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
}

OutputFile::~OutputFile() {
  if (!committed_) Discard();
}

void OutputFile::Write(const float* interleaved, sf_count_t frames) {
  if (sf_writef_float(file_, interleaved, frames) != frames) {
    throw std::runtime_error("error writing " + path_ + ": " + sf_strerror(file_));
  }
}

void OutputFile::Commit() {
  const int closed = sf_close(file_);
  file_ = nullptr;
  if (closed != 0) {
    throw std::runtime_error("error finishing " + path_ + ": " + sf_error_number(closed));
  }
  if (std::rename(temp_.c_str(), path_.c_str()) != 0) {
    throw std::runtime_error("cannot move the finished output to " + path_ + ": " +
                             std::strerror(errno));
  }
  committed_ = true;
  UnwatchSignals();
}

void OutputFile::Discard() {
  if (file_ != nullptr) sf_close(file_);
  file_ = nullptr;
  unlink(temp_.c_str());
  UnwatchSignals();
}

}  // namespace render
