#include "files/Text.h"

#include <charconv>
#include <cstdio>

namespace files {

std::string FormatFloat(float value) {
  // to_chars rather than snprintf: C runtimes differ in exponent digits and
  // in how they spell infinities and NaNs, to_chars does not.
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value),
                                    std::chars_format::general, 9);
  return std::string(buffer, result.ptr);
}

namespace {

void AppendEscaped(std::string* out, unsigned char c) {
  char escaped[8];
  std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
  *out += escaped;
}

}  // namespace

std::string Shown(const std::string& text) {
  constexpr std::size_t kShownBytes = 64;
  std::size_t end = text.size();
  if (end > kShownBytes) {
    end = kShownBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  }
  std::string shown = "\"";
  for (std::size_t i = 0; i < end; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '"' || c == '\\') {
      shown += '\\';
      shown += static_cast<char>(c);
    } else if (IsControl(c)) {
      AppendEscaped(&shown, c);
    } else {
      shown += static_cast<char>(c);
    }
  }
  shown += '"';
  if (end < text.size()) shown += "... (" + std::to_string(text.size()) + " bytes)";
  return shown;
}

std::string Printable(const std::string& text) {
  std::string printable;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (IsControl(byte)) {
      AppendEscaped(&printable, byte);
    } else {
      printable += c;
    }
  }
  return printable;
}

}  // namespace files
