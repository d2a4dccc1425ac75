#pragma once

// The Windows API as the host library's own code uses it, and the text of a
// failed Windows call, for the host's messages. Internal to the host library:
// the loader and the file helpers report with it.

#include <string>

#ifdef _WIN32
#  ifndef NOMINMAX
#    define NOMINMAX
#  endif
#  include <windows.h>
#endif

namespace simhost {

#ifdef _WIN32
// The calling thread's last Windows error as one line: the system's text
// and the error number.
std::string LastSystemError();
#endif

}  // namespace simhost
