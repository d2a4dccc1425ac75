// The lock that makes saves take turns, and the lock files it cannot use: a
// folder, a FIFO or a symbolic link where the lock file should be, or a
// file this user cannot open (left by another user's run). Each is refused
// when the configuration path is checked, before a run starts, and again by
// a save, with a message that names the lock file and says what to do; what
// stands there stays as it was, and nothing is made or followed.

#include "files/FileLock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#  include <sys/stat.h>
#  include <sys/wait.h>
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

// A configuration file, in a folder of its own that every user may write
// (as a shared folder is), and the path of its lock file.
class LockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = TempPath("shared");
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    fs::permissions(folder_, fs::perms::all);
    config_ = folder_ + "/settings.cfg";
    WriteFile(config_, "a \"1\"\n");
    fs::permissions(config_, fs::perms::owner_read | fs::perms::owner_write |
                                 fs::perms::group_read | fs::perms::group_write |
                                 fs::perms::others_read | fs::perms::others_write);
    std::string target;
    ASSERT_TRUE(Succeeded(files::FollowLinks(config_, &target)));
    lock_ = target + ".lock";
  }

  // What CheckPath and a save say, one line each, about the configuration
  // file with the lock file as it stands.
  std::string Refusals() const {
    return ConfigFile::CheckPath(config_).message() + "\n" +
           ConfigFile::Update(config_, [](ConfigFile* file) { file->Set("a", "2"); }).message();
  }

  // The two refusals of a lock file that `problem` describes.
  std::string Expected(const std::string& problem) const {
    const std::string lock = "lock file " + lock_ + " " + problem;
    return "cannot use configuration file " + config_ + ": " + lock + "\n" +
           "cannot write configuration file " + config_ + ": " + lock;
  }

  void ExpectConfigurationUntouched() const {
    EXPECT_EQ(ReadFile(config_), "a \"1\"\n");
    std::vector<std::string> left = Leftovers(config_);
    left.erase(std::remove(left.begin(), left.end(), "settings.cfg.lock"), left.end());
    EXPECT_EQ(left, std::vector<std::string>{});
  }

  std::string folder_;
  std::string config_;
  std::string lock_;
};

TEST_F(LockTest, AFolderIsRefused) {
  fs::create_directories(lock_ + "/inside");
  EXPECT_EQ(Refusals(), Expected("is a folder, not a regular file: remove it"));
  EXPECT_TRUE(fs::is_directory(lock_ + "/inside"));
  ExpectConfigurationUntouched();
}

#ifndef _WIN32

// A link planted there would have a save create or lock a file elsewhere;
// a FIFO would be waited on. Neither is followed nor opened.
TEST_F(LockTest, ASymbolicLinkOrAFifoIsRefused) {
  const std::string elsewhere = folder_ + "/elsewhere";
  fs::create_symlink(elsewhere, lock_);
  EXPECT_EQ(Refusals(),
            Expected("is a symbolic link, which a lock never follows: remove it"));
  EXPECT_TRUE(fs::is_symlink(lock_));
  EXPECT_FALSE(Exists(elsewhere));
  fs::remove(lock_);

  ASSERT_EQ(mkfifo(lock_.c_str(), 0644), 0) << std::strerror(errno);
  EXPECT_EQ(Refusals(), Expected("is a FIFO, not a regular file: remove it"));
  EXPECT_EQ(fs::symlink_status(lock_).type(), fs::file_type::fifo);
  ExpectConfigurationUntouched();
}

// A lock file left mode 0600 by another user's killed run would stop every
// save of this user for good. Only another user can be refused it: the
// superuser opens anything, so as root the check runs in a child that has
// become the user nobody (and Linux's write-only control files, which no
// one may read, show the refusal in this process).
TEST_F(LockTest, AFileThisUserCannotOpenIsRefused) {
  const std::string writeOnly = "/proc/sys/vm/drop_caches";
  if (access(writeOnly.c_str(), F_OK) == 0 && access(writeOnly.c_str(), R_OK) != 0) {
    EXPECT_EQ(files::FileLock::Check(writeOnly).message(),
              "lock file " + writeOnly + " cannot be opened by this user (" +
                  std::strerror(EACCES) + "): remove it, or ask its owner to");
  }
  WriteFile(lock_, "");
  const std::string expected =
      Expected("cannot be opened by this user (" + std::string(std::strerror(EACCES)) +
               "): remove it, or ask its owner to");
  if (geteuid() != 0) {
    ASSERT_EQ(chmod(lock_.c_str(), 0), 0);
    EXPECT_EQ(Refusals(), expected);
  } else {
    ASSERT_EQ(chmod(lock_.c_str(), 0600), 0);
    int channel[2];
    ASSERT_EQ(pipe(channel), 0);
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
      close(channel[0]);
      constexpr uid_t kNobody = 65534;
      if (setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(2);
      const std::string refusals = Refusals();
      _exit(write(channel[1], refusals.data(), refusals.size()) ==
                    static_cast<ssize_t>(refusals.size())
                ? 0
                : 1);
    }
    close(channel[1]);
    std::string refusals;
    char buffer[512];
    for (ssize_t got; (got = read(channel[0], buffer, sizeof buffer)) > 0;) {
      refusals.append(buffer, static_cast<std::size_t>(got));
    }
    close(channel[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 2) {
      GTEST_SKIP() << "as root, and no other user to become here";
    }
    EXPECT_EQ(refusals, expected);
  }
  EXPECT_EQ(ReadFile(lock_), "");
  chmod(lock_.c_str(), 0600);
  ExpectConfigurationUntouched();
}

// A lock file that cannot be made: the system's reason, naming it.
TEST_F(LockTest, ALockInAMissingFolderSaysWhy) {
  const std::string lock = folder_ + "/none/settings.cfg.lock";
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
