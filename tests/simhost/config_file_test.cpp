#include "simhost/ConfigFile.h"

#include <gtest/gtest.h>

#include <string>

#include "Paths.h"
#include "TestFiles.h"

namespace {

using simhost::ConfigFile;
using vantorel_test::ReadFile;
using vantorel_test::TempDir;
using vantorel_test::TempPath;

const char kMixed[] =
    "# saved by the host\r\n"
    "a \"1\"\n"
    "not a setting\n"
    "\n"
    "b  \"say \\\"hi\\\" \\\\o/ \\n\"\n"
    "a \"2\"\n"
    "  // c \"3\"\n"
    "c \"4\"";  // no line end

TEST(ConfigFileTest, SettingsInFirstAppearanceOrderWithTheLastValue) {
  const ConfigFile file(kMixed);
  ASSERT_EQ(file.settings().size(), 3u);
  EXPECT_EQ(file.settings()[0].name, "a");
  EXPECT_EQ(file.settings()[0].value, "2");
  EXPECT_EQ(file.settings()[0].line, 6);
  EXPECT_EQ(file.settings()[1].name, "b");
  EXPECT_EQ(file.settings()[1].value, "say \"hi\" \\o/ \\n");
  EXPECT_EQ(file.settings()[2].name, "c");
  EXPECT_EQ(file.settings()[2].value, "4");
  EXPECT_EQ(file.badLines(), std::vector<int>{3});
  EXPECT_EQ(file.Find("b"), &file.settings()[1]);
  EXPECT_EQ(file.Find("d"), nullptr);
}

TEST(ConfigFileTest, KeepsEveryLineByteForByte) {
  EXPECT_EQ(ConfigFile(kMixed).text(), kMixed);
  EXPECT_EQ(ConfigFile("").text(), "");
}

TEST(ConfigFileTest, AppendEndsTheLastLineAndEscapesTheValue) {
  ConfigFile file(kMixed);
  file.Append("c", "q\"b\\");
  EXPECT_EQ(file.text(), std::string(kMixed) + "\nc \"q\\\"b\\\\\"\n");
  EXPECT_EQ(file.Find("c")->value, "q\"b\\");
  EXPECT_EQ(file.Find("c")->line, 9);
  EXPECT_EQ(ConfigFile(file.text()).Find("c")->value, "q\"b\\");
}

TEST(ConfigFileTest, SaveThenLoadGivesTheSameFile) {
  const std::string path = TempPath("roundtrip.cfg");
  ASSERT_TRUE(ConfigFile(kMixed).Save(path, nullptr));
  EXPECT_EQ(ReadFile(path), kMixed);
  ConfigFile loaded;
  std::string error;
  ASSERT_TRUE(ConfigFile::Load(path, &loaded, &error)) << error;
  EXPECT_EQ(loaded.text(), kMixed);
  EXPECT_EQ(loaded.Find("a")->value, "2");
}

TEST(ConfigFileTest, MissingFileLoadsEmpty) {
  const std::string path = TempPath("none.cfg");
  ConfigFile file(kMixed);
  std::string error;
  ASSERT_TRUE(ConfigFile::Load(path, &file, &error)) << error;
  EXPECT_TRUE(file.settings().empty());
  EXPECT_EQ(file.text(), "");
}

TEST(ConfigFileTest, UnreadableFileLeavesTheFileAlone) {
  ConfigFile file(kMixed);
  std::string error;
  EXPECT_FALSE(ConfigFile::Load(TempDir(), &file, &error));
  EXPECT_NE(error.find("cannot read configuration file"), std::string::npos) << error;
  EXPECT_EQ(file.text(), kMixed);
}

}  // namespace
