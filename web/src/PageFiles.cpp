#include "PageFiles.h"

#include <cstdio>

namespace vantorel_web {

files::Status KeepFile(const std::string& path, const std::string& text) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  bool kept = file != nullptr;
  if (kept) kept = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  if (file != nullptr) kept = std::fclose(file) == 0 && kept;
  return kept ? files::Status::Ok() : files::Status::Error("cannot keep " + path + " in memory");
}

}  // namespace vantorel_web
