#include "simhost/ConfigFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>

#ifndef _WIN32
#  include <sys/stat.h>
#endif

#include "Paths.h"
#include "StatusAssertions.h"
#include "TestFiles.h"

namespace {

namespace fs = std::filesystem;
using simhost::ConfigFile;
using vantorel_test::Leftovers;
using vantorel_test::ReadFile;
using vantorel_test::Succeeded;
using vantorel_test::TempDir;
using vantorel_test::TempPath;
using vantorel_test::WriteFile;

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

TEST(ConfigFileTest, SetRewritesOneLineInPlaceKeepingItsEnd) {
  ConfigFile file(kMixed);
  file.Set("a", "0.5");  // the later of its two lines
  file.Set("c", "x");    // the last line, which has no end
  std::string expected = kMixed;
  expected.replace(expected.find("a \"2\""), 5, "a \"0.5\"");
  expected.replace(expected.rfind("c \"4\""), 5, "c \"x\"");
  EXPECT_EQ(file.text(), expected);
  EXPECT_EQ(file.Find("a")->value, "0.5");

  ConfigFile crlf("a \"1\"\r\nb \"2\"\r\n");
  crlf.Set("a", "3");
  crlf.Set("c", "4");
  EXPECT_EQ(crlf.text(), "a \"3\"\r\nb \"2\"\r\nc \"4\"\r\n");
}

// A file whose mark says UTF-16 or UTF-32 is refused by every way in,
// naming its encoding, and nothing is written to it or beside it.
TEST(ConfigFileTest, OtherEncodingsAreRefusedAndLeftAlone) {
  const std::pair<std::string, std::string> kEncodings[] = {
      {std::string("\xFF\xFE\0\0", 4), "UTF-32 (little-endian)"},
      {std::string("\0\0\xFE\xFF", 4), "UTF-32 (big-endian)"},
      {"\xFF\xFE", "UTF-16 (little-endian)"},
      {"\xFE\xFF", "UTF-16 (big-endian)"}};
  const std::string path = TempPath("wide.cfg");
  for (const auto& [mark, name] : kEncodings) {
    SCOPED_TRACE(name);
    const std::string content = mark + std::string("a\0\n\0", 4);
    WriteFile(path, content);
    const std::string reason = ": it is " + name + " text; save it as UTF-8";
    EXPECT_EQ(ConfigFile::CheckPath(path).message(),
              "cannot use configuration file " + path + reason);
    ConfigFile file;
    EXPECT_EQ(ConfigFile::Load(path, &file).message(),
              "cannot read configuration file " + path + reason);
    bool edited = false;
    EXPECT_EQ(ConfigFile::Update(path, [&](ConfigFile*) { edited = true; }).message(),
              "cannot write configuration file " + path + reason);
    EXPECT_FALSE(edited);
    EXPECT_EQ(ReadFile(path), content);
    EXPECT_TRUE(Leftovers(path).empty());
  }
}

// An update edits the file as it stands on the disk when it runs, and
// writes back every line the edit left alone, byte for byte.
TEST(ConfigFileTest, UpdateChangesOnlyWhatTheEditChanged) {
  const std::string path = TempPath("update.cfg");
  WriteFile(path, kMixed);
  ASSERT_TRUE(Succeeded(ConfigFile::Update(path, [](ConfigFile* file) {
    EXPECT_EQ(file->text(), kMixed);
    file->Set("b", "new");
  })));
  std::string expected = kMixed;
  const std::size_t b = expected.find("b  ");
  expected.replace(b, expected.find('\n', b) - b, "b \"new\"");
  EXPECT_EQ(ReadFile(path), expected);
  EXPECT_TRUE(Leftovers(path).empty());
}

// Through a chain of links, and through a link to a file not made yet, it
// is the file at the end that is written; the links stay links.
TEST(ConfigFileTest, UpdateThroughLinksWritesTheirTarget) {
  const std::string target = TempPath("target.cfg");
  const std::string near = TempPath("near.cfg");
  const std::string far = TempPath("far.cfg");
  const std::string dangling = TempPath("dangling.cfg");
  const std::string created = TempPath("created.cfg");
  for (const std::string& path : {target, near, far, dangling, created}) fs::remove(path);
  WriteFile(target, "# mine\na \"1\"\n");
  try {
    fs::create_symlink(fs::path(target).filename(), near);  // relative to its folder
    fs::create_symlink(near, far);
    fs::create_symlink(created, dangling);
  } catch (const fs::filesystem_error& e) {
    GTEST_SKIP() << "symbolic links cannot be made here: " << e.what();
  }
  const auto setA = [](ConfigFile* file) { file->Set("a", "2"); };
  ASSERT_TRUE(Succeeded(ConfigFile::Update(far, setA)));
  ASSERT_TRUE(Succeeded(ConfigFile::Update(dangling, setA)));
  EXPECT_TRUE(fs::is_symlink(far));
  EXPECT_TRUE(fs::is_symlink(near));
  EXPECT_TRUE(fs::is_symlink(dangling));
  EXPECT_EQ(ReadFile(target), "# mine\na \"2\"\n");
  EXPECT_EQ(ReadFile(created), "a \"2\"\n");
  EXPECT_TRUE(Leftovers(target).empty());
  EXPECT_TRUE(Leftovers(far).empty());
}

TEST(ConfigFileTest, UpdateKeepsThePermissionBits) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows files have no permission bits; ReplaceFileW keeps their rights";
#else
  const std::string path = TempPath("private.cfg");
  WriteFile(path, "a \"1\"\n");
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  ASSERT_TRUE(Succeeded(ConfigFile::Update(path, [](ConfigFile* file) { file->Set("a", "2"); })));
  struct stat info {};
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(ReadFile(path), "a \"2\"\n");
#endif
}

// What stands where the file should be and is no regular file is refused,
// before anything is made beside it, and stays as it was. Reading it never
// waits.
TEST(ConfigFileTest, NonRegularFilesAreRefusedAndLeftAlone) {
  std::vector<std::string> paths = {TempPath("folder.cfg")};
  fs::create_directories(paths[0]);
#ifdef _WIN32
  paths.push_back("NUL");
#else
  paths.push_back(TempPath("fifo.cfg"));
  paths.push_back(TempPath("null.cfg"));
  fs::remove(paths[1]);
  fs::remove(paths[2]);
  ASSERT_EQ(mkfifo(paths[1].c_str(), 0644), 0);
  fs::create_symlink("/dev/null", paths[2]);
#endif
  for (const std::string& path : paths) {
    SCOPED_TRACE(path);
    std::error_code ignored;
    const fs::file_type kind = fs::status(path, ignored).type();
    std::string error = ConfigFile::CheckPath(path).message();
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
    error = ConfigFile::Update(path, [](ConfigFile* file) { file->Set("a", "1"); }).message();
    EXPECT_NE(error.find("cannot write configuration file " + path + ": "), std::string::npos);
    ConfigFile file;
    EXPECT_FALSE(ConfigFile::Load(path, &file).ok());
    EXPECT_EQ(fs::status(path, ignored).type(), kind);
    if (path != "NUL") {
      EXPECT_TRUE(Leftovers(path).empty());
    }
  }
}

// A file its owner made read-only is refused up front rather than replaced
// by a writable one: the run would otherwise end by undoing that choice.
TEST(ConfigFileTest, ReadOnlyFileIsRefusedAndKept) {
  const std::string path = TempPath("read-only.cfg");
  std::error_code ignored;  // the file of an earlier run, if any, writable again
  fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, ignored);
  WriteFile(path, "a \"1\"\n");
  const fs::perms readOnly = fs::perms::owner_read | fs::perms::group_read |
                             fs::perms::others_read;
  fs::permissions(path, readOnly);
  const fs::perms before = fs::status(path).permissions();
  const std::string error = ConfigFile::CheckPath(path).message();
  EXPECT_NE(error.find("read-only"), std::string::npos) << error;
  EXPECT_FALSE(ConfigFile::Update(path, [](ConfigFile* file) { file->Set("a", "2"); }).ok());
  EXPECT_EQ(ReadFile(path), "a \"1\"\n");
  EXPECT_EQ(fs::status(path).permissions(), before);
  fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
}

TEST(ConfigFileTest, CheckPathWantsAFolderForANewFile) {
  const std::string fresh = TempPath("fresh.cfg");
  fs::remove(fresh);
  EXPECT_TRUE(Succeeded(ConfigFile::CheckPath(fresh)));
  const std::string error =
      ConfigFile::CheckPath(TempPath("no-such-folder") + "/settings.cfg").message();
  EXPECT_EQ(error.rfind("cannot use configuration file ", 0), 0u) << error;
}

TEST(ConfigFileTest, MissingFileLoadsEmpty) {
  const std::string path = TempPath("none.cfg");
  ConfigFile file(kMixed);
  ASSERT_TRUE(Succeeded(ConfigFile::Load(path, &file)));
  EXPECT_TRUE(file.settings().empty());
  EXPECT_EQ(file.text(), "");
}

TEST(ConfigFileTest, UnreadableFileLeavesTheFileAlone) {
  ConfigFile file(kMixed);
  const std::string error = ConfigFile::Load(TempDir(), &file).message();
  EXPECT_NE(error.find("cannot read configuration file"), std::string::npos) << error;
  EXPECT_EQ(file.text(), kMixed);
}

}  // namespace
