// The script language's grammar: one line as one command, and a script's
// lines as commands, numbered as they stand in the file.

#include "Grammar.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "ScriptPlayerFixture.h"

namespace vantorel_sim {
namespace {

using vantorel_test::CommandOf;

// One line read alone, as a command of type T.
template <typename T>
T Read(const std::string& line) {
  const Command command = CommandOf(line);
  EXPECT_TRUE(std::holds_alternative<T>(command)) << line;
  return std::holds_alternative<T>(command) ? std::get<T>(command) : T();
}

// A script read to its end or to its first bad line.
struct ReadScript {
  std::vector<std::pair<int, Command>> commands;  // with their line numbers
  CommandReader::Outcome end = CommandReader::Outcome::kEnd;
  int line = 0;         // the bad line
  std::string message;  // what is wrong with it
};

ReadScript ReadAll(const std::string& text) {
  LineReader lines(text);
  CommandReader reader(lines);
  ReadScript read;
  Command command;
  while ((read.end = reader.Next(&command)) == CommandReader::Outcome::kCommand) {
    read.commands.emplace_back(reader.line(), command);
  }
  read.line = reader.line();
  read.message = reader.status().message();
  return read;
}

// The bad line `bad` placed on line 3 of a script whose other lines are good.
ReadScript ErrorOf(const std::string& bad) {
  const ReadScript read = ReadAll("car Ava local\n# a comment\n" + bad + "\nshow cars\n");
  EXPECT_EQ(read.end, CommandReader::Outcome::kBadLine) << bad;
  return read;
}

void ExpectVector(const Vector& v, float x, float y, float z) {
  EXPECT_EQ(v.X, x);
  EXPECT_EQ(v.Y, y);
  EXPECT_EQ(v.Z, z);
}

TEST(GrammarTest, ReadsMatchCommands) {
  EXPECT_EQ(Read<command::Game>("game online").mode, simhost::GameMode::kOnline);
  EXPECT_EQ(Read<command::Game>("game none").mode, simhost::GameMode::kNone);
  EXPECT_EQ(Read<command::Game>("game hosted").mode, simhost::GameMode::kHosted);
  EXPECT_TRUE(Read<command::Server>("server null").null);
  EXPECT_FALSE(Read<command::Server>("server present").null);

  const command::Canvas canvas = Read<command::Canvas>("canvas 2147483647 1");
  EXPECT_EQ(canvas.size.X, 2147483647);
  EXPECT_EQ(canvas.size.Y, 1);

  const auto camera =
      Read<command::Camera>("camera loc=1,-2.5,3e2 rot=-2147483648,16384,7 fov=75.5");
  EXPECT_FALSE(camera.null);
  ExpectVector(*camera.location, 1.0f, -2.5f, 300.0f);
  EXPECT_EQ(camera.rotation->Pitch, -2147483647 - 1);
  EXPECT_EQ(camera.rotation->Yaw, 16384);
  EXPECT_EQ(camera.rotation->Roll, 7);
  EXPECT_EQ(*camera.fieldOfView, 75.5f);

  const auto partial = Read<command::Camera>("camera fov=60");
  EXPECT_FALSE(partial.location.has_value());
  EXPECT_FALSE(partial.rotation.has_value());
  EXPECT_TRUE(Read<command::Camera>("camera null").null);

  ExpectVector(*Read<command::Ball>("ball loc=0,0,93").location, 0.0f, 0.0f, 93.0f);
  EXPECT_TRUE(Read<command::Ball>("ball null").null);
  Read<command::NullCar>("nullcar");
}

TEST(GrammarTest, ReadsCarsWithEveryOption) {
  const auto car = Read<command::Car>(
      "car Ava team=255 loc=1,2,3 vel=4,5,6 angvel=7,8,9 rot=10,11,12 boost=33.5 "
      "screen=-5,2147483647 local nopri noboost");
  EXPECT_EQ(car.name, "Ava");
  EXPECT_EQ(*car.fields.team, 255);
  ExpectVector(*car.fields.location, 1, 2, 3);
  ExpectVector(*car.fields.velocity, 4, 5, 6);
  ExpectVector(*car.fields.angularVelocity, 7, 8, 9);
  EXPECT_EQ(car.fields.rotation->Pitch, 10);
  EXPECT_EQ(car.fields.rotation->Roll, 12);
  EXPECT_EQ(*car.fields.boost, 33.5f);
  EXPECT_EQ(car.fields.screen->X, -5);
  EXPECT_EQ(car.fields.screen->Y, 2147483647);
  EXPECT_TRUE(car.local);
  EXPECT_TRUE(car.noPlayerInfo);
  EXPECT_TRUE(car.noBoostComponent);

  const auto bare = Read<command::Car>("car Bo");
  EXPECT_FALSE(bare.fields.team || bare.fields.location || bare.fields.boost ||
               bare.fields.screen);
  EXPECT_FALSE(bare.local || bare.noPlayerInfo || bare.noBoostComponent);

  const auto set = Read<command::Set>("set Bo boost=1 screen=none");
  EXPECT_EQ(set.name, "Bo");
  EXPECT_EQ(*set.fields.boost, 1.0f);
  EXPECT_TRUE(set.clearScreen);
  EXPECT_FALSE(set.fields.location.has_value());
}

TEST(GrammarTest, ReadsHostCommands) {
  EXPECT_EQ(Read<command::Local>("local Bo").name, "Bo");
  EXPECT_FALSE(Read<command::Local>("local none").name.has_value());
  Read<command::PluginLoad>("plugin load");
  Read<command::PluginUnload>("plugin unload");

  const auto variable = Read<command::Variable>("vantorel_enable 1");
  EXPECT_EQ(variable.name, "vantorel_enable");
  EXPECT_EQ(variable.values, std::vector<std::string>{"1"});
  // The console judges the value, not the grammar.
  EXPECT_EQ(Read<command::Variable>("vantorel_enable abc").values[0], "abc");

  EXPECT_FALSE(Read<command::Press>("press").name.has_value());
  EXPECT_EQ(Read<command::Press>("press Bo").name, "Bo");
  EXPECT_EQ(Read<command::Frame>("frame").count, 1);
  EXPECT_EQ(Read<command::Frame>("frame 0").count, 0);
  EXPECT_EQ(Read<command::Frame>("frame 2147483647").count, 2147483647);
  Read<command::ShowCars>("show cars");
  Read<command::ShowVariables>("show cvars");
}

TEST(GrammarTest, FloatsReadAsStrtofReadsThem) {
  const auto car = Read<command::Car>("car A loc=0.1,1e-45,-3.4028235e38 boost=-0");
  ExpectVector(*car.fields.location, 0.1f, 1e-45f, -3.4028235e38f);
  EXPECT_TRUE(std::signbit(*car.fields.boost));
  // Underflow to zero or a subnormal still fits a float.
  ExpectVector(*Read<command::Car>("car A loc=1e-50,0,0").fields.location, 0.0f, 0.0f, 0.0f);
}

TEST(GrammarTest, KeepsLineNumbersAcrossBlankCommentAndWindowsLines) {
  const ReadScript read = ReadAll(
      "\xEF\xBB\xBF# first\r\n"
      "\r\n"
      "   \t# indented comment\n"
      "\tcar  Ava\t team=1  \r\n"
      "\n"
      "show cars");  // no final line break
  ASSERT_EQ(read.end, CommandReader::Outcome::kEnd) << read.message;
  ASSERT_EQ(read.commands.size(), 2u);
  EXPECT_EQ(read.commands[0].first, 4);
  const auto& car = std::get<command::Car>(read.commands[0].second);
  EXPECT_EQ(car.name, "Ava");
  EXPECT_EQ(*car.fields.team, 1);
  EXPECT_EQ(read.commands[1].first, 6);
  EXPECT_TRUE(std::holds_alternative<command::ShowCars>(read.commands[1].second));
}

TEST(GrammarTest, ReportsTheFirstBadLineOnly) {
  const ReadScript read = ReadAll("show cars\ngame sideways\ncar\n");
  ASSERT_EQ(read.end, CommandReader::Outcome::kBadLine);
  EXPECT_EQ(read.commands.size(), 1u);
  EXPECT_EQ(read.line, 2);
  EXPECT_NE(read.message.find("'game' takes"), std::string::npos) << read.message;
}

struct BadLine {
  std::string text;
  const char* message;  // a part of the message
};

void ExpectBadLines(const std::vector<BadLine>& cases) {
  for (const BadLine& bad : cases) {
    const ReadScript error = ErrorOf(bad.text);
    EXPECT_EQ(error.line, 3) << bad.text;
    EXPECT_NE(error.message.find(bad.message), std::string::npos)
        << bad.text << " gave: " << error.message;
  }
}

// Only the player knows which names are console variables: the reader
// hands on any other first word with however many values follow it.
TEST(GrammarTest, LeavesUnknownWordsAndValueCountsToThePlayer) {
  const auto alone = Read<command::Variable>("vantorel_enable");
  EXPECT_EQ(alone.name, "vantorel_enable");
  EXPECT_TRUE(alone.values.empty());
  EXPECT_EQ(Read<command::Variable>("vantorel_enable 1 2").values,
            (std::vector<std::string>{"1", "2"}));
  EXPECT_EQ(Read<command::Variable>("Car Ava team=1").name, "Car");
}

TEST(GrammarTest, RefusesUnknownOptionsAndArguments) {
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

TEST(GrammarTest, RefusesMalformedNumbers) {
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

// Floats as the console takes them: finite decimal numbers, and nothing
// else strtof would read.
TEST(GrammarTest, RefusesNumbersThatAreNotFiniteDecimals) {
  ExpectBadLines({
      {"car Bo loc=nan,0,0",
       "malformed number \"nan\" in \"loc=nan,0,0\": not a finite decimal number"},
      {"ball vel=0,-Infinity,0", "malformed number \"-Infinity\" in \"vel=0,-Infinity,0\""},
      {"camera fov=NAN", "malformed number \"NAN\" in \"fov=NAN\""},
      {"car Bo boost=0x10", "malformed number \"0x10\" in \"boost=0x10\""},
      {"set Bo boost=0x1p3", "malformed number \"0x1p3\""},
      {"car Bo boost=\v1", "malformed number \"\\x0b1\""},
  });
}

TEST(GrammarTest, RefusesNumbersOutOfRange) {
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
  });
}

// A name is printed whole on lines of its own: a NUL would cut them short, an
// escape sequence would reach the terminal, a bidirectional override would
// make the line show other than it says.
TEST(GrammarTest, RefusesNamesThatDoNotShowAsTheyAre) {
  ExpectBadLines({
      {std::string("car A\0B team=1", 14), "car name \"A\\x00B\" holds a control character"},
      {"set A\x1b[31m boost=1", "car name \"A\\x1b[31m\" holds a control character"},
      {"local A\x7f", "holds a control character"},
      {"vantorel_\x1b[2Jenable 1", "console variable name \"vantorel_\\x1b[2Jenable\""},
      {"car A\xc2\x9b" "31m", "car name \"A\\u009b31m\" holds a control character"},
      {"car abc\xe2\x80\xaetxt.exe", "\"abc\\u202etxt.exe\" holds a bidirectional override"},
      {"press A\xe2\x81\xa6", "\"A\\u2066\" holds a bidirectional override or isolate"},
      {"car A\xc3", "car name \"A\\xc3\" is not valid UTF-8"},
      {"vantorel_enable\x80 1", "console variable name \"vantorel_enable\\x80\" is not valid"},
  });
  // Names in other scripts, accents and emoji are names like any other.
  EXPECT_EQ(Read<command::Car>("car Zo\xc3\xab\xe6\x9d\xb1\xf0\x9f\x9a\x97").name,
            "Zo\xc3\xab\xe6\x9d\xb1\xf0\x9f\x9a\x97");
}

// What a message echoes of a line is escaped and cut short, however long.
TEST(GrammarTest, EchoesUserTextEscapedAndCutShort) {
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

}  // namespace
}  // namespace vantorel_sim
