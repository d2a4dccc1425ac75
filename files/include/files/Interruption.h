#pragma once

// What a program does about being interrupted while it writes files: the
// files it has written beside their targets and not yet put in place are
// removed, and the files it puts in place together are put in place whole.

namespace files {

// Makes an interruption (SIGINT, SIGTERM) remove the files that the
// replacements under way have written beside their targets
// (FileReplacement: prepared, and neither committed nor dropped) before the
// process ends as the signal would have ended it; files already put in
// place stay. Makes a write past the limit on file sizes (RLIMIT_FSIZE) fail
// with EFBIG, which the writer reports, instead of ending the process with
// SIGXFSZ. For a program's main, once, before it writes anything:
// libraries install no handlers. A signal the program was started ignoring
// (as a shell starts a background job) stays ignored.
//
// Each module that links this library keeps its own list of the files it
// has written (the host library keeps one, for the configuration file), so
// each module's list needs this call made in that module. Handlers chain:
// the one installed last runs first, then hands the signal to the one
// installed before it.
//
// Windows: a console control handler (Ctrl+C, Ctrl+Break, the console
// closing) waits for the end of a commit under way (InterruptionsHeld),
// keeps another from starting, removes the files and lets the process end
// as Windows ends it (exit status STATUS_CONTROL_C_EXIT). A file still open
// for writing cannot be removed then, and stays; a process ended by
// TerminateProcess runs no handler.
void RemoveTemporariesOnInterruption();

// Holds interruptions back while it lives, so that files put in place one
// after the other (FileReplacement::Commit) are all in place or none when
// an interruption comes: one that comes meanwhile takes effect when the
// InterruptionsHeld goes. POSIX: SIGINT and SIGTERM are blocked on the
// calling thread, which must be the thread they reach (vantorel-sim has
// only one). Windows: this module's console control handler waits for it.
class InterruptionsHeld {
 public:
  InterruptionsHeld();
  ~InterruptionsHeld();
  InterruptionsHeld(const InterruptionsHeld&) = delete;
  InterruptionsHeld& operator=(const InterruptionsHeld&) = delete;

 private:
  // The signals that were not blocked before (POSIX), to let through again.
  bool releaseInterrupt_ = false;
  bool releaseTerminate_ = false;
};

}  // namespace files
