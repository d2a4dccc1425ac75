// The file helpers, and where things go wrong: a replacement in its two
// steps, a write that fails, a folder that vanished or stands where the
// file should be, links that loop or run long, and files of every other
// kind (lock files are lock_test.cpp's). Each failure is told with the
// system's reason, and the user's files stay as they were, with nothing
// left beside them.

#include "files/Files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#ifndef _WIN32
#  include <sys/socket.h>
#  include <sys/stat.h>
#  include <sys/sysmacros.h>
#  include <sys/un.h>
#  include <unistd.h>
#endif

#include "FileSizeLimit.h"
#include "Paths.h"
#include "StatusAssertions.h"
#include "TestFiles.h"
#include "simhost/ConfigFile.h"

namespace vantorel_test {
namespace {

namespace fs = std::filesystem;
using simhost::ConfigFile;

// `path` with its links followed, as a replacement wants its target.
std::string Followed(const std::string& path) {
  std::string target;
  EXPECT_TRUE(Succeeded(files::FollowLinks(path, &target)));
  return target;
}

// The one file saving `target` left beside it, by its path; empty unless
// there is exactly one.
std::string Beside(const std::string& target) {
  const std::vector<std::string> names = Leftovers(target);
  return names.size() == 1 ? std::string(TempDir()) + "/" + names[0] : std::string();
}

#ifndef _WIN32
// The message a failed call of the system gives for `code`, as the helpers
// pass it on.
std::string Reason(int code) { return std::strerror(code); }

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}
#endif

// A save whose folder is gone by the time it writes.
TEST(FilesTest, ReplaceContentsInAVanishedFolderMakesNothing) {
  const std::string folder = TempPath("gone");
  fs::remove_all(folder);
  const std::string error = files::ReplaceContents(folder + "/settings.cfg", "a \"1\"\n").message();
  EXPECT_EQ(error.rfind("cannot create a file beside it: ", 0), 0u) << error;
#ifndef _WIN32
  EXPECT_EQ(error, "cannot create a file beside it: " + Reason(ENOENT));
#endif
  EXPECT_FALSE(Exists(folder));
}

// A folder where the file should be, there before the new file is
// prepared or come between that and the commit: the rename is refused, the
// folder keeps what it holds, the new file is removed.
TEST(FilesTest, AFolderInThePlaceOfTheFileStaysAsItWas) {
  const std::string target = TempPath("settings.cfg");
  for (const bool before : {true, false}) {
    SCOPED_TRACE(before ? "there before" : "come between");
    fs::remove_all(target);
    if (before) fs::create_directories(target);
    files::FileReplacement replacement;
    ASSERT_TRUE(Succeeded(replacement.Prepare(Followed(target), "a \"1\"\n")));
    fs::create_directories(target);
    WriteFile(target + "/inside", "kept");
    const std::string error = replacement.Commit().message();
    EXPECT_FALSE(error.empty());
#ifndef _WIN32
    EXPECT_EQ(error, Reason(EISDIR));
#endif
    EXPECT_TRUE(fs::is_directory(target));
    EXPECT_EQ(ReadFile(target + "/inside"), "kept");
    EXPECT_TRUE(Leftovers(target).empty());
  }
  EXPECT_FALSE(files::ReplaceContents(Followed(target), "a \"1\"\n").ok());
  EXPECT_EQ(ReadFile(target + "/inside"), "kept");
  EXPECT_TRUE(Leftovers(target).empty());
}

// The new content is beside the file, not in its place, until the commit.
// A second Prepare takes the place of the first, and a replacement dropped
// without its commit takes its new file with it.
TEST(FilesTest, NothingIsReplacedBeforeTheCommit) {
  const std::string target = TempPath("settings.cfg");
  WriteFile(target, "a \"1\"\n");
  {
    files::FileReplacement dropped;
    ASSERT_TRUE(Succeeded(dropped.Prepare(Followed(target), "a \"2\"\n")));
    EXPECT_NE(Beside(target), "");
  }
  EXPECT_TRUE(Leftovers(target).empty());
  files::FileReplacement replacement;
  ASSERT_TRUE(Succeeded(replacement.Prepare(Followed(target), "a \"3\"\n")));
  ASSERT_TRUE(Succeeded(replacement.Prepare(Followed(target), "a \"4\"\n")));
  EXPECT_EQ(ReadFile(target), "a \"1\"\n");
  ASSERT_NE(Beside(target), "");
  EXPECT_EQ(ReadFile(Beside(target)), "a \"4\"\n");
  ASSERT_TRUE(Succeeded(replacement.Commit()));
  EXPECT_EQ(ReadFile(target), "a \"4\"\n");
  EXPECT_TRUE(Leftovers(target).empty());
}

#ifndef _WIN32

// A write that fails part of the way: the file keeps its old content and
// the half-written new one is removed at once.
TEST(FilesTest, AFailedWriteLeavesTheFileAsItWas) {
  const std::string target = TempPath("settings.cfg");
  WriteFile(target, "a \"1\"\n");
  const std::string content(64 * 1024, 'x');
  files::FileReplacement replacement;
  std::string error;
  {
    FileSizeLimit limit(1024);
    ASSERT_TRUE(limit.held()) << Reason(errno);
    error = replacement.Prepare(target, content).message();
  }
  EXPECT_EQ(error.rfind(target + ".tmp.", 0), 0u) << error;
  EXPECT_TRUE(EndsWith(error, ": " + Reason(EFBIG))) << error;
  EXPECT_EQ(ReadFile(target), "a \"1\"\n");
  EXPECT_TRUE(Leftovers(target).empty());
}

// Through a link, the file the link names is replaced and keeps its
// permission bits, from the moment the new content is prepared; the link
// stays a link.
TEST(FilesTest, TheFileALinkNamesIsReplacedWithItsBits) {
  const std::string target = TempPath("private.cfg");
  const std::string link = TempPath("link.cfg");
  fs::remove(link);
  WriteFile(target, "a \"1\"\n");
  ASSERT_EQ(chmod(target.c_str(), 0640), 0);
  fs::create_symlink(fs::path(target).filename(), link);
  std::string followed;
  ASSERT_TRUE(Succeeded(files::FollowLinks(link, &followed)));
  files::FileReplacement replacement;
  ASSERT_TRUE(Succeeded(replacement.Prepare(followed, "a \"2\"\n")));
  ASSERT_NE(Beside(target), "");
  EXPECT_EQ(ModeOf(Beside(target)), 0640u);
  ASSERT_TRUE(Succeeded(replacement.Commit()));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadFile(target), "a \"2\"\n");
  EXPECT_EQ(ModeOf(target), 0640u);
  EXPECT_TRUE(Leftovers(target).empty());
  EXPECT_TRUE(Leftovers(link).empty());
}

// A link loop has no file at its end: refused with the system's word for
// it, and nothing is made.
TEST(FilesTest, ALoopOfLinksIsRefused) {
  const std::string first = TempPath("first.cfg");
  const std::string second = TempPath("second.cfg");
  fs::remove(first);
  fs::remove(second);
  fs::create_symlink(second, first);
  fs::create_symlink(first, second);
  std::string target;
  EXPECT_EQ(files::FollowLinks(first, &target).message(), Reason(ELOOP));
  EXPECT_EQ(ConfigFile::CheckPath(first).message(),
            "cannot use configuration file " + first + ": " + Reason(ELOOP));
  EXPECT_FALSE(ConfigFile::Update(first, [](ConfigFile* file) { file->Set("a", "1"); }).ok());
  EXPECT_TRUE(fs::is_symlink(first));
  EXPECT_TRUE(fs::is_symlink(second));
  EXPECT_TRUE(Leftovers(first).empty());
  EXPECT_TRUE(Leftovers(second).empty());
}

// A link longer than the first buffer read for it is read whole: a save
// through it writes the file it names, not one of a cut-off name.
TEST(FilesTest, ALongLinkIsFollowedWhole) {
  const std::string file = TempPath("long.cfg");
  const std::string link = TempPath("link.cfg");
  std::string pointsTo;
  for (int i = 0; i < 200; ++i) pointsTo += "./";
  pointsTo += fs::path(file).filename().string();
  ASSERT_GT(pointsTo.size(), 256u);
  fs::remove(file);
  fs::remove(link);
  fs::create_symlink(pointsTo, link);
  std::string target;
  ASSERT_TRUE(Succeeded(files::FollowLinks(link, &target)));
  EXPECT_EQ(target, std::string(TempDir()) + "/" + pointsTo);
  ASSERT_TRUE(Succeeded(ConfigFile::Update(link, [](ConfigFile* f) { f->Set("a", "1"); })));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadFile(file), "a \"1\"\n");
}

// What stands where a regular file is wanted is named in the refusal, and
// is never opened.
TEST(FilesTest, ReadingNamesWhatStandsThere) {
  const std::string socketPath = TempPath("socket");
  const std::string devicePath = TempPath("block");
  fs::remove(socketPath);
  fs::remove(devicePath);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (socketPath.size() >= sizeof address.sun_path) {
    GTEST_SKIP() << "the path is too long for a socket: " << socketPath;
  }
  std::strcpy(address.sun_path, socketPath.c_str());
  const int listening = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(listening, 0) << Reason(errno);
  ASSERT_EQ(bind(listening, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0)
      << Reason(errno);
  close(listening);
  // A block device node, made only to be looked at (the first loop device's
  // numbers); making one takes the right to make devices.
  if (mknod(devicePath.c_str(), S_IFBLK | 0600, makedev(7, 0)) != 0) {
    fs::remove(socketPath);
    GTEST_SKIP() << "no block device node can be made here: " << Reason(errno);
  }
  for (const auto& [path, kind] : {std::pair{socketPath, "a socket"},
                                   std::pair{devicePath, "a block device"}}) {
    SCOPED_TRACE(path);
    std::optional<std::string> text;
    EXPECT_EQ(files::ReadRegularFile(path, &text).message(),
              std::string(kind) + ", not a regular file");
    EXPECT_EQ(ConfigFile::CheckPath(path).message(),
              "cannot use configuration file " + path + ": " + kind + ", not a regular file");
  }
  fs::remove(socketPath);
  fs::remove(devicePath);
}

// A path that goes through a file as if it were a folder names no file
// that is missing: it is an error, not an empty configuration.
TEST(FilesTest, APathThroughAFileIsAnError) {
  const std::string file = TempPath("file.cfg");
  WriteFile(file, "a \"1\"\n");
  std::optional<std::string> text;
  EXPECT_EQ(files::ReadRegularFile(file + "/inner.cfg", &text).message(), Reason(ENOTDIR));
  ConfigFile config;
  EXPECT_EQ(ConfigFile::Load(file + "/inner.cfg", &config).message(),
            "cannot read configuration file " + file + "/inner.cfg: " + Reason(ENOTDIR));
}

// A regular file the system will not open, even for the superuser: Linux's
// write-only control files under /proc/sys are such.
TEST(FilesTest, AFileThatWillNotOpenIsAnError) {
  const std::string path = "/proc/sys/vm/drop_caches";
  struct stat info {};
  const bool refused =
      stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), R_OK) != 0;
  if (!refused) GTEST_SKIP() << path << " is not a regular file refused for reading here";
  std::optional<std::string> text;
  EXPECT_EQ(files::ReadRegularFile(path, &text).message(), Reason(EACCES));
}

// A stream that fails to read says why.
TEST(FilesTest, ReadAllGivesTheReadError) {
  std::FILE* folder = files::OpenFile(TempDir(), "rb");
  if (folder == nullptr) GTEST_SKIP() << "this system opens no folder as a stream";
  std::string text = "untouched";
  const std::string error = files::ReadAll(folder, &text).message();
  std::fclose(folder);
  EXPECT_EQ(error, Reason(EISDIR));
  EXPECT_TRUE(text.empty());
}

#endif

}  // namespace
}  // namespace vantorel_test
