#include "ScriptReader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "Paths.h"
#include "TestFiles.h"
#include "files/Files.h"

namespace vantorel_sim {
namespace {

Command ReadOne(const std::string& line) {
  std::vector<Command> commands;
  ScriptError error;
  EXPECT_TRUE(ReadScript(line + "\n", &commands, &error)) << line << ": " << error.message;
  EXPECT_EQ(commands.size(), 1u) << line;
  return commands.empty() ? Command{} : commands[0];
}

// The error for `bad` placed on line 3 of a script whose other lines are good.
ScriptError ErrorOf(const std::string& bad) {
  std::vector<Command> commands;
  ScriptError error;
  EXPECT_FALSE(ReadScript("car Ava local\n# a comment\n" + bad + "\nshow cars\n", &commands,
                          &error))
      << bad;
  return error;
}

void ExpectVector(const Vector& v, float x, float y, float z) {
  EXPECT_EQ(v.X, x);
  EXPECT_EQ(v.Y, y);
  EXPECT_EQ(v.Z, z);
}

TEST(ScriptReaderTest, ReadsMatchCommands) {
  EXPECT_EQ(ReadOne("game online").mode, ScriptGameMode::kOnline);
  EXPECT_EQ(ReadOne("game none").mode, ScriptGameMode::kNone);
  EXPECT_EQ(ReadOne("game hosted").mode, ScriptGameMode::kHosted);
  EXPECT_TRUE(ReadOne("server null").null);
  EXPECT_FALSE(ReadOne("server present").null);
  EXPECT_EQ(ReadOne("server present").kind, CommandKind::kServer);

  const Command canvas = ReadOne("canvas 2147483647 1");
  EXPECT_EQ(canvas.kind, CommandKind::kCanvas);
  EXPECT_EQ(canvas.canvas.X, 2147483647);
  EXPECT_EQ(canvas.canvas.Y, 1);

  const Command camera = ReadOne("camera loc=1,-2.5,3e2 rot=-2147483648,16384,7 fov=75.5");
  EXPECT_EQ(camera.kind, CommandKind::kCamera);
  EXPECT_FALSE(camera.null);
  ExpectVector(*camera.view.location, 1.0f, -2.5f, 300.0f);
  EXPECT_EQ(camera.view.rotation->Pitch, -2147483647 - 1);
  EXPECT_EQ(camera.view.rotation->Yaw, 16384);
  EXPECT_EQ(camera.view.rotation->Roll, 7);
  EXPECT_EQ(*camera.view.fieldOfView, 75.5f);

  const Command partial = ReadOne("camera fov=60");
  EXPECT_FALSE(partial.view.location.has_value());
  EXPECT_FALSE(partial.view.rotation.has_value());
  EXPECT_TRUE(ReadOne("camera null").null);

  const Command ball = ReadOne("ball loc=0,0,93");
  EXPECT_EQ(ball.kind, CommandKind::kBall);
  ExpectVector(*ball.view.location, 0.0f, 0.0f, 93.0f);
  EXPECT_TRUE(ReadOne("ball null").null);
  EXPECT_EQ(ReadOne("nullcar").kind, CommandKind::kNullCar);
}

TEST(ScriptReaderTest, ReadsCarsWithEveryOption) {
  const Command car = ReadOne(
      "car Ava team=255 loc=1,2,3 vel=4,5,6 angvel=7,8,9 rot=10,11,12 boost=33.5 "
      "screen=-5,2147483647 local nopri noboost");
  EXPECT_EQ(car.kind, CommandKind::kCar);
  EXPECT_EQ(car.name, "Ava");
  EXPECT_EQ(*car.car.team, 255);
  ExpectVector(*car.car.location, 1, 2, 3);
  ExpectVector(*car.car.velocity, 4, 5, 6);
  ExpectVector(*car.car.angularVelocity, 7, 8, 9);
  EXPECT_EQ(car.car.rotation->Pitch, 10);
  EXPECT_EQ(car.car.rotation->Roll, 12);
  EXPECT_EQ(*car.car.boost, 33.5f);
  EXPECT_EQ(car.car.screen->X, -5);
  EXPECT_EQ(car.car.screen->Y, 2147483647);
  EXPECT_TRUE(car.car.local);
  EXPECT_TRUE(car.car.noPlayerInfo);
  EXPECT_TRUE(car.car.noBoostComponent);

  const Command bare = ReadOne("car Bo");
  EXPECT_FALSE(bare.car.team || bare.car.location || bare.car.boost || bare.car.screen);
  EXPECT_FALSE(bare.car.local || bare.car.noPlayerInfo || bare.car.noBoostComponent);

  const Command set = ReadOne("set Bo boost=1 screen=none");
  EXPECT_EQ(set.kind, CommandKind::kSet);
  EXPECT_EQ(set.name, "Bo");
  EXPECT_EQ(*set.car.boost, 1.0f);
  EXPECT_TRUE(set.car.clearScreen);
  EXPECT_FALSE(set.car.location.has_value());
}

TEST(ScriptReaderTest, ReadsHostCommands) {
  EXPECT_EQ(ReadOne("local Bo").name, "Bo");
  const Command none = ReadOne("local none");
  EXPECT_EQ(none.kind, CommandKind::kLocal);
  EXPECT_EQ(none.name, "");
  EXPECT_EQ(ReadOne("plugin load").kind, CommandKind::kPluginLoad);
  EXPECT_EQ(ReadOne("plugin unload").kind, CommandKind::kPluginUnload);

  const Command variable = ReadOne("vantorel_enable 1");
  EXPECT_EQ(variable.kind, CommandKind::kVariable);
  EXPECT_EQ(variable.name, "vantorel_enable");
  EXPECT_EQ(variable.value, "1");
  // The console judges the value, not the reader.
  EXPECT_EQ(ReadOne("vantorel_enable abc").value, "abc");

  EXPECT_EQ(ReadOne("press").name, "");
  EXPECT_EQ(ReadOne("press Bo").name, "Bo");
  EXPECT_EQ(ReadOne("frame").frames, 1);
  EXPECT_EQ(ReadOne("frame 0").frames, 0);
  EXPECT_EQ(ReadOne("frame 2147483647").frames, 2147483647);
  EXPECT_EQ(ReadOne("show cars").kind, CommandKind::kShowCars);
  EXPECT_EQ(ReadOne("show cvars").kind, CommandKind::kShowVariables);
}

TEST(ScriptReaderTest, FloatsReadAsStrtofReadsThem) {
  const Command car = ReadOne("car A loc=0.1,1e-45,-3.4028235e38 boost=-0");
  ExpectVector(*car.car.location, 0.1f, 1e-45f, -3.4028235e38f);
  EXPECT_TRUE(std::signbit(*car.car.boost));
  // Underflow to zero or a subnormal still fits a float.
  ExpectVector(*ReadOne("car A loc=1e-50,0,0").car.location, 0.0f, 0.0f, 0.0f);
}

TEST(ScriptReaderTest, KeepsLineNumbersAcrossBlankCommentAndWindowsLines) {
  const std::string text =
      "\xEF\xBB\xBF# first\r\n"
      "\r\n"
      "   \t# indented comment\n"
      "\tcar  Ava\t team=1  \r\n"
      "\n"
      "show cars";  // no final line break
  std::vector<Command> commands;
  ScriptError error;
  ASSERT_TRUE(ReadScript(text, &commands, &error)) << error.message;
  ASSERT_EQ(commands.size(), 2u);
  EXPECT_EQ(commands[0].line, 4);
  EXPECT_EQ(commands[0].name, "Ava");
  EXPECT_EQ(*commands[0].car.team, 1);
  EXPECT_EQ(commands[1].line, 6);
  EXPECT_EQ(commands[1].kind, CommandKind::kShowCars);
}

TEST(ScriptReaderTest, ReportsTheFirstBadLineOnly) {
  std::vector<Command> commands;
  ScriptError error;
  ASSERT_FALSE(ReadScript("show cars\ngame sideways\ncar\n", &commands, &error));
  EXPECT_EQ(error.line, 2);
  EXPECT_NE(error.message.find("'game' takes"), std::string::npos) << error.message;
}

struct BadLine {
  const char* text;
  const char* message;  // a part of the message
};

void ExpectBadLines(const std::vector<BadLine>& cases) {
  for (const BadLine& bad : cases) {
    const ScriptError error = ErrorOf(bad.text);
    EXPECT_EQ(error.line, 3) << bad.text;
    EXPECT_NE(error.message.find(bad.message), std::string::npos)
        << bad.text << " gave: " << error.message;
  }
}

// Only the player knows which names are console variables: the reader
// hands on any other first word with however many values follow it.
TEST(ScriptReaderTest, LeavesUnknownWordsAndValueCountsToThePlayer) {
  const Command alone = ReadOne("vantorel_enable");
  EXPECT_EQ(alone.kind, CommandKind::kVariable);
  EXPECT_EQ(alone.name, "vantorel_enable");
  EXPECT_EQ(alone.valueCount, 0u);
  const Command two = ReadOne("vantorel_enable 1 2");
  EXPECT_EQ(two.value, "1");
  EXPECT_EQ(two.valueCount, 2u);
  EXPECT_EQ(ReadOne("vantorel_enable 1").valueCount, 1u);
  EXPECT_EQ(ReadOne("Car Ava team=1").kind, CommandKind::kVariable);
}

TEST(ScriptReaderTest, RefusesUnknownOptionsAndArguments) {
  ExpectBadLines({
      {"car Bo colour=red", "unknown option \"colour\" for car"},
      {"car Bo fast", "unknown option \"fast\" for car"},
      {"car Bo local=1", "unknown option \"local\" for car"},
      {"set Bo local", "unknown option \"local\" for set"},
      {"set Bo nopri", "unknown option \"nopri\" for set"},
      {"ball fov=90", "unknown option \"fov\" for ball"},
      {"camera zoom=2", "unknown option \"zoom\" for camera"},
      {"camera loc", "unknown option \"loc\" for camera"},
      {"car Bo team=1 team=2", "option \"team\" given twice"},
      {"camera fov=60 fov=70", "option \"fov\" given twice"},
      {"car Bo screen=none", "screen=none is for 'set'"},
      {"game sideways", "'game' takes hosted, online or none"},
      {"game", "'game' takes hosted, online or none"},
      {"game hosted now", "unexpected \"now\""},
      {"server absent", "'server' takes null or present"},
      {"plugin reload", "'plugin' takes load or unload"},
      {"show everything", "'show' takes cars or cvars"},
      {"car", "'car' needs a car name"},
      {"set", "'set' needs a car name"},
      {"car none", "'none' cannot name a car"},
      {"car a=b", "cannot contain '='"},
      {"local", "'local' needs more words"},
      {"local Ava Bo", "unexpected \"Bo\""},
      {"press Ava Bo", "unexpected \"Bo\""},
      {"frame 1 2", "unexpected \"2\""},
      {"nullcar Bo", "unexpected \"Bo\""},
      {"canvas 100", "'canvas' needs more words"},
  });
}

TEST(ScriptReaderTest, RefusesMalformedNumbers) {
  ExpectBadLines({
      {"car Bo loc=1,2", "\"loc=1,2\" needs 3 comma-separated numbers"},
      {"car Bo loc=1,2,3,4", "needs 3 comma-separated numbers"},
      {"car Bo loc=1,,3", "malformed number \"\" in \"loc=1,,3\""},
      {"car Bo loc=a,0,0", "malformed number \"a\""},
      {"car Bo loc=1.5x,0,0", "malformed number \"1.5x\""},
      {"car Bo boost=", "malformed number \"\""},
      {"car Bo team=1.5", "malformed number \"1.5\" in \"team=1.5\""},
      {"car Bo team=", "malformed number \"\""},
      {"car Bo rot=0,1.0,0", "malformed number \"1.0\""},
      {"car Bo screen=1", "\"screen=1\" needs 2 comma-separated numbers"},
      {"set Bo screen=1,x", "malformed number \"x\""},
      {"camera fov=wide", "malformed number \"wide\""},
      {"canvas 10 x", "malformed number \"x\" in canvas height"},
      {"canvas 0x10 10", "malformed number \"0x10\" in canvas width"},
      {"frame two", "malformed number \"two\" in frame count"},
      {"frame 1-2", "malformed number \"1-2\""},
  });
}

TEST(ScriptReaderTest, RefusesNumbersOutOfRange) {
  ExpectBadLines({
      {"car Bo team=256", "number \"256\" out of range in \"team=256\""},
      {"car Bo team=-1", "number \"-1\" out of range"},
      {"car Bo rot=2147483648,0,0", "number \"2147483648\" out of range"},
      {"car Bo rot=0,-2147483649,0", "number \"-2147483649\" out of range"},
      {"car Bo rot=0,0,99999999999999999999999", "out of range"},
      {"car Bo screen=0,4294967296", "number \"4294967296\" out of range"},
      {"car Bo loc=1e39,0,0", "number \"1e39\" out of range in \"loc=1e39,0,0\""},
      {"car Bo boost=-1e40", "number \"-1e40\" out of range"},
      {"canvas 0 10", "number \"0\" out of range in canvas width"},
      {"canvas 10 -5", "number \"-5\" out of range in canvas height"},
      {"canvas 2147483648 10", "out of range in canvas width"},
      {"frame -1", "number \"-1\" out of range in frame count"},
      {"frame 2147483648", "out of range in frame count"},
      {"camera fov=0", "fov must lie between 0 and 180"},
      {"camera fov=180", "fov must lie between 0 and 180"},
      {"camera fov=nan", "fov must lie between 0 and 180"},
  });
}

// A name is printed whole on lines of its own: a NUL would cut them short, an
// escape sequence would reach the terminal.
TEST(ScriptReaderTest, RefusesControlCharactersInNames) {
  for (const std::string& bad :
       {std::string("car A\0B team=1", 14), std::string("set A\x1b[31m boost=1"),
        std::string("local A\x7f"), std::string("press A\x01"),
        std::string("vantorel_\x1b[2Jenable 1")}) {
    const ScriptError error = ErrorOf(bad);
    EXPECT_EQ(error.line, 3) << bad;
    EXPECT_NE(error.message.find("holds a control character"), std::string::npos)
        << error.message;
    for (const char c : error.message) {
      EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20 || c == 0x7f) << error.message;
    }
  }
  EXPECT_NE(ErrorOf(std::string("car A\0B team=1", 14)).message.find("\"A\\x00B\""),
            std::string::npos);
  EXPECT_NE(ErrorOf("vantorel_\x1b[2Jenable 1").message.find("console variable name"),
            std::string::npos);
}

// What a message echoes of a line is escaped and cut short, however long.
TEST(ScriptReaderTest, EchoesUserTextEscapedAndCutShort) {
  const std::string flood(60000, 'x');
  for (const std::string& bad : {"car Bo loc=" + flood, "car Bo " + flood + "=1",
                                "game hosted " + flood, "frame " + flood}) {
    const std::string message = ErrorOf(bad).message;
    EXPECT_LT(message.size(), 200u) << bad.substr(0, 20);
    EXPECT_NE(message.find(" bytes)"), std::string::npos) << message;
  }
  const std::string message = ErrorOf("car Bo \x1b]0;owned\x07=1").message;
  EXPECT_NE(message.find("\"\\x1b]0;owned\\x07\""), std::string::npos) << message;
}

// Lines of a script file, as ScriptReader reads them from a stream.
class StreamTest : public ::testing::Test {
 protected:
  ~StreamTest() override {
    if (file_ != nullptr) std::fclose(file_);
  }
  // A file holding `content`, open for reading, in place of the one before.
  std::FILE* Open(const std::string& content) {
    if (file_ != nullptr) std::fclose(file_);
    const std::string path = vantorel_test::TempPath("scn");
    vantorel_test::WriteFile(path, content);
    file_ = files::OpenFile(path, "rb");
    return file_;
  }
  // Reads everything, counting commands_ anew; the status that ended it.
  ScriptReader::Status ReadAll(ScriptReader& reader) {
    Command command;
    ScriptReader::Status status;
    commands_ = 0;
    while ((status = reader.Next(&command)) == ScriptReader::Status::kCommand) ++commands_;
    return status;
  }

  std::FILE* file_ = nullptr;
  int commands_ = 0;
};

TEST_F(StreamTest, ALineOver64KiBIsBad) {
  const std::string longest(kMaxLineBytes, 'x');
  ScriptReader fits(Open("show cars\n#" + longest.substr(1) + "\r\n#" + longest.substr(1)));
  EXPECT_EQ(ReadAll(fits), ScriptReader::Status::kEnd) << fits.error().message;
  EXPECT_EQ(commands_, 1);

  ScriptReader over(Open("show cars\n#" + longest + "\nshow cars\n"));
  EXPECT_EQ(ReadAll(over), ScriptReader::Status::kBadLine);
  EXPECT_EQ(over.error().line, 2);
  EXPECT_EQ(over.error().message, "line longer than 64 KiB");

  // The last line, without a line break, counts alike.
  ScriptReader last(Open("show cars\n#" + longest));
  EXPECT_EQ(ReadAll(last), ScriptReader::Status::kBadLine);
  EXPECT_EQ(last.error().line, 2);
}

// An endless line is refused without reading it all: the reader stops a
// chunk past the limit.
TEST_F(StreamTest, StopsReadingAtTheLimit) {
  ScriptReader reader(Open(std::string(std::size_t{4} << 20, '#')));
  EXPECT_EQ(ReadAll(reader), ScriptReader::Status::kBadLine);
  EXPECT_EQ(reader.error().line, 1);
  EXPECT_LE(std::ftell(file_), 3 * static_cast<long>(kMaxLineBytes));
}

TEST_F(StreamTest, AScriptOverItsLimitIsBadWhereItPassesIt) {
  const ScriptLimits limits{16, 40};
  // Byte-order mark and line breaks count: 3 + 4 * 10 bytes.
  ScriptReader over(Open("\xEF\xBB\xBFshow cars\nshow cars\nshow cars\nshow cars\n"), limits);
  EXPECT_EQ(ReadAll(over), ScriptReader::Status::kBadLine);
  EXPECT_EQ(over.error().line, 4);
  EXPECT_EQ(over.error().message, "script larger than 40 bytes");
  EXPECT_EQ(commands_, 3);

  ScriptReader fits(Open("show cars\nshow cars\nshow cars\nshow cars\n"), limits);
  EXPECT_EQ(ReadAll(fits), ScriptReader::Status::kEnd);
  EXPECT_EQ(commands_, 4);
}

TEST_F(StreamTest, KeepsTheTextItRead) {
  std::string kept;
  ScriptReader reader(Open("\xEF\xBB\xBF# one\r\n\ncar Ava\nshow cars"));
  reader.KeepText(&kept);
  EXPECT_EQ(ReadAll(reader), ScriptReader::Status::kEnd);
  EXPECT_EQ(kept, "# one\n\ncar Ava\nshow cars\n");
  std::vector<Command> commands;
  ScriptError error;
  ASSERT_TRUE(ReadScript(kept, &commands, &error));
  ASSERT_EQ(commands.size(), 2u);
  EXPECT_EQ(commands[1].line, 4);
}

// --help and README.md print the grammar as it comes: one entry per command,
// each starting a line of its own, and no line wider than a terminal.
TEST(ScriptReaderTest, GrammarListsEveryCommandWithinSeventyEightColumns) {
  const std::string grammar = ScriptGrammar();
  for (const char* start : {"game ", "server ", "canvas ", "camera ", "ball ", "car ", "set ",
                            "nullcar ", "local ", "plugin ", "press ", "frame ", "show ",
                            "NAME VALUE "}) {
    EXPECT_NE(grammar.find(std::string("\n  ") + start), std::string::npos) << start;
  }
  std::istringstream lines(grammar);
  for (std::string line; std::getline(lines, line);) {
    EXPECT_LE(line.size(), 78u) << line;
  }
}

}  // namespace
}  // namespace vantorel_sim
