#include "Platform.h"

#include "files/Files.h"

#ifdef _WIN32
#include <windows.h>
// After windows.h, which it needs.
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
#else
#include <unistd.h>
#endif

namespace vantorel_sim {

#ifdef _WIN32

using files::Narrow;

std::vector<std::string> Arguments(int argc, char** argv) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(Narrow(wide[i]));
  LocalFree(wide);
  return arguments;
}

std::FILE* BinaryStandardInput() {
  _setmode(_fileno(stdin), _O_BINARY);
  return stdin;
}

std::string ProgramFolder(const std::string& argv0) {
  (void)argv0;
  std::wstring path(32768, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
  if (length == 0 || length >= path.size()) return std::string();
  path.resize(length);
  const std::size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return std::string();
  return Narrow(path.substr(0, slash + 1));
}

#else

std::vector<std::string> Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

std::FILE* BinaryStandardInput() { return stdin; }

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

#endif

}  // namespace vantorel_sim
