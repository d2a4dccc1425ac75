// What the two halves of FileLock (FileLock_posix.cpp, FileLock_windows.cpp)
// share: how they refuse a lock file that cannot be used. The messages say
// what to do, since nothing the program does can get past such a file.

#include "SystemFiles.h"

namespace files {
namespace internal {

Status UnusableLock(const std::string& path, const std::string& problem) {
  return Status::Error("lock file " + path + " is " + problem + ": remove it");
}

Status UnopenableLock(const std::string& path, const std::string& reason) {
  return Status::Error("lock file " + path + " cannot be opened by this user (" + reason +
                       "): remove it, or ask its owner to");
}

}  // namespace internal
}  // namespace files
