#pragma once

// A cap on the size of the files this process writes, while the object
// lives: a write past it fails with EFBIG, as a write to a full disk fails,
// rather than raising SIGXFSZ. The one failing write a test can count on,
// root or not. POSIX systems only.

#ifndef _WIN32

#include <signal.h>
#include <sys/resource.h>

namespace vantorel_test {

class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    previousHandler_ = signal(SIGXFSZ, SIG_IGN);
    held_ = getrlimit(RLIMIT_FSIZE, &previous_) == 0;
    rlimit limited = previous_;
    limited.rlim_cur = bytes;
    held_ = held_ && setrlimit(RLIMIT_FSIZE, &limited) == 0;
  }
  ~FileSizeLimit() {
    if (held_) setrlimit(RLIMIT_FSIZE, &previous_);
    signal(SIGXFSZ, previousHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  // Whether the cap is in force: false when the system refused it.
  bool held() const { return held_; }

 private:
  rlimit previous_{};
  void (*previousHandler_)(int) = SIG_DFL;
  bool held_ = false;
};

}  // namespace vantorel_test

#endif
