// The POSIX half of Interruption.h: handlers for SIGINT and SIGTERM that
// remove this module's temporary files, then end the process as the signal
// would have. A handler may run at any point of the program, so it does
// only what a signal handler may: it reads the fixed table of paths
// (Temporaries.cpp), calls unlink, sigaction and raise, or hands on.

#include "files/Interruption.h"

#include <signal.h>
#include <unistd.h>

#include "SystemFiles.h"

namespace files {

namespace {

constexpr int kInterruptions[] = {SIGINT, SIGTERM};

// What each of kInterruptions did before this module's handler took it.
struct sigaction before[2];

void Remove(const char* path) { unlink(path); }

void Interrupted(int signal, siginfo_t* info, void* context) {
  internal::RemoveRememberedTemporaries(Remove);
  const struct sigaction& previous = before[signal == SIGINT ? 0 : 1];
  if (previous.sa_flags & SA_SIGINFO) return previous.sa_sigaction(signal, info, context);
  if (previous.sa_handler != SIG_DFL) return previous.sa_handler(signal);
  // The signal's own end, once this handler returns and lets it through.
  // A process that ends so writes no coverage counters: the reliability
  // tests' children come here, uncounted.
  struct sigaction fallback {};          // GCOVR_EXCL_LINE: ends the process
  fallback.sa_handler = SIG_DFL;         // GCOVR_EXCL_LINE: ends the process
  sigaction(signal, &fallback, nullptr);  // GCOVR_EXCL_LINE: ends the process
  raise(signal);                         // GCOVR_EXCL_LINE: ends the process
}

}  // namespace

void RemoveTemporariesOnInterruption() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, nullptr);

  struct sigaction handle {};
  handle.sa_sigaction = Interrupted;
  handle.sa_flags = SA_SIGINFO | SA_RESTART;
  // One removal at a time: each signal waits while the other's handler runs.
  sigemptyset(&handle.sa_mask);
  for (int signal : kInterruptions) sigaddset(&handle.sa_mask, signal);
  for (int i = 0; i < 2; ++i) {
    if (sigaction(kInterruptions[i], nullptr, &before[i]) == 0 &&
        before[i].sa_handler != SIG_IGN) {
      sigaction(kInterruptions[i], &handle, nullptr);
    }
  }
}

InterruptionsHeld::InterruptionsHeld() {
  sigset_t interruptions;
  sigset_t previous;
  sigemptyset(&interruptions);
  for (int signal : kInterruptions) sigaddset(&interruptions, signal);
  pthread_sigmask(SIG_BLOCK, &interruptions, &previous);
  releaseInterrupt_ = !sigismember(&previous, SIGINT);
  releaseTerminate_ = !sigismember(&previous, SIGTERM);
}

InterruptionsHeld::~InterruptionsHeld() {
  sigset_t released;
  sigemptyset(&released);
  if (releaseInterrupt_) sigaddset(&released, SIGINT);
  if (releaseTerminate_) sigaddset(&released, SIGTERM);
  pthread_sigmask(SIG_UNBLOCK, &released, nullptr);
}

}  // namespace files
