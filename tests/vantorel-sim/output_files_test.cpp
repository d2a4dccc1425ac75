#include "OutputFiles.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "Paths.h"
#include "StatusAssertions.h"
#include "TestFiles.h"
#include "Transcript.h"
#include "files/SameFile.h"
#include "simhost/Console.h"

namespace vantorel_sim {
namespace {

namespace fs = std::filesystem;

using files::SameFile;
using vantorel_test::ReadFile;
using vantorel_test::Succeeded;
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

  // Gives the console a saved variable this run changed, which a save must
  // write.
  void ChangeASavedVariable() {
    simhost::Variable& volume =
        console_.Register("volume", "1", "", true, false, 0.0f, false, 0.0f, true);
    EXPECT_TRUE(console_.Set(volume, "5"));
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
  // The host's console, for SaveOutputs to save; it says nothing.
  Transcript silent_{nullptr};
  simhost::Console console_{silent_};
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
}

// Each refusal says which file and what is wrong with it; on Windows the
// system's words for a missing folder are its own.
TEST_F(OutputFilesTest, CheckOutputRefusesWhatCannotBeWritten) {
  const auto refusal = [](const std::string& path) {
    return "cannot write the picture " + path + ": ";
  };
  EXPECT_EQ(CheckOutput(folder_, "the picture").message(),
            refusal(folder_) + "a folder, not a regular file");
  std::string error = CheckOutput(In("none/x.png"), "the picture").message();
  EXPECT_EQ(error.rfind(refusal(In("none/x.png")), 0), 0u) << error;
#ifndef _WIN32
  EXPECT_EQ(error, refusal(In("none/x.png")) + "its folder " + In("none/") + ": " +
                       std::strerror(ENOENT));
#endif
  error = CheckOutput(a_ + "/x.png", "the picture").message();
  EXPECT_EQ(error.rfind(refusal(a_ + "/x.png"), 0), 0u) << error;
#ifndef _WIN32
  EXPECT_EQ(error, refusal(a_ + "/x.png") + "its folder " + a_ + "/: " + std::strerror(ENOTDIR));
#endif

  EXPECT_TRUE(Succeeded(CheckOutput(In("new.png"), "the picture")));
  EXPECT_TRUE(Succeeded(CheckOutput(a_, "the picture")));
  EXPECT_EQ(Listing(), "a.cfg sub ");  // nothing made to find out is left
  EXPECT_EQ(ReadFile(a_), "a\n");
}

// A file its owner made read-only stays so: a run does not replace it with
// a writable one.
TEST_F(OutputFilesTest, CheckOutputRefusesAReadOnlyFile) {
  const fs::perms readOnly = fs::perms::owner_read | fs::perms::group_read |
                             fs::perms::others_read;
  fs::permissions(a_, readOnly);
  EXPECT_EQ(CheckOutput(a_, "the animation").message(),
            "cannot write the animation " + a_ + ": the file is read-only");
  fs::permissions(a_, fs::perms::owner_write, fs::perm_options::add);
}

#ifndef _WIN32
TEST_F(OutputFilesTest, CheckOutputRefusesAFolderWithoutWritePermission) {
  if (geteuid() == 0) GTEST_SKIP() << "the superuser writes into any folder";
  ASSERT_EQ(chmod((folder_ + "/sub").c_str(), 0555), 0);
  const std::string error = CheckOutput(folder_ + "/sub/x.png", "the picture").message();
  EXPECT_NE(error.find("Permission denied"), std::string::npos) << error;
  chmod((folder_ + "/sub").c_str(), 0755);
}

TEST_F(OutputFilesTest, CheckOutputNamesWhatStandsThere) {
  ASSERT_EQ(mkfifo(In("fifo").c_str(), 0644), 0) << std::strerror(errno);
  EXPECT_EQ(CheckOutput(In("fifo"), "the picture").message(),
            "cannot write the picture " + In("fifo") + ": a FIFO, not a regular file");
}
#endif

TEST_F(OutputFilesTest, PictureOutputSaysWhyItCannotPaint) {
  Scene huge;
  huge.canvas = Vector2{100000, 10};
  Output output;
  const std::string error = PictureOutput(huge, In("new.png"), &output).message();
  EXPECT_EQ(error.rfind("cannot write the picture " + In("new.png") + ": ", 0), 0u) << error;
  EXPECT_GT(error.size(), ("cannot write the picture " + In("new.png") + ": ").size());
}

#ifdef VANTOREL_HAVE_CAIRO
TEST_F(OutputFilesTest, PictureOutputHoldsThePng) {
  Scene scene;
  scene.canvas = Vector2{16, 16};
  Output output;
  ASSERT_TRUE(Succeeded(PictureOutput(scene, In("new.png"), &output)));
  EXPECT_EQ(output.path, In("new.png"));
  EXPECT_EQ(output.what, "the picture");
  EXPECT_EQ(output.content.compare(1, 3, "PNG"), 0);
  EXPECT_EQ(Listing(), "a.cfg sub ");  // painted, not written
}
#endif

// An output that cannot be written stops the end of the run before the
// configuration is saved: nothing of the run is kept, and the outputs
// prepared before it are gone again.
TEST_F(OutputFilesTest, SaveOutputsSavesNothingWhenAnOutputCannotBeWritten) {
  WriteFile(a_, "volume \"1\"\n");
  ASSERT_TRUE(Succeeded(console_.LoadConfig(a_)));
  ChangeASavedVariable();
  WriteFile(In("old.png"), "old");

  const std::vector<Output> outputs = {{In("old.png"), "the picture", "new"},
                                       {In("none/x.webp"), "the animation", "webp"}};
  const std::string error = SaveOutputs(console_, a_, outputs).message();
  EXPECT_EQ(error.rfind("cannot write the animation " + In("none/x.webp") + ": ", 0), 0u)
      << error;
  EXPECT_EQ(ReadFile(a_), "volume \"1\"\n");
  EXPECT_EQ(ReadFile(In("old.png")), "old");
  EXPECT_EQ(Listing(), "a.cfg old.png sub ");

  EXPECT_TRUE(Succeeded(SaveOutputs(console_, a_, {})));
  EXPECT_EQ(ReadFile(a_), "volume \"5\"\n");
}

// The configuration is saved before the outputs are put in place: when the
// save fails, the old files stay.
TEST_F(OutputFilesTest, SaveOutputsKeepsTheOldFilesWhenTheSaveFails) {
  ChangeASavedVariable();
  WriteFile(In("old.png"), "old");
  WriteFile(In("old.webp"), "older");
  const std::vector<Output> outputs = {{In("old.png"), "the picture", "new"},
                                       {In("old.webp"), "the animation", "newer"}};
  // A folder where the configuration should be: its save fails.
  const std::string error = SaveOutputs(console_, folder_ + "/sub", outputs).message();
  EXPECT_EQ(error.rfind("cannot write configuration file " + folder_ + "/sub: ", 0), 0u)
      << error;
  EXPECT_EQ(ReadFile(In("old.png")), "old");
  EXPECT_EQ(ReadFile(In("old.webp")), "older");
  EXPECT_EQ(Listing(), "a.cfg old.png old.webp sub ");

  EXPECT_TRUE(Succeeded(SaveOutputs(console_, "", outputs)));
  EXPECT_EQ(ReadFile(In("old.png")), "new");
  EXPECT_EQ(ReadFile(In("old.webp")), "newer");
  EXPECT_EQ(Listing(), "a.cfg old.png old.webp sub ");
}

// Outputs are written through links: the link stays, the file it names
// takes the new content.
TEST_F(OutputFilesTest, SaveOutputsWritesThroughLinks) {
  const std::string failed = Link("a.cfg", In("link"), false);
  if (!failed.empty()) GTEST_SKIP() << "no symbolic links here: " << failed;
  ASSERT_TRUE(Succeeded(SaveOutputs(console_, "", {{In("link"), "the picture", "new"}})));
  EXPECT_TRUE(fs::is_symlink(In("link")));
  EXPECT_EQ(ReadFile(a_), "new");
}

// An output that cannot be put in place, a folder standing there: refused
// with the system's reason, the folder keeps what it holds, and the outputs
// after it stay as they were, with nothing left beside them.
TEST_F(OutputFilesTest, SaveOutputsStopsAtAnOutputThatCannotBePutInPlace) {
  fs::create_directories(In("new.png"));
  WriteFile(In("new.png/inside"), "kept");
  WriteFile(In("old.webp"), "older");
  const std::vector<Output> outputs = {{In("new.png"), "the picture", "new"},
                                       {In("old.webp"), "the animation", "newer"}};
  const std::string error = SaveOutputs(console_, "", outputs).message();
  const std::string prefix = "cannot write the picture " + In("new.png") + ": ";
  EXPECT_EQ(error.rfind(prefix, 0), 0u) << error;
#ifndef _WIN32
  EXPECT_EQ(error, prefix + std::strerror(EISDIR));
#endif
  EXPECT_EQ(ReadFile(In("new.png/inside")), "kept");
  EXPECT_EQ(ReadFile(In("old.webp")), "older");
  EXPECT_EQ(Listing(), "a.cfg new.png old.webp sub ");
}

}  // namespace
}  // namespace vantorel_sim
