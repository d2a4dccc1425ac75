// --help, and the script language in it, which README.md shows.

#include "Help.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>

#include "TestFiles.h"

namespace vantorel_sim {
namespace {

// One entry per command, each starting a line of its own, and no line wider
// than a terminal.
TEST(HelpTest, GrammarListsEveryCommandWithinSeventyEightColumns) {
  const std::string grammar = ScriptGrammar();
  for (const char* start : {"game ", "server ", "canvas ", "camera ", "ball ", "car ", "set ",
                            "nullcar ", "local ", "plugin ", "press ", "frame ", "motion ",
                            "show ", "NAME VALUE "}) {
    EXPECT_NE(grammar.find(std::string("\n  ") + start), std::string::npos) << start;
  }
  std::istringstream lines(HelpText());
  for (std::string line; std::getline(lines, line);) {
    EXPECT_LE(line.size(), 78u) << line;
  }
}

// README.md's block after its "### Script language" heading is a whole
// paragraph of --help, a blank line before it and one after, so that a
// block missing a line at either end, or with a line the help does not
// have, fails as surely as a changed line.
TEST(HelpTest, ReadmeShowsTheScriptLanguageAsHelpPrintsIt) {
  std::string readme = vantorel_test::ReadFile(VANTOREL_README);
  readme.erase(std::remove(readme.begin(), readme.end(), '\r'), readme.end());
  const std::size_t heading = readme.find("\n### Script language\n");
  ASSERT_NE(heading, std::string::npos) << "no \"### Script language\" heading";
  const std::string fence = "\n```\n";
  const std::size_t open = readme.find(fence, heading);
  ASSERT_NE(open, std::string::npos) << "no fenced block after the heading";
  const std::size_t first = open + fence.size();
  const std::size_t close = readme.find(fence, first);
  ASSERT_NE(close, std::string::npos) << "the script language's block is not closed";
  const std::string block = readme.substr(first, close + 1 - first);
  EXPECT_NE(HelpText().find("\n\n" + block + "\n"), std::string::npos)
      << "README.md's script language is not a paragraph of vantorel-sim --help; paste "
         "the help's script language into README.md, or change the entries in "
         "vantorel-sim/Help.cpp.\nREADME.md:\n"
      << block << "\n--help:\n"
      << HelpText();
}

}  // namespace
}  // namespace vantorel_sim
