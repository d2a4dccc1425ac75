// What a user types at the console and what a crash or a full disk leaves
// in the configuration file must never reach the plugin as a value outside
// its setting's range, nor lose a value the user saved.

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "HostFixture.h"
#include "Paths.h"
#include "RecordingListener.h"
#include "TestFiles.h"
#include "VantorelPlugin.h"
#include "simhost/Host.h"

namespace vantorel_test {
namespace {

// ---------------------------------------------------------------------------
// Console values

struct ConsoleCase {
  const char* name;
  std::string text;
  bool taken;
  double slot;        // the slot afterwards
  const char* shown;  // the variable's text afterwards; null: the trimmed text
};

void PrintTo(const ConsoleCase& c, std::ostream* os) {
  *os << c.name << " \"";
  for (std::size_t i = 0; i < c.text.size() && i < 40; ++i) {
    const auto ch = static_cast<unsigned char>(c.text[i]);
    if (ch < 0x20 || ch >= 0x7f) {
      *os << "\\x" << std::hex << int(ch) << std::dec;
    } else {
      *os << c.text[i];
    }
  }
  *os << (c.text.size() > 40 ? "...\"" : "\"");
}

class ConsoleInput : public PluginFixture, public ::testing::WithParamInterface<ConsoleCase> {};

TEST_P(ConsoleInput, IsRefusedClearlyOrClampedIntoRange) {
  const ConsoleCase& c = GetParam();
  simhost::Variable& variable = *host_.console().Find(c.name);
  const std::string before = variable.value;
  const double slotBefore = SlotValue(c.name);

  EXPECT_EQ(host_.console().Set(variable, c.text), c.taken);

  if (c.taken) {
    EXPECT_TRUE(listener_.messages.empty()) << listener_.messages.front();
    EXPECT_EQ(SlotValue(c.name), c.slot);
    if (c.shown) {
      EXPECT_EQ(variable.value, c.shown);
    }
  } else {
    EXPECT_EQ(variable.value, before);
    EXPECT_EQ(SlotValue(c.name), slotBefore);
    ASSERT_EQ(listener_.messages.size(), 1u);
    // One readable line that names the variable and keeps the old value:
    // no line break or other control character of the typed text in it,
    // and not the whole of a text typed by a cat on the keyboard.
    const std::string& message = listener_.messages[0];
    EXPECT_EQ(message.rfind(std::string(c.name) + ": refused ", 0), 0u) << message;
    EXPECT_NE(message.find("(value stays \"" + before + "\")"), std::string::npos) << message;
    for (char ch : message) {
      EXPECT_FALSE((ch >= 0 && ch < 0x20) || ch == 0x7f) << "control character " << int(ch);
    }
    EXPECT_LT(message.size(), 200u);
  }
}

// Texts of no number, or of none a float holds, which `name` refuses: its
// slot keeps `slot`, its default.
std::vector<ConsoleCase> Refused(const char* name, double slot, std::vector<std::string> texts) {
  std::vector<ConsoleCase> cases;
  for (std::string& text : texts) cases.push_back({name, std::move(text), false, slot, nullptr});
  return cases;
}

std::vector<ConsoleCase> ConsoleCases() {
  const std::string zeros(100000, '0');
  std::vector<ConsoleCase> cases = {
      // A bool slot receives value != 0, after clamping into 0..1.
      {"vantorel_enable", "1", true, 1, "1"},
      {"vantorel_enable", "  1", true, 1, "1"},
      {"vantorel_enable", "\t1\r\n", true, 1, "1"},
      {"vantorel_enable", "-0", true, 0, "-0"},
      {"vantorel_enable", "1e-50", true, 0, "1e-50"},  // rounds to 0
      {"vantorel_enable", "0.0000001", true, 1, "0.0000001"},
      {"vantorel_enable", "7", true, 1, "1"},
      {"vantorel_enable", "-7", true, 0, "0"},
      // An int slot receives the clamped value truncated toward zero.
      {"vantorel_render_thickness", "4.9", true, 4, "4.9"},
      {"vantorel_render_thickness", "5.9", true, 5, "5"},
      {"vantorel_render_thickness", "0.5", true, 1, "1"},
      {"vantorel_render_thickness", "-0", true, 1, "1"},
      {"vantorel_render_thickness", "2147483648", true, 5, "5"},
      {"vantorel_render_thickness", "-2147483649", true, 1, "1"},
      {"vantorel_render_thickness", "3e38", true, 5, "5"},
      {"vantorel_render_thickness", "-3e38", true, 1, "1"},
      {"vantorel_render_iconheight", "-0", true, 0, "-0"},
      {"vantorel_render_iconheight", "-0.9", true, 0, "0"},
      {"vantorel_render_iconheight", "39.99", true, 39, "39.99"},
      {"vantorel_render_iconheight", "40.000001", true, 40, "40.000001"},
      {"vantorel_render_iconsize", "4.999999", true, 5, "5"},
      {"vantorel_render_iconsize", "1e-45", true, 5, "5"},
      // A float slot receives the clamped value.
      {"vantorel_swap_distanceweight", "0.1", true, 0.1f, "0.1"},
      {"vantorel_swap_distanceweight", "1e-45", true, 1e-45f, "1e-45"},
      {"vantorel_swap_distanceweight", "-1e-45", true, 0, "0"},
      {"vantorel_swap_distanceweight", "0.99999999", true, 1, "0.99999999"},
      {"vantorel_swap_distanceweight", "1.00000001", true, 1, "1.00000001"},
      {"vantorel_swap_distanceweight", "1.0001", true, 1, "1"},
      // A long way to a tiny number.
      {"vantorel_swap_distanceweight", "0." + zeros + "1", true, 0, nullptr},
  };
  const std::string nul("1\0", 2);
  for (auto& refused :
       {Refused("vantorel_enable", 0,
                {"", "yes", "nan", "NaN", "inf", "-Infinity", "1e39", "0x1", "1,5", "1.5.2",
                 "\xd9\xa1" /* an Arabic-Indic one */, nul, "1\n2", "\x1b[2J"}),
        // A number too large, and very long text of no number at all.
        Refused("vantorel_swap_distanceweight", 0.5f,
                {"-nan", "1" + zeros, std::string(1000000, 'x')})}) {
    cases.insert(cases.end(), refused.begin(), refused.end());
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Table, ConsoleInput, ::testing::ValuesIn(ConsoleCases()));

// ---------------------------------------------------------------------------
// The configuration file

using ConfigFile = HostFixture;

// Every setting the plugin saves, with a value other than its default.
const char kSavedSettings[] =
    "vantorel_enable \"1\"\n"
    "vantorel_set_velocities \"0\"\n"
    "vantorel_set_rotation \"0\"\n"
    "vantorel_set_boost \"0\"\n"
    "vantorel_sequential_swap \"1\"\n"
    "vantorel_swap_distanceweight \"0.75\"\n"
    "vantorel_render_enable \"1\"\n"
    "vantorel_render_selected \"0\"\n"
    "vantorel_render_next \"0\"\n"
    "vantorel_render_thickness \"5\"\n"
    "vantorel_render_iconsize \"40\"\n"
    "vantorel_render_iconheight \"0\"\n";

// A file cut short, at any byte, by a crash or a full disk: every complete
// line keeps its value, the cut line is reported (unless nothing but blanks
// of it remains) and its variable keeps its default. A cut value is never
// taken for a shorter one: its closing quote is missing.
TEST_F(ConfigFile, TruncatedAnywhereKeepsEveryCompleteLine) {
  const std::string full = kSavedSettings;
  const std::string path = TempPath("cut.cfg");
  for (std::size_t cut = 0; cut <= full.size(); ++cut) {
    SCOPED_TRACE("cut after byte " + std::to_string(cut));
    const std::string kept = full.substr(0, cut);
    WriteFile(path, kept);

    RecordingListener listener;
    simhost::Host host(listener);
    ASSERT_TRUE(Succeeded(host.console().LoadConfig(path)));
    ASSERT_TRUE(Succeeded(host.LoadPlugin(PluginModule())));

    const std::size_t lastBreak = kept.rfind('\n');
    const std::string complete = lastBreak == std::string::npos ? "" : kept.substr(0, lastBreak + 1);
    const std::string partial = kept.substr(complete.size());
    // A line cut after its closing quote is complete all the same.
    const bool partialWhole = !partial.empty() && partial.back() == '"' &&
                              std::count(partial.begin(), partial.end(), '"') == 2;
    const bool partialBad = !partial.empty() && !partialWhole;

    ASSERT_EQ(listener.messages.size(), partialBad ? 1u : 0u);
    if (partialBad) {
      const int line = static_cast<int>(std::count(complete.begin(), complete.end(), '\n')) + 1;
      EXPECT_EQ(listener.messages[0].rfind(path + ":" + std::to_string(line) + ": ", 0), 0u)
          << listener.messages[0];
    }
    // Every variable holds its saved value if its line was whole, else its
    // default.
    std::istringstream lines(full);
    std::string line;
    for (const auto& variable : host.console().variables()) {
      std::getline(lines, line);
      const std::string saved = line.substr(line.find('"') + 1, line.rfind('"') - line.find('"') - 1);
      const bool whole = complete.find(line + "\n") != std::string::npos ||
                         (partialWhole && partial == line);
      EXPECT_EQ(variable->value, whole ? saved : variable->defaultValue) << variable->name;
    }
  }
}

// Saving goes to a temporary file beside the target, renamed over it only
// once complete: a write that fails part of the way leaves the old file as
// it was and nothing behind.
TEST_F(ConfigFile, WriteCutShortByAFullDiskKeepsThePreviousFile) {
  const std::string path = TempPath("full.cfg");
  WriteFile(path, kSavedSettings);

  // A file size limit makes every write past 64 bytes fail, as a full disk
  // does. The limit is the process's own: a child takes it.
  const pid_t child = fork();
  ASSERT_NE(child, -1);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{64, 64};
    setrlimit(RLIMIT_FSIZE, &limit);
    if (!host_.console().LoadConfig(path).ok()) _exit(10);
    if (!host_.LoadPlugin(PluginModule()).ok()) _exit(11);
    Set("vantorel_render_thickness", "2");
    const files::Status saved = host_.console().SaveConfig(path);
    const bool clear = saved.message().find("cannot write configuration file " + path) == 0;
    _exit(saved.ok() ? 12 : clear ? 0 : 13);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "the child died of signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0) << "10, 11: no start; 12: saved; 13: unclear message";
  EXPECT_EQ(ReadFile(path), kSavedSettings);
  EXPECT_TRUE(Leftovers(path).empty());
}

TEST_F(ConfigFile, UnwritablePlaceIsReportedAndNothingIsLeftBehind) {
  Load();
  const std::string missing = TempPath("no-such-folder") + "/settings.cfg";
  const std::string error = host_.console().SaveConfig(missing).message();
  EXPECT_EQ(error.rfind("cannot write configuration file " + missing + ": ", 0), 0u) << error;
  EXPECT_FALSE(Exists(TempPath("no-such-folder")));

  // Where the configuration file should be stands a folder: the old
  // contents stay, and the new file went nowhere.
  const std::string folder = TempPath("folder.cfg");
  std::filesystem::create_directories(folder);
  WriteFile(folder + "/keep", kSavedSettings);
  EXPECT_FALSE(host_.console().SaveConfig(folder).message().empty());
  EXPECT_EQ(ReadFile(folder + "/keep"), kSavedSettings);
  EXPECT_TRUE(Leftovers(folder).empty());
  std::filesystem::remove_all(folder);
}

// A bad line among good ones, a line for a setting that no longer exists,
// and a value outside a setting's range: each good value arrives, the bad
// line is named, the range holds, and the next save keeps every line as it
// was, adding a good line for each setting the file did not give.
TEST_F(ConfigFile, BadAndForeignLinesLoseNoSavedValue) {
  const std::string path = TempPath("mixed.cfg");
  const std::string original =
      "vantorel_enable \"1\"\n"
      "vantorel_render_thickness 4\n"           // no quotes
      "vantorel_render_iconsize \"400\"\n"      // beyond 40
      "vantorel_swap_distanceweight \"nan\"\n"  // not a number
      "vantorel_old_setting \"3\"\n"            // from an older version
      "\xff\xfe garbage \"\n"
      "vantorel_render_iconheight \"7\"";      // no final line break
  WriteFile(path, original);
  ASSERT_TRUE(Succeeded(host_.console().LoadConfig(path)));
  Load();
  EXPECT_TRUE(*plugin().enabled);
  EXPECT_EQ(*plugin().renderThickness, 3);
  EXPECT_EQ(*plugin().renderIconSize, 40);
  EXPECT_EQ(*plugin().distanceWeight, 0.5f);
  EXPECT_EQ(*plugin().renderIconHeight, 7);
  ASSERT_TRUE(Succeeded(host_.console().SaveConfig(path)));

  const Lines& messages = listener_.messages;
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[0].rfind(path + ":2: bad configuration line", 0), 0u);
  EXPECT_EQ(messages[1].rfind(path + ":6: bad configuration line", 0), 0u);
  EXPECT_EQ(messages[2].rfind(path + ":4: saved value \"nan\"", 0), 0u);

  const std::string saved = ReadFile(path);
  EXPECT_EQ(saved.rfind(original + "\n", 0), 0u) << saved;
  EXPECT_NE(saved.find("\nvantorel_render_thickness \"3\"\n"), std::string::npos) << saved;
}

}  // namespace
}  // namespace vantorel_test
