#include "OutputFiles.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <system_error>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "FileSizeLimit.h"
#include "Paths.h"
#include "TestFiles.h"
#include "Transcript.h"
#include "simhost/Console.h"

namespace vantorel_sim {
namespace {

namespace fs = std::filesystem;

using vantorel_test::Exists;
using vantorel_test::ReadFile;
using vantorel_test::WriteFile;

// Each test gets a folder of its own, empty, with a file `a` in it.
class OutputFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = vantorel_test::TempPath("dir");
    fs::remove_all(folder_);
    fs::create_directories(folder_ + "/sub");
    a_ = In("a.cfg");
    WriteFile(a_, "a\n");
  }

  std::string In(const std::string& name) const { return folder_ + "/" + name; }

  // The names in the folder, so that a test sees a temporary file left over.
  std::string Listing() const {
    std::set<std::string> sorted;
    for (const auto& entry : fs::directory_iterator(folder_)) {
      sorted.insert(entry.path().filename().u8string());
    }
    std::string names;
    for (const std::string& name : sorted) names += name + " ";
    return names;
  }

  // A console with a saved variable this run changed, which a save must
  // write.
  static simhost::Variable& ChangedVariable(simhost::Console& console) {
    simhost::Variable& volume =
        console.Register("volume", "1", "", true, false, 0.0f, false, 0.0f, true);
    EXPECT_TRUE(console.Set(volume, "5"));
    return volume;
  }

  // Makes `link` lead to `target`; the system's reason where it makes no
  // such links (Wine makes no symbolic ones).
  static std::string Link(const std::string& target, const std::string& link, bool hard) {
    std::error_code error;
    if (hard) fs::create_hard_link(target, link, error);
    else fs::create_symlink(target, link, error);
    return error ? error.message() : std::string();
  }

  std::string folder_;
  std::string a_;
};

TEST_F(OutputFilesTest, SameFileSeesThroughSpellings) {
  EXPECT_TRUE(SameFile(a_, a_));
  EXPECT_TRUE(SameFile(a_, folder_ + "/./sub/../a.cfg"));
  WriteFile(In("b.cfg"), "a\n");
  EXPECT_FALSE(SameFile(a_, In("b.cfg")));  // same content, another file
  // Files that do not exist yet, by their resolved paths.
  EXPECT_TRUE(SameFile(In("new.png"), folder_ + "/sub/../new.png"));
  EXPECT_FALSE(SameFile(In("new.png"), In("other.png")));
  EXPECT_FALSE(SameFile(a_, In("new.png")));
}

TEST_F(OutputFilesTest, SameFileSeesThroughHardLinks) {
  const std::string failed = Link(a_, In("hard.cfg"), true);
  if (!failed.empty()) GTEST_SKIP() << "no hard links here: " << failed;
  EXPECT_TRUE(SameFile(In("hard.cfg"), a_));
}

TEST_F(OutputFilesTest, SameFileSeesThroughSymbolicLinks) {
  const std::string failed = Link("a.cfg", In("link"), false);
  if (!failed.empty()) GTEST_SKIP() << "no symbolic links here: " << failed;
  EXPECT_TRUE(SameFile(In("link"), a_));
  ASSERT_EQ(Link("new.png", In("dangling"), false), "");  // to a file not made yet
  EXPECT_TRUE(SameFile(In("dangling"), In("new.png")));
  EXPECT_EQ(FollowLinks(In("dangling")), In("new.png"));
}

TEST_F(OutputFilesTest, CheckOutputRefusesWhatCannotBeWritten) {
  std::string error;
  EXPECT_FALSE(CheckOutput(folder_, "the picture", &error));
  EXPECT_EQ(error, "cannot write the picture " + folder_ + ": it is a directory");
  EXPECT_FALSE(CheckOutput(In("none/x.png"), "the picture", &error));
  EXPECT_EQ(error, "cannot write the picture " + In("none/x.png") + ": its folder " +
                       In("none") + " does not exist");
  EXPECT_FALSE(CheckOutput(a_ + "/x.png", "the picture", &error));
  EXPECT_NE(error.find(" is not a folder"), std::string::npos) << error;

  EXPECT_TRUE(CheckOutput(In("new.png"), "the picture", &error)) << error;
  EXPECT_TRUE(CheckOutput(a_, "the picture", &error)) << error;
  EXPECT_EQ(Listing(), "a.cfg sub ");  // the trial file is gone
  EXPECT_EQ(ReadFile(a_), "a\n");
}

#ifndef _WIN32
TEST_F(OutputFilesTest, CheckOutputRefusesAFolderWithoutWritePermission) {
  if (geteuid() == 0) GTEST_SKIP() << "the superuser writes into any folder";
  ASSERT_EQ(chmod((folder_ + "/sub").c_str(), 0555), 0);
  std::string error;
  EXPECT_FALSE(CheckOutput(folder_ + "/sub/x.png", "the picture", &error));
  EXPECT_NE(error.find("Permission denied"), std::string::npos) << error;
  chmod((folder_ + "/sub").c_str(), 0755);
}

mode_t ModeOf(const std::string& path) {
  struct stat status;
  return stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
}

// A file replaced through a link: the link stays, its target is replaced and
// keeps its permission bits.
TEST_F(OutputFilesTest, PendingFileReplacesTheTargetOfALink) {
  ASSERT_EQ(chmod(a_.c_str(), 0640), 0);
  ASSERT_EQ(Link("a.cfg", In("link"), false), "");
  {
    PendingFile file;
    std::string error;
    ASSERT_TRUE(file.Create(In("link"), "the picture", &error)) << error;
    std::fputs("new\n", file.stream());
    ASSERT_TRUE(file.Close(&error)) << error;
    EXPECT_EQ(ReadFile(a_), "a\n");  // nothing replaced before the commit
    ASSERT_TRUE(file.Commit(&error)) << error;
  }
  EXPECT_TRUE(fs::is_symlink(In("link")));
  EXPECT_EQ(ReadFile(a_), "new\n");
  EXPECT_EQ(ModeOf(a_), 0640u);
  EXPECT_EQ(Listing(), "a.cfg link sub ");
}

// A write that fails as the stream goes out to the disk: the old file stays
// as it was and the temporary one goes.
TEST_F(OutputFilesTest, PendingFileThatCannotBeWrittenOutKeepsTheTarget) {
  {
    PendingFile file;
    std::string error;
    ASSERT_TRUE(file.Create(a_, "the picture", &error)) << error;
    vantorel_test::FileSizeLimit limit(1024);
    ASSERT_TRUE(limit.held()) << std::strerror(errno);
    const std::string buffered(2000, 'x');  // within the stream's buffer, past the limit
    ASSERT_EQ(std::fwrite(buffered.data(), 1, buffered.size(), file.stream()), buffered.size());
    EXPECT_FALSE(file.Close(&error));
    EXPECT_EQ(error, "cannot write the picture " + a_ + ": " + std::strerror(EFBIG));
  }
  EXPECT_EQ(ReadFile(a_), "a\n");
  EXPECT_EQ(Listing(), "a.cfg sub ");
}
#endif

// A folder that took the target's place before the commit: the rename is
// refused with the system's reason, the folder keeps what it holds, and the
// new file goes.
TEST_F(OutputFilesTest, PendingFileCommitLeavesAFolderInTheTargetsPlace) {
  {
    PendingFile file;
    std::string error;
    ASSERT_TRUE(file.Create(In("new.png"), "the picture", &error)) << error;
    std::fputs("new\n", file.stream());
    ASSERT_TRUE(file.Close(&error)) << error;
    fs::create_directories(In("new.png/inside"));
    EXPECT_FALSE(file.Commit(&error));
    const std::string prefix = "cannot write the picture " + In("new.png") + ": ";
    EXPECT_EQ(error.rfind(prefix, 0), 0u) << error;
#ifndef _WIN32
    EXPECT_EQ(error, prefix + std::strerror(EISDIR));
#endif
  }
  EXPECT_TRUE(fs::is_directory(In("new.png/inside")));
  EXPECT_EQ(Listing(), "a.cfg new.png sub ");
}

// A picture that cannot be painted stops the run before the configuration is
// saved: nothing of the run is kept.
TEST_F(OutputFilesTest, SaveOutputsSavesNothingWhenThePictureFails) {
  Transcript silent(nullptr);
  simhost::Console console(silent);
  WriteFile(a_, "volume \"1\"\n");
  std::string error;
  ASSERT_TRUE(console.LoadConfig(a_, &error)) << error;
  ChangedVariable(console);

  Scene huge;
  huge.canvas = Vector2{100000, 10};
  EXPECT_FALSE(SaveOutputs(console, a_, &huge, In("new.png"), &error));
  EXPECT_NE(error.find("cannot write the picture"), std::string::npos) << error;
  EXPECT_EQ(ReadFile(a_), "volume \"1\"\n");
  EXPECT_EQ(Listing(), "a.cfg sub ");

  EXPECT_TRUE(SaveOutputs(console, a_, nullptr, "", &error)) << error;
  EXPECT_EQ(ReadFile(a_), "volume \"5\"\n");
}

#ifdef VANTOREL_HAVE_CAIRO
// The configuration is saved before the picture is put in place: when the
// save fails, the old picture stays.
TEST_F(OutputFilesTest, SaveOutputsKeepsTheOldPictureWhenTheSaveFails) {
  Transcript silent(nullptr);
  simhost::Console console(silent);
  ChangedVariable(console);
  WriteFile(In("old.png"), "old");
  Scene scene;
  scene.canvas = Vector2{16, 16};
  std::string error;
  // A folder where the configuration should be: its save fails.
  EXPECT_FALSE(SaveOutputs(console, folder_ + "/sub", &scene, In("old.png"), &error));
  EXPECT_EQ(ReadFile(In("old.png")), "old");
  EXPECT_EQ(Listing(), "a.cfg old.png sub ");

  EXPECT_TRUE(SaveOutputs(console, "", &scene, In("old.png"), &error)) << error;
  EXPECT_EQ(ReadFile(In("old.png")).compare(1, 3, "PNG"), 0);
}
#endif

}  // namespace
}  // namespace vantorel_sim
