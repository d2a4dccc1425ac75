#pragma once

// What SameFile (SameFile.cpp) asks of each system's half
// (FileIdentity_posix.cpp, FileIdentity_windows.cpp). Internal to the file
// library.

#include <cstdint>
#include <filesystem>

namespace files {
namespace internal {

// What tells one existing file from another, whatever the path to it.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t number = 0;
  bool operator==(const FileIdentity& other) const {
    return device == other.device && number == other.number;
  }
};

// The identity of the file at `path`, links followed; false when there is
// none to be had (no file there).
bool IdentityOf(const std::filesystem::path& path, FileIdentity* identity);

// Whether two resolved paths name one file as the system compares names.
bool SamePath(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace internal
}  // namespace files
