// The Windows half of FileIdentity.h: the volume serial and file index.

#include "FileIdentity.h"
#include "files/SystemError.h"
// After windows.h, which it needs.
#include <wchar.h>

namespace files {
namespace internal {

bool IdentityOf(const std::filesystem::path& path, FileIdentity* identity) {
  // Backup semantics: folders open too.
  const HANDLE handle = CreateFileW(path.c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  const bool known = GetFileInformationByHandle(handle, &info) != 0;
  CloseHandle(handle);
  if (!known) return false;
  identity->device = info.dwVolumeSerialNumber;
  identity->number = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  return true;
}

bool SamePath(const std::filesystem::path& a, const std::filesystem::path& b) {
  // Windows file names ignore case.
  return _wcsicmp(a.c_str(), b.c_str()) == 0;
}

}  // namespace internal
}  // namespace files
