// A library a test preloads (LD_PRELOAD) into the vantorel-sim it runs, so
// that it can interrupt a save at a point of its choosing rather than by
// luck of timing. With VANTOREL_PAUSE_CALL set to "fsync" or "rename" and
// VANTOREL_PAUSE_FILE to a file's path, the first such call on a temporary
// file of that file (PATH.tmp.*) makes the file VANTOREL_PAUSE_MARKER and
// waits, for a minute at most, for SIGINT or SIGTERM: the program handles
// the signal there and then when it may, and when it holds signals back,
// the call goes on once one is pending. Other calls pass straight through.

#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Whether the call `call` on `path` is the one to pause in: the first that
// matches.
bool PausesAt(const char* call, const char* path) {
  static bool paused = false;
  const char* wanted = std::getenv("VANTOREL_PAUSE_CALL");
  const char* file = std::getenv("VANTOREL_PAUSE_FILE");
  if (paused || wanted == nullptr || file == nullptr || std::strcmp(wanted, call) != 0) {
    return false;
  }
  const std::size_t length = std::strlen(file);
  paused = std::strncmp(path, file, length) == 0 && std::strncmp(path + length, ".tmp.", 5) == 0;
  return paused;
}

bool InterruptionPending() {
  sigset_t pending;
  sigpending(&pending);
  return sigismember(&pending, SIGINT) || sigismember(&pending, SIGTERM);
}

void WaitForInterruption() {
  if (const char* marker = std::getenv("VANTOREL_PAUSE_MARKER")) {
    close(open(marker, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  }
  const timespec millisecond{0, 1000000};
  for (int waited = 0; waited < 60000 && !InterruptionPending(); ++waited) {
    nanosleep(&millisecond, nullptr);
  }
}

template <typename Function>
Function Next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" int rename(const char* from, const char* to) {
  static const auto next = Next<int (*)(const char*, const char*)>("rename");
  if (PausesAt("rename", from)) WaitForInterruption();
  return next(from, to);
}

extern "C" int fsync(int fd) {
  static const auto next = Next<int (*)(int)>("fsync");
  char link[64];
  char path[4096] = "";
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  const ssize_t length = readlink(link, path, sizeof path - 1);
  if (length > 0) path[length] = '\0';
  if (PausesAt("fsync", path)) WaitForInterruption();
  return next(fd);
}
