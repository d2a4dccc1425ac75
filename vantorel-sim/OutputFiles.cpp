#include "OutputFiles.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "simhost/Files.h"

#ifdef _WIN32
#include <windows.h>
// After windows.h, which they need.
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <wchar.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vantorel_sim {

namespace {

namespace fs = std::filesystem;

// As many links as Linux follows before it gives up on a loop.
constexpr int kMostLinks = 40;

fs::path ToPath(const std::string& utf8) { return fs::u8path(utf8); }

std::string FromPath(const fs::path& path) { return path.u8string(); }

fs::path FollowLinksOf(fs::path path) {
  for (int i = 0; i < kMostLinks; ++i) {
    std::error_code error;
    if (!fs::is_symlink(fs::symlink_status(path, error))) break;
    const fs::path target = fs::read_symlink(path, error);
    if (error) break;
    path = target.is_absolute() ? target : path.parent_path() / target;
  }
  return path;
}

// The absolute path of a file that may not exist, with "." and ".." and the
// links of the folders that do exist resolved.
fs::path Resolved(const fs::path& path) {
  std::error_code error;
  fs::path absolute = fs::absolute(path, error);
  if (error) absolute = path;
  const fs::path resolved = fs::weakly_canonical(absolute, error);
  return error ? absolute.lexically_normal() : resolved;
}

// What tells one existing file from another, whatever the path to it.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t number = 0;
  bool operator==(const FileIdentity& other) const {
    return device == other.device && number == other.number;
  }
};

#ifdef _WIN32

bool IdentityOf(const fs::path& path, FileIdentity* identity) {
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

bool SamePath(const fs::path& a, const fs::path& b) {
  // Windows file names ignore case.
  return _wcsicmp(a.c_str(), b.c_str()) == 0;
}

int ProcessId() { return _getpid(); }

int CreateNew(const std::string& path) {
  return _wopen(simhost::Widen(path).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                _S_IREAD | _S_IWRITE);
}

std::FILE* StreamOf(int descriptor) { return _fdopen(descriptor, "wb"); }

void CloseDescriptor(int descriptor) { _close(descriptor); }

// Windows keeps no Unix permission bits worth copying.
void CopyPermissions(int, const std::string&) {}

#else

bool IdentityOf(const fs::path& path, FileIdentity* identity) {
  struct stat status;
  if (::stat(path.c_str(), &status) != 0) return false;
  identity->device = static_cast<std::uint64_t>(status.st_dev);
  identity->number = static_cast<std::uint64_t>(status.st_ino);
  return true;
}

bool SamePath(const fs::path& a, const fs::path& b) { return a == b; }

int ProcessId() { return static_cast<int>(getpid()); }

int CreateNew(const std::string& path) {
  // 0666 less the umask: what a new file of the user's gets.
  return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}

std::FILE* StreamOf(int descriptor) { return fdopen(descriptor, "wb"); }

void CloseDescriptor(int descriptor) { ::close(descriptor); }

// A file replaced keeps the permission bits it had.
void CopyPermissions(int descriptor, const std::string& target) {
  struct stat status;
  if (::stat(target.c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
    fchmod(descriptor, status.st_mode & 07777);
  }
}

#endif

}  // namespace

std::string FollowLinks(const std::string& path) { return FromPath(FollowLinksOf(ToPath(path))); }

bool SameFile(const std::string& a, const std::string& b) {
  const fs::path first = FollowLinksOf(ToPath(a));
  const fs::path second = FollowLinksOf(ToPath(b));
  FileIdentity firstIdentity, secondIdentity;
  const bool firstExists = IdentityOf(first, &firstIdentity);
  const bool secondExists = IdentityOf(second, &secondIdentity);
  if (firstExists && secondExists) return firstIdentity == secondIdentity;
  if (firstExists != secondExists) return false;
  return SamePath(Resolved(first), Resolved(second));
}

bool CheckOutput(const std::string& path, const std::string& what, std::string* error) {
  const auto fail = [&](const std::string& reason) {
    *error = "cannot write " + what + " " + path + ": " + reason;
    return false;
  };
  const fs::path target = FollowLinksOf(ToPath(path));
  std::error_code ignored;
  const fs::file_status status = fs::status(target, ignored);
  if (fs::is_directory(status)) return fail("it is a directory");
  if (fs::exists(status) && !fs::is_regular_file(status)) return fail("it is not a regular file");
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  const fs::file_status folderStatus = fs::status(folder, ignored);
  if (folderStatus.type() == fs::file_type::not_found) {
    return fail("its folder " + FromPath(folder) + " does not exist");
  }
  if (fs::exists(folderStatus) && !fs::is_directory(folderStatus)) {
    return fail(FromPath(folder) + " is not a folder");
  }
  // Whatever else may be in the way (permissions, a read-only disk) shows
  // when a file is made there.
  PendingFile probe;
  return probe.Create(path, what, error);
}

PendingFile::~PendingFile() {
  if (stream_ != nullptr) std::fclose(stream_);
  if (!committed_ && !temporary_.empty()) simhost::RemoveFile(temporary_);
}

bool PendingFile::Fail(const std::string& reason, std::string* error) const {
  *error = "cannot write " + what_ + " " + path_ + ": " + reason;
  return false;
}

bool PendingFile::Create(const std::string& path, const std::string& what, std::string* error) {
  path_ = path;
  what_ = what;
  target_ = FollowLinks(path);
  static std::atomic<unsigned> serial{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = target_ + ".tmp-" + std::to_string(ProcessId()) + "-" +
                             std::to_string(serial.fetch_add(1));
    const int descriptor = CreateNew(name);
    if (descriptor < 0 && errno == EEXIST) continue;  // another run's: the next name
    if (descriptor < 0) return Fail(std::strerror(errno), error);
    temporary_ = name;
    CopyPermissions(descriptor, target_);
    stream_ = StreamOf(descriptor);
    if (stream_ == nullptr) {
      const int reason = errno;
      CloseDescriptor(descriptor);
      return Fail(std::strerror(reason), error);
    }
    return true;
  }
  return Fail("no free name for a temporary file beside it", error);
}

bool PendingFile::Close(std::string* error) {
  std::FILE* stream = stream_;
  stream_ = nullptr;
  const bool flushed = simhost::FlushToDisk(stream);
  const int reason = errno;
  const bool closed = std::fclose(stream) == 0;
  if (!flushed || !closed) return Fail(std::strerror(!flushed ? reason : errno), error);
  return true;
}

bool PendingFile::Commit(std::string* error) {
  std::string reason;
  if (!simhost::RenameReplacing(temporary_, target_, &reason)) return Fail(reason, error);
  committed_ = true;
  return true;
}

bool WritePicture(const Scene& scene, const std::string& path, std::string* error) {
  PendingFile picture;
  std::string reason;
  if (!picture.Create(path, "the picture", error)) return false;
  if (!PaintPicture(scene, picture.stream(), &reason)) {
    *error = "cannot write the picture " + path + ": " + reason;
    return false;
  }
  return picture.Close(error) && picture.Commit(error);
}

bool SaveOutputs(simhost::Console& console, const std::string& configPath, const Scene* scene,
                 const std::string& picturePath, std::string* error) {
  return SaveOutputs(console, configPath, scene, picturePath, nullptr, error);
}

bool SaveOutputs(simhost::Console& console, const std::string& configPath, const Scene* scene,
                 const std::string& picturePath, PendingFile* animation, std::string* error) {
  PendingFile picture;
  if (scene != nullptr) {
    std::string reason;
    if (!picture.Create(picturePath, "the picture", error)) return false;
    if (!PaintPicture(*scene, picture.stream(), &reason)) {
      *error = "cannot write the picture " + picturePath + ": " + reason;
      return false;
    }
    if (!picture.Close(error)) return false;
  }
  if (!configPath.empty() && !console.SaveConfig(configPath, error)) return false;
  return (scene == nullptr || picture.Commit(error)) &&
         (animation == nullptr || animation->Commit(error));
}

}  // namespace vantorel_sim
