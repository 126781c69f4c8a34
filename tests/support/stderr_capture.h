// Catches what the process writes to its standard error while it lives:
// DPF reports every failed assertion there.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <string>

namespace vorel_host {

class StderrCapture {
 public:
  StderrCapture() : file_(std::tmpfile()), saved_(dup(2)) {
    std::fflush(stderr);
    if (file_ != nullptr) dup2(fileno(file_), 2);
  }
  ~StderrCapture() { Text(); }

  // Everything written so far; the standard error is back from then on.
  std::string Text() {
    std::string text;
    if (file_ == nullptr) return text;
    std::fflush(stderr);
    dup2(saved_, 2);
    close(saved_);
    std::rewind(file_);
    for (int c; (c = std::fgetc(file_)) != EOF;) text += static_cast<char>(c);
    std::fclose(file_);
    file_ = nullptr;
    return text;
  }

 private:
  std::FILE* file_;
  int saved_;
};

}  // namespace vorel_host
