#pragma once

// The Windows API as this library's code and its users' Windows code use
// it, and the text of a failed Windows call, for their messages: the host's
// loader and the file helpers report with it.

#include <string>

#ifdef _WIN32
#  ifndef NOMINMAX
#    define NOMINMAX
#  endif
#  include <windows.h>
#endif

namespace files {

#ifdef _WIN32
// The calling thread's last Windows error as one line: the system's text
// and the error number.
std::string LastSystemError();
#endif

}  // namespace files
