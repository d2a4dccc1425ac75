// The Windows half of Interruption.h: a console control handler, which
// Windows runs on a thread of its own while the program goes on. It waits
// for a commit under way and keeps the lock it waited on, so that no
// commit starts after it; it removes this module's temporary files and
// lets the next handler, in the end the system's, end the process.

#include "files/Interruption.h"

#include "SystemFiles.h"
#include "files/SystemError.h"
#include "files/Utf16.h"

namespace files {

namespace {

// Held by InterruptionsHeld, and taken for good by the handler.
SRWLOCK commits = SRWLOCK_INIT;

void Remove(const char* path) { DeleteFileW(Widen(path).c_str()); }

BOOL WINAPI Interrupted(DWORD) {
  AcquireSRWLockExclusive(&commits);
  internal::RemoveRememberedTemporaries(Remove);
  return FALSE;
}

}  // namespace

void RemoveTemporariesOnInterruption() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  SetConsoleCtrlHandler(Interrupted, TRUE);
}

InterruptionsHeld::InterruptionsHeld() { AcquireSRWLockExclusive(&commits); }

InterruptionsHeld::~InterruptionsHeld() { ReleaseSRWLockExclusive(&commits); }

}  // namespace files
