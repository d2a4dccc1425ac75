#include "files/Text.h"

#include <charconv>
#include <cstdio>

namespace files {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Moves `*i` past the digits at text[*i]; returns how many there were.
std::size_t SkipDigits(const std::string& text, std::size_t* i) {
  const std::size_t start = *i;
  while (*i < text.size() && IsDigit(text[*i])) ++*i;
  return *i - start;
}

// Moves `*i` past a sign at text[*i], if there is one.
void SkipSign(const std::string& text, std::size_t* i) {
  if (*i < text.size() && (text[*i] == '+' || text[*i] == '-')) ++*i;
}

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Appends `code`, a byte (\xHH) or a code point (\uHHHH).
void AppendEscaped(std::string* out, const char* format, char32_t code) {
  char escaped[16];
  std::snprintf(escaped, sizeof escaped, format, static_cast<unsigned>(code));
  *out += escaped;
}

// Appends the character `c`, which starts at text[at], as Printable shows it.
void AppendPrintable(std::string* out, const std::string& text, std::size_t at,
                     const Utf8Character& c) {
  if (!c.valid || (c.code < 0x80 && IsControl(static_cast<unsigned char>(c.code)))) {
    AppendEscaped(out, "\\x%02x", static_cast<unsigned char>(text[at]));
  } else if (IsControlCharacter(c.code) || IsBidiControl(c.code)) {
    AppendEscaped(out, "\\u%04x", c.code);
  } else {
    out->append(text, at, c.size);
  }
}

}  // namespace

Utf8Character DecodeUtf8(const std::string& text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  const Utf8Character invalid{lead, 1, false};
  if (lead < 0x80) return Utf8Character{lead, 1, true};
  // The lead byte gives the size, and the smallest code point that needs
  // it: anything smaller is an overlong form.
  std::size_t size = 4;
  char32_t smallest = 0x10000;
  if (lead >= 0xC2 && lead <= 0xDF) {
    size = 2;
    smallest = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    size = 3;
    smallest = 0x800;
  } else if (lead < 0xF0 || lead > 0xF4) {
    return invalid;  // a continuation byte, or a lead byte no character has
  }
  if (text.size() - at < size) return invalid;
  char32_t code = lead & (0x7F >> size);
  for (std::size_t i = 1; i < size; ++i) {
    const auto byte = static_cast<unsigned char>(text[at + i]);
    if (!IsContinuation(byte)) return invalid;
    code = code << 6 | (byte & 0x3F);
  }
  const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
  if (code < smallest || code > 0x10FFFF || surrogate) return invalid;
  return Utf8Character{code, size, true};
}

bool IsDecimalNumber(const std::string& text) {
  std::size_t i = 0;
  SkipSign(text, &i);
  std::size_t digits = SkipDigits(text, &i);
  if (i < text.size() && text[i] == '.') {
    ++i;
    digits += SkipDigits(text, &i);
  }
  if (digits == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    SkipSign(text, &i);
    if (SkipDigits(text, &i) == 0) return false;
  }
  return i == text.size();
}

std::string FormatFloat(float value) {
  // to_chars rather than snprintf: C runtimes differ in exponent digits and
  // in how they spell infinities and NaNs, to_chars does not.
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value),
                                    std::chars_format::general, 9);
  return std::string(buffer, result.ptr);
}

std::string Shown(const std::string& text) {
  constexpr std::size_t kShownBytes = 64;
  std::string shown = "\"";
  std::size_t at = 0;
  while (at < text.size()) {
    const Utf8Character c = DecodeUtf8(text, at);
    if (at + c.size > kShownBytes) break;
    if (c.valid && (c.code == '"' || c.code == '\\')) shown += '\\';
    AppendPrintable(&shown, text, at, c);
    at += c.size;
  }
  shown += '"';
  if (at < text.size()) shown += "... (" + std::to_string(text.size()) + " bytes)";
  return shown;
}

std::string Printable(const std::string& text) {
  std::string printable;
  for (std::size_t at = 0; at < text.size();) {
    const Utf8Character c = DecodeUtf8(text, at);
    AppendPrintable(&printable, text, at, c);
    at += c.size;
  }
  return printable;
}

}  // namespace files
