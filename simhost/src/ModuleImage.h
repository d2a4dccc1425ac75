#pragma once

// Reading a module file's headers before the system's loader maps it, for
// the loader's check of a file (PluginModule::CheckImage): the ELF check of
// the POSIX half and the PE check of the Windows half both read through it.
// Internal to the host library.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "files/Status.h"

namespace simhost {

// The bytes of a module file, read field by field. A read or range that
// runs past the end of the file fails rather than reading beyond it. Only
// refers to the bytes, which must outlive it.
class ModuleImage {
 public:
  explicit ModuleImage(const std::string& bytes) : bytes_(bytes) {}

  std::uint64_t size() const { return bytes_.size(); }

  // Whether the file begins with `magic` as far as it goes: a file cut
  // inside its magic number is a short file of that format, not another.
  bool BeginsAsIf(const char* magic, std::size_t length) const {
    return bytes_.compare(0, length, magic, std::min<std::size_t>(length, bytes_.size())) == 0;
  }

  // Copies the T stored at byte `offset` into `value`; false, leaving it
  // alone, when it does not lie wholly within the file.
  template <typename T>
  bool Read(std::uint64_t offset, T* value) const {
    if (!Holds(offset, 1, sizeof(T))) return false;
    std::memcpy(value, bytes_.data() + offset, sizeof(T));
    return true;
  }

  // Success when `count` entries of `entry` bytes from byte `offset` lie
  // within the file; otherwise a failure naming them as `what`.
  files::Status Within(const std::string& what, std::uint64_t offset, std::uint64_t count,
                       std::uint64_t entry) const {
    if (Holds(offset, count, entry)) return files::Status::Ok();
    return files::Status::Error("the file ends at byte " + std::to_string(size()) +
                                ", before the end of " + what + " (" + std::to_string(count) +
                                " of " + std::to_string(entry) + " bytes from byte " +
                                std::to_string(offset) + ")");
  }

 private:
  bool Holds(std::uint64_t offset, std::uint64_t count, std::uint64_t entry) const {
    return offset <= size() && (entry == 0 || count <= (size() - offset) / entry);
  }

  const std::string& bytes_;
};

}  // namespace simhost
