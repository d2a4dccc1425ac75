#include "files/SameFile.h"

#include <filesystem>
#include <system_error>

#include "FileIdentity.h"
#include "files/Files.h"

namespace files {

namespace {

namespace fs = std::filesystem;

// `path` with the links at its end followed; as given when they cannot be
// (a loop), which a check before writing refuses anyway.
fs::path Followed(const std::string& path) {
  std::string target;
  return fs::u8path(FollowLinks(path, &target).ok() ? target : path);
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

}  // namespace

bool SameFile(const std::string& a, const std::string& b) {
  const fs::path first = Followed(a);
  const fs::path second = Followed(b);
  internal::FileIdentity firstIdentity, secondIdentity;
  const bool firstExists = internal::IdentityOf(first, &firstIdentity);
  const bool secondExists = internal::IdentityOf(second, &secondIdentity);
  if (firstExists && secondExists) return firstIdentity == secondIdentity;
  if (firstExists != secondExists) return false;
  return internal::SamePath(Resolved(first), Resolved(second));
}

}  // namespace files
