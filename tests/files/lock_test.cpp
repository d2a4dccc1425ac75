// The lock that makes saves take turns, and the lock files it cannot use: a
// folder, a FIFO or a symbolic link where the lock file should be, or a
// file this user cannot open (left by another user's run). Each is refused
// when the configuration path is checked, before a run starts, and again by
// a save, with a message that names the lock file and says what to do; what
// stands there stays as it was, and nothing is made or followed.

#include "files/FileLock.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#ifndef _WIN32
#  include <sys/stat.h>
#  include <unistd.h>
#endif

#include "Paths.h"
#include "StatusAssertions.h"
#include "TestFiles.h"
#include "files/Files.h"
#include "simhost/ConfigFile.h"

namespace vantorel_test {
namespace {

namespace fs = std::filesystem;
using simhost::ConfigFile;

// A configuration file and the path of its lock file.
class LockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(config_, "a \"1\"\n");
    std::string target;
    ASSERT_TRUE(Succeeded(files::FollowLinks(config_, &target)));
    lock_ = target + ".lock";
    fs::remove_all(lock_);
  }

  // What CheckPath and a save say, one line each, with the lock file as it
  // stands; the configuration stays as it was, with nothing beside it.
  std::string Refusals() const {
    const std::string refusals =
        ConfigFile::CheckPath(config_).message() + "\n" +
        ConfigFile::Update(config_, [](ConfigFile* file) { file->Set("a", "2"); }).message();
    EXPECT_EQ(ReadFile(config_), "a \"1\"\n");
    for (const std::string& name : Leftovers(config_)) {
      EXPECT_EQ(name.find(".tmp."), std::string::npos) << name;
    }
    return refusals;
  }

  // The two refusals of a lock file that `problem` describes.
  std::string Expected(const std::string& problem) const {
    const std::string lock = "lock file " + lock_ + " " + problem;
    return "cannot use configuration file " + config_ + ": " + lock + "\n" +
           "cannot write configuration file " + config_ + ": " + lock;
  }

  const std::string config_ = TempPath("settings.cfg");
  std::string lock_;
};

TEST_F(LockTest, AFolderIsRefused) {
  const fs::path inside = fs::u8path(lock_) / "inside";  // Windows's final path takes no '/'
  fs::create_directories(inside);
  EXPECT_EQ(Refusals(), Expected("is a folder, not a regular file: remove it"));
  EXPECT_TRUE(fs::is_directory(inside));
}

#ifndef _WIN32

// A link planted there would have a save create or lock a file elsewhere;
// a FIFO would be waited on. Neither is followed nor opened.
TEST_F(LockTest, ASymbolicLinkOrAFifoIsRefused) {
  const std::string elsewhere = TempPath("elsewhere");
  fs::remove(elsewhere);
  fs::create_symlink(elsewhere, lock_);
  EXPECT_EQ(Refusals(), Expected("is a symbolic link, which a lock never follows: remove it"));
  EXPECT_TRUE(fs::is_symlink(lock_));
  EXPECT_FALSE(Exists(elsewhere));
  fs::remove(lock_);

  ASSERT_EQ(mkfifo(lock_.c_str(), 0644), 0) << std::strerror(errno);
  EXPECT_EQ(Refusals(), Expected("is a FIFO, not a regular file: remove it"));
  EXPECT_EQ(fs::symlink_status(lock_).type(), fs::file_type::fifo);
}

// A lock file left mode 0600 by another user's killed run would stop every
// save of this user for good. Mode 000 stands for it here; the superuser
// opens anything, but not Linux's write-only control files.
TEST_F(LockTest, AFileThisUserCannotOpenIsRefused) {
  const std::string cannotOpen = "cannot be opened by this user (" +
                                 std::string(std::strerror(EACCES)) +
                                 "): remove it, or ask its owner to";
  const std::string writeOnly = "/proc/sys/vm/drop_caches";
  if (access(writeOnly.c_str(), F_OK) == 0 && access(writeOnly.c_str(), R_OK) != 0) {
    EXPECT_EQ(files::FileLock::Check(writeOnly).message(),
              "lock file " + writeOnly + " " + cannotOpen);
  }
  if (geteuid() == 0) GTEST_SKIP() << "the superuser opens a file of mode 000";
  WriteFile(lock_, "");
  ASSERT_EQ(chmod(lock_.c_str(), 0), 0);
  EXPECT_EQ(Refusals(), Expected(cannotOpen));
  fs::remove(lock_);
}

// A lock file that cannot be made: the system's reason, naming it.
TEST_F(LockTest, ALockInAMissingFolderSaysWhy) {
  const std::string lock = TempPath("none") + "/settings.cfg.lock";
  files::FileLock held;
  EXPECT_EQ(held.Acquire(lock).message(), lock + ": " + std::strerror(ENOENT));
}

// The lock file a run makes can be opened by any later user of the
// configuration file, whatever this user's umask.
TEST_F(LockTest, ALockFileIsMadeForEveryUser) {
  const mode_t umaskBefore = umask(077);
  {
    files::FileLock lock;
    ASSERT_TRUE(Succeeded(lock.Acquire(lock_)));
    struct stat info {};
    ASSERT_EQ(stat(lock_.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0666u);
  }
  umask(umaskBefore);
  EXPECT_FALSE(Exists(lock_)) << "its holder removes it";
}

#endif

}  // namespace
}  // namespace vantorel_test
