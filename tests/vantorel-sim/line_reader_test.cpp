// A script's lines as LineReader reads them from an input: the limits, the
// byte-order mark, carriage returns, and the text it keeps.

#include "LineReader.h"

#include <gtest/gtest.h>

#include <string>

#include "ScriptPlayerFixture.h"

namespace vantorel_sim {
namespace {

using vantorel_test::TextInput;

// How reading a whole input ended, and how many lines came before.
struct ReadLines {
  LineReader::Outcome end = LineReader::Outcome::kEnd;
  int lines = 0;
  int number = 0;
  std::string message;
};

ReadLines ReadAll(LineReader& reader) {
  ReadLines read;
  std::string line;
  while ((read.end = reader.Next(&line)) == LineReader::Outcome::kLine) ++read.lines;
  read.number = reader.number();
  read.message = reader.status().message();
  return read;
}

TEST(LineReaderTest, ALineOver64KiBIsBad) {
  const std::string longest(kMaxLineBytes, 'x');
  TextInput fitting("show cars\n#" + longest.substr(1) + "\r\n#" + longest.substr(1));
  LineReader fits(fitting);
  const ReadLines read = ReadAll(fits);
  EXPECT_EQ(read.end, LineReader::Outcome::kEnd) << read.message;
  EXPECT_EQ(read.lines, 3);

  TextInput overlong("show cars\n#" + longest + "\nshow cars\n");
  LineReader over(overlong);
  const ReadLines bad = ReadAll(over);
  EXPECT_EQ(bad.end, LineReader::Outcome::kBadLine);
  EXPECT_EQ(bad.number, 2);
  EXPECT_EQ(bad.message, "line longer than 64 KiB");

  // The last line, without a line break, counts alike.
  TextInput lastLong("show cars\n#" + longest);
  LineReader last(lastLong);
  const ReadLines lastBad = ReadAll(last);
  EXPECT_EQ(lastBad.end, LineReader::Outcome::kBadLine);
  EXPECT_EQ(lastBad.number, 2);
}

// An endless line is refused without reading it all: the reader stops a
// chunk past the limit.
TEST(LineReaderTest, StopsReadingAtTheLimit) {
  TextInput endless(std::string(std::size_t{4} << 20, '#'));
  LineReader reader(endless);
  const ReadLines read = ReadAll(reader);
  EXPECT_EQ(read.end, LineReader::Outcome::kBadLine);
  EXPECT_EQ(read.number, 1);
  EXPECT_LE(endless.taken(), 3 * kMaxLineBytes);
}

TEST(LineReaderTest, AScriptOverItsLimitIsBadWhereItPassesIt) {
  const ScriptLimits limits{16, 40};
  // Byte-order mark and line breaks count: 3 + 4 * 10 bytes.
  TextInput tooLarge("\xEF\xBB\xBFshow cars\nshow cars\nshow cars\nshow cars\n");
  LineReader over(tooLarge, limits);
  const ReadLines read = ReadAll(over);
  EXPECT_EQ(read.end, LineReader::Outcome::kBadLine);
  EXPECT_EQ(read.number, 4);
  EXPECT_EQ(read.message, "script larger than 40 bytes");
  EXPECT_EQ(read.lines, 3);

  TextInput fitting("show cars\nshow cars\nshow cars\nshow cars\n");
  LineReader fits(fitting, limits);
  const ReadLines whole = ReadAll(fits);
  EXPECT_EQ(whole.end, LineReader::Outcome::kEnd);
  EXPECT_EQ(whole.lines, 4);
}

// A failing input is a read failure with the input's message, not a bad line.
TEST(LineReaderTest, ReportsAFailingInput) {
  class Failing : public ScriptInput {
    files::Status Read(char*, std::size_t, std::size_t* count) override {
      *count = 0;
      return files::Status::Error("Input/output error");
    }
  } failing;
  LineReader reader(failing);
  const ReadLines read = ReadAll(reader);
  EXPECT_EQ(read.end, LineReader::Outcome::kReadFailed);
  EXPECT_EQ(read.message, "Input/output error");
}

// The rehearsal keeps the text it read, for the run that counts to read
// again: without the byte-order mark and carriage returns, numbered alike.
TEST(LineReaderTest, KeepsTheTextItRead) {
  std::string kept;
  TextInput input("\xEF\xBB\xBF# one\r\n\ncar Ava\nshow cars");
  LineReader reader(input);
  reader.KeepText(&kept);
  EXPECT_EQ(ReadAll(reader).end, LineReader::Outcome::kEnd);
  EXPECT_EQ(kept, "# one\n\ncar Ava\nshow cars\n");

  LineReader again(kept);
  std::string line;
  for (int number = 1; number <= 4; ++number) {
    ASSERT_EQ(again.Next(&line), LineReader::Outcome::kLine);
    EXPECT_EQ(again.number(), number);
  }
  EXPECT_EQ(line, "show cars");
  EXPECT_EQ(again.Next(&line), LineReader::Outcome::kEnd);
}

}  // namespace
}  // namespace vantorel_sim
