#pragma once

// The Windows API as the Windows halves of this library and of its users
// call it (<windows.h> without its min and max macros), and the text of a
// failed Windows call, for their messages: the host's loader and the file
// helpers report with it. Windows only.

#include <string>

#ifndef NOMINMAX
#  define NOMINMAX
#endif
#include <windows.h>

namespace files {

// The calling thread's last Windows error as one line: the system's text
// and the error number.
std::string LastSystemError();

}  // namespace files
