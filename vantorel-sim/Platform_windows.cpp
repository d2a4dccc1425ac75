// The Windows half of Platform.h: the wide command line, binary standard
// input, GetModuleFileNameW.

#include "Platform.h"

#include "files/SystemError.h"
#include "files/Utf16.h"
// After windows.h, which they need.
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

namespace vantorel_sim {

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

bool StandardErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

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

}  // namespace vantorel_sim
