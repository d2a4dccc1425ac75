#pragma once

// How the host and vantorel-sim read numbers and write numbers and user text
// into what they print, so that both do it alike.

#include <cstddef>
#include <string>

namespace files {

// Whether `byte` is an ASCII control character: below 0x20, or DEL (0x7f).
inline bool IsControl(unsigned char byte) { return byte < 0x20 || byte == 0x7f; }

// One character of UTF-8 text, as DecodeUtf8 reads it.
struct Utf8Character {
  char32_t code = 0;     // the code point; for an invalid byte, the byte
  std::size_t size = 1;  // how many bytes it takes, 1 to 4
  bool valid = false;    // false: a byte that starts no well-formed character
};

// The character that starts at text[at], which must exist. Only well-formed
// UTF-8 is valid: a stray continuation byte, a sequence cut short, an
// overlong form, a surrogate or a code point past U+10FFFF is one invalid
// byte, and the next character starts at the byte after it.
Utf8Character DecodeUtf8(const std::string& text, std::size_t at);

// Whether `code` is a control character: C0 (below U+0020), DEL, or C1
// (U+0080 to U+009F). A terminal acts on them rather than showing them:
// NUL cuts a line short, ESC and CSI (U+009B) start escape sequences.
inline bool IsControlCharacter(char32_t code) {
  return code < 0x80 ? IsControl(static_cast<unsigned char>(code)) : code <= 0x9f;
}

// Whether `code` is a bidirectional override or isolate (U+202A to U+202E,
// U+2066 to U+2069): invisible, they reorder the text after them on the
// screen, so that what a line shows is not what it says.
inline bool IsBidiControl(char32_t code) {
  return (code >= 0x202a && code <= 0x202e) || (code >= 0x2066 && code <= 0x2069);
}

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

// Whether `text`, as a whole, is a decimal number as the console and the
// script language take them:
//   [+|-] (DIGITS [. [DIGITS]] | . DIGITS) [(e|E) [+|-] DIGITS]
// Nothing else that strtof would read: no white space before it, no "nan"
// or "inf", no hexadecimal ("0x10", "0x1p3"). Whether the number fits a
// float is for strtof to say.
bool IsDecimalNumber(const std::string& text);

// `value` as printf's "%.9g" writes it: nine significant digits, which name
// every 32-bit float exactly, so that the text reads back as the same float.
// The text is the same on every platform and C runtime: "1e+10", never
// "1e+010"; infinities as "inf" and "-inf".
std::string FormatFloat(float value);

// What a message shows of a text a user typed or a file held: quoted, with
// `"` and `\` escaped and whatever cannot be shown as it is escaped as
// Printable escapes it, so that the message stays one line that cannot steer
// the terminal it is printed on; cut short after 64 bytes (between two
// characters) and followed by the full size, so that a pasted page does not
// flood the console.
std::string Shown(const std::string& text);

// `text` whole, with what cannot be shown as it is escaped and nothing else
// changed: for a message built of paths and host messages rather than typed
// text, so that it still cannot steer a terminal or break its line.
// Escaped are an ASCII control character (C0, DEL) and a byte that is not
// part of valid UTF-8, each as \xHH (its byte), and a C1 control character
// or a bidirectional override or isolate as \uHHHH (its code point, e.g.
// \u202e); hex digits in lower case. Valid printable UTF-8 is kept as it is.
std::string Printable(const std::string& text);

}  // namespace files
