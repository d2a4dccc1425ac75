#include "simhost/Console.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "RecordingListener.h"
#include "Paths.h"
#include "StatusAssertions.h"
#include "TestFiles.h"

namespace vantorel_test {
namespace {

using simhost::Binding;
using simhost::Variable;

// A console of the test's own, reporting to a recording listener. The suites
// Console and ConsoleConfig are this fixture under their own names.
class ConsoleTest : public ::testing::Test {
 protected:
  ConsoleTest() : console_(listener_) {}

  RecordingListener listener_;
  simhost::Console console_;
};
using Console = ConsoleTest;
using ConsoleConfig = ConsoleTest;

Variable& Bounded(simhost::Console& console, const std::string& name, float min, float max,
                  const std::string& defaultValue = "0") {
  return console.Register(name, defaultValue, "", true, true, min, true, max, true);
}

Variable& Unbounded(simhost::Console& console, const std::string& name, const std::string& defaultValue = "0") {
  return console.Register(name, defaultValue, "", true, false, 0, false, 0, true);
}

// ---------------------------------------------------------------------------
// Parsing, clamping, the variable's text

struct SetCase {
  const char* text;
  bool bounded;
  float min;
  float max;
  bool taken;
  const char* value;  // the variable's text afterwards
  float number;
};

// Names a case by its text and bounds, so that CTest lists the same test
// names on every build rather than the bytes of the struct.
void PrintTo(const SetCase& c, std::ostream* out) {
  *out << '"' << c.text << '"';
  if (c.bounded) *out << " in [" << c.min << ", " << c.max << "]";
}

class ConsoleSetTable : public ConsoleTest, public ::testing::WithParamInterface<SetCase> {};

TEST_P(ConsoleSetTable, ParsesClampsAndKeepsTheText) {
  const SetCase& c = GetParam();
  Variable& v = c.bounded ? Bounded(console_, "v", c.min, c.max) : Unbounded(console_, "v");
  EXPECT_EQ(console_.Set(v, c.text), c.taken);
  EXPECT_EQ(v.value, c.value);
  EXPECT_EQ(v.number, c.number);
  EXPECT_EQ(listener_.messages.size(), c.taken ? 0u : 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ConsoleSetTable,
    ::testing::Values(
        SetCase{"1", true, 0, 1, true, "1", 1.0f},
        SetCase{" 0.25\t", true, 0, 1, true, "0.25", 0.25f},
        SetCase{"+1", true, 0, 1, true, "+1", 1.0f},
        SetCase{".5", true, 0, 1, true, ".5", 0.5f},
        SetCase{"1.", true, 0, 1, true, "1.", 1.0f},
        SetCase{"5e-1", true, 0, 1, true, "5e-1", 0.5f},
        SetCase{"1E0", true, 0, 1, true, "1E0", 1.0f},
        SetCase{"2", true, 0, 1, true, "1", 1.0f},
        SetCase{"-3", true, 0, 1, true, "0", 0.0f},
        SetCase{"99", true, 5, 40, true, "40", 40.0f},
        SetCase{"1", true, 5, 40, true, "5", 5.0f},
        SetCase{"5", true, 0, 0.1f, true, "0.100000001", 0.1f},
        SetCase{"1e-50", true, 0, 1, true, "1e-50", 0.0f},
        SetCase{"-12.5", false, 0, 0, true, "-12.5", -12.5f},
        SetCase{"3e38", false, 0, 0, true, "3e38", 3e38f},
        // Refused: nothing changes.
        SetCase{"", true, 0, 1, false, "0", 0.0f},
        SetCase{"   ", true, 0, 1, false, "0", 0.0f},
        SetCase{"abc", true, 0, 1, false, "0", 0.0f},
        SetCase{"1x", true, 0, 1, false, "0", 0.0f},
        SetCase{"1 2", true, 0, 1, false, "0", 0.0f},
        SetCase{"--1", true, 0, 1, false, "0", 0.0f},
        SetCase{".", true, 0, 1, false, "0", 0.0f},
        SetCase{"1e", true, 0, 1, false, "0", 0.0f},
        SetCase{"e5", true, 0, 1, false, "0", 0.0f},
        SetCase{"nan", true, 0, 1, false, "0", 0.0f},
        SetCase{"inf", true, 0, 1, false, "0", 0.0f},
        SetCase{"-infinity", false, 0, 0, false, "0", 0.0f},
        SetCase{"0x10", false, 0, 0, false, "0", 0.0f},
        SetCase{"1e39", false, 0, 0, false, "0", 0.0f},
        SetCase{"1e39", true, 0, 1, false, "0", 0.0f},
        SetCase{"-1e39", false, 0, 0, false, "0", 0.0f}));

TEST_F(Console, RefusalNamesTheVariableAndTheText) {
  Variable& v = Bounded(console_, "vantorel_enable", 0, 1);
  EXPECT_FALSE(console_.Set(v, " abc "));
  ASSERT_EQ(listener_.messages.size(), 1u);
  EXPECT_EQ(listener_.messages[0],
            "vantorel_enable: refused \"abc\": not a finite decimal number (value stays \"0\")");
  EXPECT_FALSE(console_.Set(v, ""));
  EXPECT_EQ(listener_.messages[1], "vantorel_enable: refused \"\": no value given (value stays \"0\")");
  EXPECT_FALSE(console_.Set(v, "1e39"));
  EXPECT_EQ(listener_.messages[2],
            "vantorel_enable: refused \"1e39\": too large for a 32-bit float (value stays \"0\")");
}

// ---------------------------------------------------------------------------
// Slots

TEST_F(Console, SlotsReceiveTheValueConverted) {
  Variable& flag = Unbounded(console_, "flag");
  Variable& count = Unbounded(console_, "count");
  Variable& weight = Unbounded(console_, "weight");
  auto b = std::make_shared<bool>(true);
  auto i = std::make_shared<int>(7);
  auto f = std::make_shared<float>(7.0f);
  console_.Bind(flag, Binding{1, b});
  console_.Bind(count, Binding{1, i});
  console_.Bind(weight, Binding{1, f});
  // Written at once.
  EXPECT_FALSE(*b);
  EXPECT_EQ(*i, 0);
  EXPECT_EQ(*f, 0.0f);

  struct Row {
    const char* text;
    bool b;
    int i;
    float f;
  };
  const Row rows[] = {
      {"0.5", true, 0, 0.5f},    {"-0", false, 0, -0.0f},   {"3.9", true, 3, 3.9f},
      {"-3.9", true, -3, -3.9f}, {"1e10", true, INT_MAX, 1e10f},
      {"-1e10", true, INT_MIN, -1e10f}, {"0.1", true, 0, 0.1f}, {"0", false, 0, 0.0f},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    ASSERT_TRUE(console_.Set(flag, row.text));
    ASSERT_TRUE(console_.Set(count, row.text));
    ASSERT_TRUE(console_.Set(weight, row.text));
    EXPECT_EQ(*b, row.b);
    EXPECT_EQ(*i, row.i);
    EXPECT_EQ(*f, row.f);
  }
  // A refused text leaves the slots alone.
  ASSERT_TRUE(console_.Set(count, "6"));
  EXPECT_FALSE(console_.Set(count, "six"));
  EXPECT_EQ(*i, 6);
}

TEST_F(Console, ClampedValueReachesTheSlot) {
  Variable& size = Bounded(console_, "size", 5, 40, "12");
  auto slot = std::make_shared<int>(0);
  console_.Bind(size, Binding{1, slot});
  EXPECT_EQ(*slot, 12);
  console_.Set(size, "1000");
  EXPECT_EQ(*slot, 40);
  EXPECT_EQ(size.value, "40");
  console_.Set(size, "-1000");
  EXPECT_EQ(*slot, 5);
}

TEST_F(Console, RegisteringAgainReturnsTheVariableWithItsValue) {
  Variable& first = console_.Register("v", "1", "first", true, true, 0, true, 10, true);
  console_.Set(first, "7");
  Variable& second = console_.Register("v", "2", "second", false, false, 0, false, 0, false);
  EXPECT_EQ(&first, &second);
  EXPECT_EQ(second.value, "7");
  EXPECT_EQ(second.description, "first");
  EXPECT_EQ(console_.variables().size(), 1u);
  EXPECT_EQ(console_.Find("v"), &first);
  EXPECT_EQ(console_.Find("w"), nullptr);
}

TEST_F(Console, RegisterKeepsEverythingAndClampsTheDefault) {
  Variable& v = console_.Register("v", "70", "desc", false, true, 5, true, 40, false);
  EXPECT_EQ(v.name, "v");
  EXPECT_EQ(v.defaultValue, "70");
  EXPECT_EQ(v.description, "desc");
  EXPECT_FALSE(v.searchable);
  EXPECT_TRUE(v.hasMin);
  EXPECT_EQ(v.min, 5.0f);
  EXPECT_TRUE(v.hasMax);
  EXPECT_EQ(v.max, 40.0f);
  EXPECT_FALSE(v.saveToConfig);
  EXPECT_EQ(v.value, "40");
  EXPECT_TRUE(v.numeric);

  // A default that is no number is kept as text; slots are not written.
  Variable& text = Unbounded(console_, "text", "hello");
  EXPECT_EQ(text.value, "hello");
  EXPECT_FALSE(text.numeric);
  auto slot = std::make_shared<int>(9);
  console_.Bind(text, Binding{1, slot});
  EXPECT_EQ(*slot, 9);
  EXPECT_TRUE(listener_.messages.empty());
}

TEST_F(Console, BindDropsSlotsNobodyElseHolds) {
  Variable& v = Unbounded(console_, "v", "1");
  auto kept = std::make_shared<int>(0);
  auto dropped = std::make_shared<int>(0);
  console_.Bind(v, Binding{1, kept});
  console_.Bind(v, Binding{1, dropped});
  ASSERT_EQ(v.bindings.size(), 2u);
  std::weak_ptr<int> watch = dropped;
  dropped.reset();  // only the host holds it now
  EXPECT_FALSE(watch.expired());
  auto fresh = std::make_shared<int>(0);
  console_.Bind(v, Binding{1, fresh});
  EXPECT_TRUE(watch.expired());
  EXPECT_EQ(v.bindings.size(), 2u);
  EXPECT_EQ(*fresh, 1);
}

TEST_F(Console, ReleaseBindingsLetsGoOfOneSessionsSlots) {
  Variable& v = Unbounded(console_, "v", "1");
  auto mine = std::make_shared<bool>(false);
  auto theirs = std::make_shared<bool>(false);
  console_.Bind(v, Binding{1, mine});
  console_.Bind(v, Binding{2, theirs});
  console_.ReleaseBindings(1);
  EXPECT_EQ(mine.use_count(), 1);
  EXPECT_EQ(theirs.use_count(), 2);
  console_.Set(v, "0");
  EXPECT_TRUE(*mine);  // no longer written
  EXPECT_FALSE(*theirs);
  // The variable stays, with its value.
  EXPECT_EQ(console_.Find("v")->value, "0");
}

TEST_F(Console, EmptySlotIsIgnored) {
  Variable& v = Unbounded(console_, "v", "1");
  console_.Bind(v, Binding{1, std::shared_ptr<int>()});
  EXPECT_TRUE(v.bindings.empty());
  EXPECT_TRUE(console_.Set(v, "2"));
}

TEST_F(Console, LogReachesTheListenerUnchanged) {
  console_.Log("  Swap pressed. Owner: Zindar  ");
  ASSERT_EQ(listener_.logs.size(), 1u);
  EXPECT_EQ(listener_.logs[0], "  Swap pressed. Owner: Zindar  ");
  EXPECT_TRUE(listener_.messages.empty());
}

// ---------------------------------------------------------------------------
// Configuration file

TEST_F(ConsoleConfig, MissingFileIsEmpty) {
  EXPECT_TRUE(Succeeded(console_.LoadConfig(TempPath("missing.cfg"))));
  EXPECT_TRUE(listener_.messages.empty());
}

TEST_F(ConsoleConfig, UnreadableFileIsAnError) {
  // A folder is no file to read.
  const std::string error = console_.LoadConfig(TempDir()).message();
  EXPECT_NE(error.find("cannot read configuration file"), std::string::npos) << error;
}

TEST_F(ConsoleConfig, SavedValueIsTakenAtRegistration) {
  const std::string path = TempPath("saved.cfg");
  WriteFile(path, "a \"1\"\nb \"30\"\n");
  ASSERT_TRUE(console_.LoadConfig(path).ok());
  Variable& a = Bounded(console_, "a", 0, 1);
  Variable& b = Bounded(console_, "b", 5, 20, "12");
  Variable& c = Bounded(console_, "c", 0, 1);
  EXPECT_EQ(a.value, "1");
  EXPECT_EQ(b.value, "20");  // clamped as a console value is
  EXPECT_EQ(c.value, "0");
  auto slot = std::make_shared<int>(0);
  console_.Bind(b, Binding{1, slot});
  EXPECT_EQ(*slot, 20);
}

TEST_F(ConsoleConfig, BadLinesAreReportedAndSkipped) {
  const std::string path = TempPath("bad.cfg");
  WriteFile(path,
            "# a comment\n"
            "a \"1\"\n"
            "\n"
            "this is not a line\n"
            "b \"7\" trailing\n"
            "  // another comment\n"
            "c \"0.5\"\r\n"
            "d \"unterminated\n"
            "\"e\" \"1\"\n"
            "f\"1\"\n"
            "  g   \"3\"  ");
  ASSERT_TRUE(console_.LoadConfig(path).ok());
  ASSERT_EQ(listener_.messages.size(), 5u);
  EXPECT_EQ(listener_.messages[0],
            path + ":4: bad configuration line skipped (expected NAME \"VALUE\")");
  EXPECT_EQ(listener_.messages[1].substr(0, path.size() + 3), path + ":5:");
  EXPECT_EQ(listener_.messages[2].substr(0, path.size() + 3), path + ":8:");
  EXPECT_EQ(listener_.messages[3].substr(0, path.size() + 3), path + ":9:");
  EXPECT_EQ(listener_.messages[4].substr(0, path.size() + 4), path + ":10:");
  EXPECT_EQ(Unbounded(console_, "a").value, "1");
  EXPECT_EQ(Unbounded(console_, "b").value, "0");
  EXPECT_EQ(Unbounded(console_, "c").value, "0.5");
  EXPECT_EQ(Unbounded(console_, "g").value, "3");
}

TEST_F(ConsoleConfig, RefusedSavedValueIsReportedAndTheDefaultKept) {
  const std::string path = TempPath("refused.cfg");
  WriteFile(path, "a \"1\"\nb \"lots\"\n");
  ASSERT_TRUE(console_.LoadConfig(path).ok());
  EXPECT_TRUE(listener_.messages.empty());
  Variable& b = Bounded(console_, "b", 0, 1, "1");
  EXPECT_EQ(b.value, "1");
  ASSERT_EQ(listener_.messages.size(), 1u);
  EXPECT_EQ(listener_.messages[0], path + ":2: saved value \"lots\" for b not taken: not a finite "
                                         "decimal number (value stays \"1\")");
  EXPECT_EQ(Bounded(console_, "a", 0, 1).value, "1");
}

TEST_F(ConsoleConfig, LaterLineWins) {
  const std::string path = TempPath("twice.cfg");
  WriteFile(path, "a \"1\"\na \"0.5\"\n");
  ASSERT_TRUE(console_.LoadConfig(path).ok());
  EXPECT_EQ(Unbounded(console_, "a").value, "0.5");
}

// A save rewrites the lines of the variables this run set and adds the
// saved variables the file lacks; the rest is the user's, or another run's,
// and stays byte for byte: a comment, a blank line, a line the host cannot
// read, another plugin's variable, and a value another run saved after this
// one loaded the file.
TEST_F(ConsoleConfig, SaveChangesOnlyWhatThisRunSet) {
  const std::string path = TempPath("save.cfg");
  const auto file = [](const char* a, const char* b) {
    return std::string("# mine\r\n") + "a \"" + a + "\"\r\n" + "\r\n" +
           "other_plugin_var \"42\"\r\n" + "b \"" + b + "\"\r\n" + "not a setting\r\n";
  };
  WriteFile(path, file("0.5", "1"));
  ASSERT_TRUE(console_.LoadConfig(path).ok());
  EXPECT_EQ(Bounded(console_, "a", 0, 1).value, "0.5");
  Variable& b = Bounded(console_, "b", 0, 1);
  Bounded(console_, "c", 0, 1);
  console_.Register("unsaved", "3", "", true, false, 0, false, 0, false);
  console_.Set(b, "0.25");
  WriteFile(path, file("1", "1"));  // another run saves a meanwhile
  ASSERT_TRUE(Succeeded(console_.SaveConfig(path)));
  EXPECT_EQ(ReadFile(path), file("1", "0.25") + "c \"0\"\r\n");
  EXPECT_TRUE(Leftovers(path).empty());
}

// Runs that save one file at once, each its own variable, round after
// round: none fails, each finds what it saved the round before, and at the
// end every line of every run is there with the lines they share. The lock
// file a crashed run left behind stops nobody.
TEST_F(ConsoleConfig, ConcurrentRunsLoseNoLine) {
  constexpr int kRuns = 4;
  constexpr int kRounds = 8;
  const std::string path = TempPath("shared.cfg");
  const std::string shared = "# shared by every run\nother_plugin_var \"42\"\n";
  WriteFile(path, shared);
  WriteFile(path + ".lock", "");
  std::mutex failuresLock;
  std::vector<std::string> failures;
  const auto run = [&](int index) {
    const std::string name = "run" + std::to_string(index);
    for (int round = 0; round < kRounds; ++round) {
      RecordingListener listener;
      simhost::Console console(listener);
      files::Status status = console.LoadConfig(path);
      Variable& mine = Unbounded(console, name, "-1");
      const bool kept = mine.value == std::to_string(round - 1);
      const bool set = status.ok() && console.Set(mine, std::to_string(round));
      if (set) status = console.SaveConfig(path);
      if (!kept || !set || !status.ok()) {
        std::lock_guard<std::mutex> lock(failuresLock);
        failures.push_back(name + " round " + std::to_string(round) + ": found " +
                           mine.value + "; " + status.message());
      }
    }
  };
  std::vector<std::thread> runs;
  for (int index = 0; index < kRuns; ++index) runs.emplace_back(run, index);
  for (std::thread& thread : runs) thread.join();

  EXPECT_EQ(failures, std::vector<std::string>{});
  const std::string text = ReadFile(path);
  EXPECT_EQ(text.rfind(shared, 0), 0u) << text;
  for (int index = 0; index < kRuns; ++index) {
    const std::string line = "run" + std::to_string(index) + " \"" +
                             std::to_string(kRounds - 1) + "\"\n";
    EXPECT_NE(text.find(line), std::string::npos) << line << " missing from\n" << text;
  }
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2 + kRuns) << text;
  EXPECT_TRUE(Leftovers(path).empty());
}

TEST_F(ConsoleConfig, QuotesAndBackslashesRoundTrip) {
  const std::string path = TempPath("quotes.cfg");
  {
    RecordingListener writer;
    simhost::Console earlier(writer);
    Unbounded(earlier, "text", "say \"hi\" \\o/");
    ASSERT_TRUE(earlier.SaveConfig(path).ok());
  }
  EXPECT_EQ(ReadFile(path), "text \"say \\\"hi\\\" \\\\o/\"\n");
  ASSERT_TRUE(console_.LoadConfig(path).ok());
  ASSERT_TRUE(console_.SaveConfig(path).ok());  // unknown: written back as read
  EXPECT_EQ(ReadFile(path), "text \"say \\\"hi\\\" \\\\o/\"\n");
  EXPECT_TRUE(listener_.messages.empty());
}

}  // namespace
}  // namespace vantorel_test
