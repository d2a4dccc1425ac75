#pragma once

// UTF-8, the text of every path and message here, as the UTF-16 of the wide
// Windows API, and back. Defined on Windows only, for the Windows halves of
// this library and of its users.

#include <string>

namespace files {

// `text` (UTF-8) as UTF-16.
std::wstring Widen(const std::string& text);
// `text` (UTF-16) as UTF-8.
std::string Narrow(const std::wstring& text);

}  // namespace files
