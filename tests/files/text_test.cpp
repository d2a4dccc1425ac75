#include "files/Text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

namespace files {
namespace {

TEST(FormatTest, FloatsReadBackAsTheSameFloat) {
  EXPECT_EQ(FormatFloat(17.0f), "17");
  EXPECT_EQ(FormatFloat(0.1f), "0.100000001");
  EXPECT_EQ(FormatFloat(-0.0f), "-0");
  EXPECT_EQ(FormatFloat(3.0f), "3");
  EXPECT_EQ(FormatFloat(1e10f), "1e+10");
  EXPECT_EQ(FormatFloat(123456789.0f), "123456792");
  EXPECT_EQ(FormatFloat(std::numeric_limits<float>::max()), "3.40282347e+38");
  EXPECT_EQ(FormatFloat(std::numeric_limits<float>::denorm_min()), "1.40129846e-45");
  EXPECT_EQ(FormatFloat(std::numeric_limits<float>::infinity()), "inf");
  EXPECT_EQ(FormatFloat(-std::numeric_limits<float>::infinity()), "-inf");
  EXPECT_EQ(FormatFloat(std::nanf("")), "nan");

  // Nine significant digits name every float exactly.
  for (float value : {0.3f, 1.0f / 3.0f, 9.58738e-05f, 4096.5f, -1e-7f, 16777217.0f}) {
    EXPECT_EQ(std::strtof(FormatFloat(value).c_str(), nullptr), value) << FormatFloat(value);
  }
}

// What may reach a terminal of a name, a path or a typed value: valid
// printable UTF-8 as it is; a byte of invalid UTF-8 or an ASCII control as
// its byte, a C1 control or a bidirectional override or isolate as its code
// point.
TEST(TextTest, PrintableEscapesWhatCouldSteerATerminal) {
  const struct {
    std::string text;
    const char* printable;
  } cases[] = {
      {"Zo\xc3\xab \xe6\x9d\xb1 \xf0\x9f\x9a\x97", "Zo\xc3\xab \xe6\x9d\xb1 \xf0\x9f\x9a\x97"},
      {std::string("a\x1b[31m\x7f\0", 8), "a\\x1b[31m\\x7f\\x00"},
      {"\xc2\x80|\xc2\x85|\xc2\x9b|\xc2\x9f|\xc2\xa0",
       "\\u0080|\\u0085|\\u009b|\\u009f|\xc2\xa0"},
      // Both ranges, and the characters either side of each.
      {"\xe2\x80\xa9\xe2\x80\xaa\xe2\x80\xae\xe2\x80\xaf"
       "\xe2\x81\xa5\xe2\x81\xa6\xe2\x81\xa9\xe2\x81\xaa",
       "\xe2\x80\xa9\\u202a\\u202e\xe2\x80\xaf\xe2\x81\xa5\\u2066\\u2069\xe2\x81\xaa"},
      // Stray and cut-short bytes, overlong forms, a surrogate, past U+10FFFF.
      {"\xff\x80\xc3(\xc0\xaf\xed\xa0\x80\xf4\x90\x80\x80",
       "\\xff\\x80\\xc3(\\xc0\\xaf\\xed\\xa0\\x80\\xf4\\x90\\x80\\x80"},
  };
  for (const auto& each : cases) {
    EXPECT_EQ(Printable(each.text), each.printable) << each.printable;
    EXPECT_EQ(Shown(each.text), std::string("\"") + each.printable + "\"") << each.printable;
  }
  EXPECT_EQ(Shown("a\"b\\c"), "\"a\\\"b\\\\c\"");
}

// Shown cuts after 64 bytes of the text, between two characters.
TEST(TextTest, ShownCutsLongTextBetweenCharacters) {
  const std::string x63(63, 'x');
  EXPECT_EQ(Shown(x63 + "\xc3\xa9"), "\"" + x63 + "\"... (65 bytes)");
  EXPECT_EQ(Shown(x63.substr(1) + "\xc3\xa9"), "\"" + x63.substr(1) + "\xc3\xa9\"");
  EXPECT_EQ(Shown(x63 + "\xff\xff"), "\"" + x63 + "\\xff\"... (65 bytes)");
}

}  // namespace
}  // namespace files
