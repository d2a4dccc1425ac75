#include "files/Files.h"

#include <atomic>
#include <cerrno>
#include <cstring>

#include "SystemFiles.h"

namespace files {

namespace internal {

std::string TemporaryName(const std::string& target, unsigned long process) {
  static std::atomic<unsigned> count{0};
  return target + ".tmp." + std::to_string(process) + "." + std::to_string(count++);
}

}  // namespace internal

using internal::ForgetTemporary;
using internal::MoveIntoPlace;
using internal::RemoveFile;
using internal::WriteTemporary;

FileReplacement::~FileReplacement() { Discard(); }

void FileReplacement::Discard() {
  if (!temporary_.empty()) RemoveFile(temporary_);
  temporary_.clear();
}

Status FileReplacement::Prepare(const std::string& target, const std::string& content) {
  Discard();
  target_ = target;
  return WriteTemporary(target, content, &temporary_);
}

Status FileReplacement::Commit() {
  Status moved = MoveIntoPlace(temporary_, target_);
  if (moved.ok()) {
    ForgetTemporary(temporary_);
    temporary_.clear();
  }
  Discard();
  return moved;
}

Status ReplaceContents(const std::string& target, const std::string& content) {
  FileReplacement replacement;
  Status prepared = replacement.Prepare(target, content);
  return prepared.ok() ? replacement.Commit() : prepared;
}

Status ReplaceableTarget(const std::string& path, std::string* target) {
  Status followed = FollowLinks(path, target);
  return followed.ok() ? CheckReplaceable(*target) : followed;
}

Status ReadAll(std::FILE* file, std::string* text) {
  text->clear();
  char buffer[65536];
  std::size_t count = 0;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) text->append(buffer, count);
  if (std::ferror(file)) return Status::Error(std::strerror(errno));
  return Status::Ok();
}

}  // namespace files
