#pragma once

// How the host and vantorel-sim write numbers and user text into what they
// print, so that both print them alike.

#include <string>

namespace files {

// Whether `byte` is a control character: below 0x20, or DEL (0x7f). The one
// definition of what a message never prints as it is and a name may not hold.
inline bool IsControl(unsigned char byte) { return byte < 0x20 || byte == 0x7f; }

// Whether `c` separates the words of a line a user wrote: a space or a tab.
inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Whether `c` is white space around a value or within a line of the
// configuration file: a blank, or a line feed, carriage return, vertical tab
// or form feed (what C's isspace takes in the "C" locale).
inline bool IsWhiteSpace(char c) {
  return IsBlank(c) || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// `text` without the white space at either end.
inline std::string Trim(const std::string& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsWhiteSpace(text[begin])) ++begin;
  while (end > begin && IsWhiteSpace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// `value` as printf's "%.9g" writes it: nine significant digits, which name
// every 32-bit float exactly, so that the text reads back as the same float.
// The text is the same on every platform and C runtime: "1e+10", never
// "1e+010"; infinities as "inf" and "-inf".
std::string FormatFloat(float value);

// What a message shows of a text a user typed or a file held: quoted, with
// `"` and `\` escaped and control characters as \xHH, so that the message
// stays one line that cannot steer the terminal it is printed on; cut short
// after 64 bytes (at a UTF-8 character boundary) and followed by the full
// size, so that a pasted page does not flood the console.
std::string Shown(const std::string& text);

// `text` whole, with control characters as \xHH and nothing else changed:
// for a message built of paths and host messages rather than typed text,
// so that it still cannot steer a terminal or break its line.
std::string Printable(const std::string& text);

}  // namespace files
