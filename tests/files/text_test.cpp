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
      {"a\x1b[31m\x7f", "a\\x1b[31m\\x7f"},
      {std::string("\0z", 2), "\\x00z"},
      {"\xc2\x80|\xc2\x85|\xc2\x9b|\xc2\x9f|\xc2\xa0",
       "\\u0080|\\u0085|\\u009b|\\u009f|\xc2\xa0"},
      // Each range and the characters either side of it.
      {"\xe2\x80\xa9|\xe2\x80\xaa|\xe2\x80\xae|\xe2\x80\xaf",
       "\xe2\x80\xa9|\\u202a|\\u202e|\xe2\x80\xaf"},
      {"\xe2\x81\xa5|\xe2\x81\xa6|\xe2\x81\xa9|\xe2\x81\xaa",
       "\xe2\x81\xa5|\\u2066|\\u2069|\xe2\x81\xaa"},
      {"\xff\xfe|\x80|\xc3|\xc3(", "\\xff\\xfe|\\x80|\\xc3|\\xc3("},
      // Overlong forms, a surrogate, and past U+10FFFF.
      {"\xc0\xaf|\xe0\x80\xaf|\xed\xa0\x80|\xf4\x90\x80\x80",
       "\\xc0\\xaf|\\xe0\\x80\\xaf|\\xed\\xa0\\x80|\\xf4\\x90\\x80\\x80"},
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
  std::string escapes;
  for (int i = 0; i < 64; ++i) escapes += "\\x1b";
  EXPECT_EQ(Shown(std::string(70, '\x1b')), "\"" + escapes + "\"... (70 bytes)");
}

// The one definition of a number the console and the script language take.
TEST(TextTest, DecimalNumbersOnly) {
  for (const char* number : {"1", "-1", "+1.", ".5", "1e5", "1E+05", "-0", "3.4e38", "1e-50"}) {
    EXPECT_TRUE(IsDecimalNumber(number)) << number;
  }
  for (const char* text : {"", "+", ".", "-.", "e5", "1e", "1e+", "nan", "inf", "-inf",
                           "infinity", "0x10", "0x1p3", " 1", "\v1", "1 ", "1.2.3", "1e5.0"}) {
    EXPECT_FALSE(IsDecimalNumber(text)) << text;
  }
}

}  // namespace
}  // namespace files
