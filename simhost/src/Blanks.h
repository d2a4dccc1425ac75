#pragma once

// What the console counts as blank: around a value typed at it, and around
// and within a line of its configuration file. Internal to the host library.

#include <string>

namespace simhost {

inline bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// `text` without the blanks at either end.
inline std::string Trim(const std::string& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

}  // namespace simhost
