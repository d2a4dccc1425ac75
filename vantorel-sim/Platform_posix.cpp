// The POSIX half of Platform.h.

#include "Platform.h"

#include <unistd.h>

namespace vantorel_sim {

std::vector<std::string> Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

std::FILE* BinaryStandardInput() { return stdin; }

bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

std::string ProgramFolder(const std::string& argv0) {
  std::string path(4096, '\0');
  const ssize_t length = readlink("/proc/self/exe", &path[0], path.size());
  if (length > 0 && static_cast<std::size_t>(length) < path.size()) {
    path.resize(static_cast<std::size_t>(length));
  } else {
    // No /proc (a bare chroot): the path the program was started by. The
    // tests run where /proc is, so they never come here.
    path = argv0;  // GCOVR_EXCL_LINE
  }
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace vantorel_sim
