// The POSIX half of FileIdentity.h: the device and inode numbers.

#include "FileIdentity.h"

#include <sys/stat.h>

namespace files {
namespace internal {

bool IdentityOf(const std::filesystem::path& path, FileIdentity* identity) {
  struct stat status;
  if (::stat(path.c_str(), &status) != 0) return false;
  identity->device = static_cast<std::uint64_t>(status.st_dev);
  identity->number = static_cast<std::uint64_t>(status.st_ino);
  return true;
}

bool SamePath(const std::filesystem::path& a, const std::filesystem::path& b) { return a == b; }

}  // namespace internal
}  // namespace files
