#include "OutputFiles.h"

#include <cstdint>
#include <filesystem>
#include <system_error>

#include "files/Files.h"

#ifdef _WIN32
#include <windows.h>
// After windows.h, which it needs.
#include <wchar.h>
#else
#include <sys/stat.h>
#endif

namespace vantorel_sim {

namespace {

namespace fs = std::filesystem;

// `path` with the links at its end followed; as given when they cannot be
// (a loop), which CheckOutput refuses anyway.
fs::path Followed(const std::string& path) {
  std::string target;
  std::string ignored;
  return fs::u8path(files::FollowLinks(path, &target, &ignored) ? target : path);
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

#else

bool IdentityOf(const fs::path& path, FileIdentity* identity) {
  struct stat status;
  if (::stat(path.c_str(), &status) != 0) return false;
  identity->device = static_cast<std::uint64_t>(status.st_dev);
  identity->number = static_cast<std::uint64_t>(status.st_ino);
  return true;
}

bool SamePath(const fs::path& a, const fs::path& b) { return a == b; }

#endif

bool Refuse(const std::string& what, const std::string& path, const std::string& problem,
            std::string* error) {
  *error = "cannot write " + what + " " + path + ": " + problem;
  return false;
}

// Writes `output` beside its file, through the links at the end of its path.
bool Prepare(const Output& output, files::FileReplacement* replacement, std::string* error) {
  std::string target;
  std::string problem;
  if (files::FollowLinks(output.path, &target, &problem) &&
      replacement->Prepare(target, output.content, &problem)) {
    return true;
  }
  return Refuse(output.what, output.path, problem, error);
}

}  // namespace

bool SameFile(const std::string& a, const std::string& b) {
  const fs::path first = Followed(a);
  const fs::path second = Followed(b);
  FileIdentity firstIdentity, secondIdentity;
  const bool firstExists = IdentityOf(first, &firstIdentity);
  const bool secondExists = IdentityOf(second, &secondIdentity);
  if (firstExists && secondExists) return firstIdentity == secondIdentity;
  if (firstExists != secondExists) return false;
  return SamePath(Resolved(first), Resolved(second));
}

bool CheckOutput(const std::string& path, const std::string& what, std::string* error) {
  std::string target;
  std::string problem;
  if (files::FollowLinks(path, &target, &problem) &&
      files::CheckReplaceable(target, &problem)) {
    return true;
  }
  return Refuse(what, path, problem, error);
}

bool PictureOutput(const Scene& scene, const std::string& path, Output* output,
                   std::string* error) {
  *output = Output{path, "the picture", std::string()};
  std::string reason;
  return PaintPicture(scene, &output->content, &reason) ||
         Refuse(output->what, path, reason, error);
}

bool SaveOutputs(simhost::Console& console, const std::string& configPath,
                 const std::vector<Output>& outputs, std::string* error) {
  // Made in place, never moved: each owns its prepared file until the end.
  std::vector<files::FileReplacement> replacements(outputs.size());
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    if (!Prepare(outputs[i], &replacements[i], error)) return false;
  }
  if (!configPath.empty() && !console.SaveConfig(configPath, error)) return false;
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    std::string problem;
    if (!replacements[i].Commit(&problem)) {
      return Refuse(outputs[i].what, outputs[i].path, problem, error);
    }
  }
  return true;
}

}  // namespace vantorel_sim
