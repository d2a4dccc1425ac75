// A script's lines as LineReader reads them from an input: the limits, the
// byte-order mark, carriage returns, and the text it keeps.

#include "LineReader.h"

#include <gtest/gtest.h>

#include <string>

#include "ScriptPlayerFixture.h"

namespace vantorel_sim {
namespace {

using vantorel_test::TextInput;

// Reads `text` (with `limits`) to its end or its first bad line: how that
// went, the number of the line it stopped at, and how many lines came.
struct ReadLines {
  LineReader::Outcome end;
  int number;
  std::string message;
  int lines = 0;
};

ReadLines ReadAll(ScriptInput& input, ScriptLimits limits = ScriptLimits()) {
  LineReader reader(input, limits);
  std::string line;
  int lines = 0;
  LineReader::Outcome end;
  while ((end = reader.Next(&line)) == LineReader::Outcome::kLine) ++lines;
  return ReadLines{end, reader.number(), reader.status().message(), lines};
}

ReadLines ReadAll(const std::string& text, ScriptLimits limits = ScriptLimits()) {
  TextInput input(text);
  return ReadAll(input, limits);
}

TEST(LineReaderTest, ALineOver64KiBIsBad) {
  const std::string longest(kMaxLineBytes, 'x');
  const ReadLines fits = ReadAll("show cars\n#" + longest.substr(1) + "\r\n#" + longest.substr(1));
  EXPECT_EQ(fits.end, LineReader::Outcome::kEnd) << fits.message;
  EXPECT_EQ(fits.lines, 3);

  const ReadLines over = ReadAll("show cars\n#" + longest + "\nshow cars\n");
  EXPECT_EQ(over.end, LineReader::Outcome::kBadLine);
  EXPECT_EQ(over.number, 2);
  EXPECT_EQ(over.message, "line longer than 64 KiB");

  // The last line, without a line break, counts alike.
  const ReadLines last = ReadAll("show cars\n#" + longest);
  EXPECT_EQ(last.end, LineReader::Outcome::kBadLine);
  EXPECT_EQ(last.number, 2);
}

// An endless line is refused without reading it all: the reader stops a
// chunk past the limit.
TEST(LineReaderTest, StopsReadingAtTheLimit) {
  TextInput endless(std::string(std::size_t{4} << 20, '#'));
  const ReadLines read = ReadAll(endless);
  EXPECT_EQ(read.end, LineReader::Outcome::kBadLine);
  EXPECT_EQ(read.number, 1);
  EXPECT_LE(endless.taken(), 3 * kMaxLineBytes);
}

TEST(LineReaderTest, AScriptOverItsLimitIsBadWhereItPassesIt) {
  const ScriptLimits limits{16, 40};
  // Byte-order mark and line breaks count: 3 + 4 * 10 bytes.
  const ReadLines over =
      ReadAll("\xEF\xBB\xBFshow cars\nshow cars\nshow cars\nshow cars\n", limits);
  EXPECT_EQ(over.end, LineReader::Outcome::kBadLine);
  EXPECT_EQ(over.number, 4);
  EXPECT_EQ(over.message, "script larger than 40 bytes");
  EXPECT_EQ(over.lines, 3);

  const ReadLines fits = ReadAll("show cars\nshow cars\nshow cars\nshow cars\n", limits);
  EXPECT_EQ(fits.end, LineReader::Outcome::kEnd);
  EXPECT_EQ(fits.lines, 4);
}

// A failing input is a read failure with the input's message, not a bad line.
TEST(LineReaderTest, ReportsAFailingInput) {
  class Failing : public ScriptInput {
    files::Status Read(char*, std::size_t, std::size_t* count) override {
      *count = 0;
      return files::Status::Error("Input/output error");
    }
  } failing;
  const ReadLines read = ReadAll(failing);
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
  std::string line;
  while (reader.Next(&line) == LineReader::Outcome::kLine) {
  }
  EXPECT_EQ(kept, "# one\n\ncar Ava\nshow cars\n");
  const ReadLines again = ReadAll(kept);
  EXPECT_EQ(again.end, LineReader::Outcome::kEnd);
  EXPECT_EQ(again.lines, 4);
  EXPECT_EQ(again.number, 4);
}

}  // namespace
}  // namespace vantorel_sim
