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

using internal::MoveIntoPlace;
using internal::RemoveFile;
using internal::WriteTemporary;

FileReplacement::~FileReplacement() { Discard(); }

void FileReplacement::Discard() {
  if (!temporary_.empty()) RemoveFile(temporary_);
  temporary_.clear();
}

bool FileReplacement::Prepare(const std::string& target, const std::string& content,
                              std::string* error) {
  Discard();
  target_ = target;
  return WriteTemporary(target, content, &temporary_, error);
}

bool FileReplacement::Commit(std::string* error) {
  const bool moved = MoveIntoPlace(temporary_, target_, error);
  if (moved) temporary_.clear();
  Discard();
  return moved;
}

bool ReplaceContents(const std::string& target, const std::string& content, std::string* error) {
  FileReplacement replacement;
  return replacement.Prepare(target, content, error) && replacement.Commit(error);
}

bool ReadAll(std::FILE* file, std::string* text, std::string* error) {
  text->clear();
  char buffer[65536];
  std::size_t count = 0;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) text->append(buffer, count);
  if (std::ferror(file)) {
    if (error) *error = std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace files
