// What the two halves of FileLock (FileLock_posix.cpp, FileLock_windows.cpp)
// share: how they refuse a lock file that cannot be used. The message says
// what to do, since nothing the program does can get past such a file.

#include "SystemFiles.h"

namespace files {
namespace internal {

Status UnusableLock(const std::string& path, const std::string& problem, LockRemedy remedy) {
  return Status::Error("lock file " + path + " " + problem + ": " +
                       (remedy == LockRemedy::kRemove ? "remove it" : "remove it, or ask its owner to"));
}

}  // namespace internal
}  // namespace files
