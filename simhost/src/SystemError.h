#pragma once

// The text of a failed Windows call, for the host's messages. Internal to
// the host library: the loader and the file helpers report with it.

#include <string>

namespace simhost {

#ifdef _WIN32
// The calling thread's last Windows error as one line: the system's text
// and the error number.
std::string LastSystemError();
#endif

}  // namespace simhost
