// Interruptions and a limit on file sizes, while files are saved. The real
// program, run as a child with the save_pause_shim preloaded, gets a real
// SIGINT or SIGTERM at a chosen point of its save: while the configuration
// is written beside its file, the run ends by the signal with every file
// as it was and nothing left beside them; while the files are put in place,
// the signal waits until all of them are. A run over the size limit fails
// with a message, not SIGXFSZ, and leaves nothing either.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "Paths.h"
#include "StatusAssertions.h"
#include "TestFiles.h"
#include "files/Files.h"
#include "files/Interruption.h"

namespace vantorel_test {
namespace {

namespace fs = std::filesystem;

// The configuration a run starts with; the script sets two of its values.
const char kSaved[] = "vantorel_enable \"1\"\nother_plugin_volume \"7\"\n";
const char kScript[] =
    "canvas 16 16\n"
    "plugin load\n"
    "vantorel_enable 0\n"
    "vantorel_render_thickness 4\n";

// The names left beside `path` that a save writes before it renames.
std::vector<std::string> Temporaries(const std::string& path) {
  std::vector<std::string> names;
  for (const std::string& name : Leftovers(path)) {
    if (name.find(".tmp.") != std::string::npos) names.push_back(name);
  }
  return names;
}

// A run of vantorel-sim on kScript with a configuration file and, where the
// build paints pictures, a picture, in a folder of the test's own.
class InterruptedRun : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = TempPath("run");
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    config_ = folder_ + "/settings.cfg";
    picture_ = folder_ + "/last.png";
    WriteFile(config_, kSaved);
    WriteFile(folder_ + "/script.scn", kScript);
    WriteFile(picture_, "the picture before");
    marker_ = folder_ + "/paused";
  }

  // Starts the program. `pauseCall` and the shim make it stop in that call
  // on the configuration's temporary file; `sizeLimit`, when not zero, caps
  // the size of the files it writes. Standard error goes to a file.
  void Start(const std::string& pauseCall, rlim_t sizeLimit = 0) {
    std::vector<std::string> args = {VANTOREL_SIM, "--config", config_};
#ifdef VANTOREL_HAVE_CAIRO
    args.insert(args.end(), {"--picture", picture_});
#endif
    args.push_back(folder_ + "/script.scn");
    const std::string error = folder_ + "/stderr";
    child_ = fork();
    ASSERT_NE(child_, -1);
    if (child_ != 0) return;
    // The child: signals as a fresh process has them, whatever the test's.
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
    signal(SIGXFSZ, SIG_DFL);
    if (sizeLimit != 0) {
      const rlimit limit{sizeLimit, sizeLimit};
      setrlimit(RLIMIT_FSIZE, &limit);
    }
    dup2(open("/dev/null", O_WRONLY), STDOUT_FILENO);
    dup2(open(error.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
    setenv("LD_PRELOAD", VANTOREL_PAUSE_SHIM, 1);
    setenv("VANTOREL_PAUSE_CALL", pauseCall.c_str(), 1);
    setenv("VANTOREL_PAUSE_FILE", config_.c_str(), 1);
    setenv("VANTOREL_PAUSE_MARKER", marker_.c_str(), 1);
    // The shim comes before a sanitizer's runtime in the list of libraries.
    const char* asan = std::getenv("ASAN_OPTIONS");
    setenv("ASAN_OPTIONS",
           (std::string(asan ? asan : "") + ":verify_asan_link_order=0").c_str(), 1);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }

  // Waits until the child stands in the paused call, then sends `signal`.
  // False when it ended first or never got there.
  bool InterruptWhenPaused(int signal) {
    for (int waited = 0; waited < 6000; ++waited) {
      if (Exists(marker_)) return kill(child_, signal) == 0;
      if (waitpid(child_, &status_, WNOHANG) == child_) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  int Wait() {
    if (child_ > 0 && waitpid(child_, &status_, 0) == child_) child_ = 0;
    return status_;
  }

  void TearDown() override {
    if (child_ > 0) {
      kill(child_, SIGKILL);
      waitpid(child_, nullptr, 0);
    }
  }

  void ExpectNothingBeside() {
    EXPECT_EQ(Temporaries(config_), std::vector<std::string>{});
    EXPECT_EQ(Temporaries(picture_), std::vector<std::string>{});
  }

  std::string folder_, config_, picture_, marker_;
  pid_t child_ = 0;
  int status_ = 0;
};

// Two points of the save. At the fsync of the configuration's new text,
// written beside it after the picture: the signal removes both, and the
// program ends by it, every file as it was. At the rename of the
// configuration, the first of the files put in place: the signal waits
// until the picture is in place too, then ends the program.
TEST_F(InterruptedRun, EndsByTheSignalWithEveryFileInPlaceOrNone) {
  for (const bool atRename : {false, true}) {
    for (const int signal : {SIGINT, SIGTERM}) {
      SCOPED_TRACE(std::string(atRename ? "rename, " : "fsync, ") + strsignal(signal));
      SetUp();
      ASSERT_NO_FATAL_FAILURE(Start(atRename ? "rename" : "fsync"));
      ASSERT_TRUE(InterruptWhenPaused(signal)) << ReadFile(folder_ + "/stderr");
      const int status = Wait();
      ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << WEXITSTATUS(status);
      EXPECT_EQ(WTERMSIG(status), signal);
      const std::string config = ReadFile(config_);
      if (atRename) {
        EXPECT_EQ(config.rfind("vantorel_enable \"0\"\nother_plugin_volume \"7\"\n", 0), 0u);
        EXPECT_NE(config.find("\nvantorel_render_thickness \"4\"\n"), std::string::npos) << config;
      } else {
        EXPECT_EQ(config, kSaved);
      }
#ifdef VANTOREL_HAVE_CAIRO
      const bool pictureNew = ReadFile(picture_).compare(1, 3, "PNG") == 0;
      EXPECT_EQ(pictureNew, atRename);
#endif
      ExpectNothingBeside();
    }
  }
}

// A size limit that the small picture keeps within and the configuration's
// new text passes: the save fails with a message and exit status 1, the picture
// written for the run is not put in place, and nothing is left beside.
TEST_F(InterruptedRun, OverTheSizeLimitFailsWithAMessage) {
  std::string large = kSaved;
  while (large.size() < 16384) large += "# a comment that makes the file large\n";
  WriteFile(config_, large);
  fs::remove(picture_);
  ASSERT_NO_FATAL_FAILURE(Start("none", 8192));
  const int status = Wait();
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 1);
  const std::string error = ReadFile(folder_ + "/stderr");
  EXPECT_EQ(error.rfind("vantorel-sim: cannot write configuration file " + config_ + ": " +
                            config_ + ".tmp.",
                        0),
            0u)
      << error;
  EXPECT_NE(error.find(": " + std::string(std::strerror(EFBIG)) + "\n"), std::string::npos)
      << error;
  EXPECT_EQ(ReadFile(config_), large);
  EXPECT_FALSE(Exists(picture_));
  ExpectNothingBeside();
}

// The handler in a process whose SIGTERM had a handler already: it removes
// the file of the replacement under way, leaves the one committed, and
// hands the signal on. Held back, the signal waits.
TEST(InterruptionHandler, RemovesTheFilesUnderWayAndHandsOn) {
  static int received = 0;
  struct sigaction recorder {}, before[3];
  recorder.sa_handler = [](int signal) { received = signal; };
  const int saved[] = {SIGINT, SIGTERM, SIGXFSZ};
  for (int i = 0; i < 3; ++i) sigaction(saved[i], nullptr, &before[i]);
  sigaction(SIGTERM, &recorder, nullptr);
  files::RemoveTemporariesOnInterruption();

  const std::string pending = TempPath("pending.cfg");
  const std::string done = TempPath("done.cfg");
  WriteFile(pending, "old");
  WriteFile(done, "old");
  files::FileReplacement interrupted, committed;
  ASSERT_TRUE(Succeeded(interrupted.Prepare(pending, "new")));
  ASSERT_TRUE(Succeeded(committed.Prepare(done, "new")));
  ASSERT_TRUE(Succeeded(committed.Commit()));
  {
    const files::InterruptionsHeld held;
    raise(SIGTERM);
    EXPECT_EQ(received, 0);
    EXPECT_EQ(Temporaries(pending).size(), 1u);
  }
  EXPECT_EQ(received, SIGTERM);
  EXPECT_EQ(Temporaries(pending), std::vector<std::string>{});
  EXPECT_EQ(ReadFile(pending), "old");
  EXPECT_EQ(ReadFile(done), "new");

  for (int i = 0; i < 3; ++i) sigaction(saved[i], &before[i], nullptr);
}

}  // namespace
}  // namespace vantorel_test
