// Interruptions and a limit on file sizes while files are saved. The real
// program, run as a child with save_pause_shim preloaded, gets a real SIGINT
// or SIGTERM at a chosen point of its save. A run over the size limit fails
// with a message, not SIGXFSZ. Neither leaves anything beside the files.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
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

// The names beside `path` of the files a save writes before it renames.
std::vector<std::string> Temporaries(const std::string& path) {
  std::vector<std::string> names;
  for (const std::string& name : Leftovers(path)) {
    if (name.find(".tmp.") != std::string::npos) names.push_back(name);
  }
  return names;
}

// vantorel-sim saving a configuration file and, where the build paints
// pictures, a picture, in a folder of the test's own.
class InterruptedRun : public ::testing::Test {
 protected:
  static constexpr char kSaved[] = "vantorel_enable \"1\"\nother_plugin_volume \"7\"\n";

  void SetUp() override {
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    WriteFile(config_, kSaved);
    WriteFile(picture_, "the picture before");
    WriteFile(folder_ + "/script.scn",
              "canvas 16 16\nplugin load\nvantorel_enable 0\nvantorel_render_thickness 4\n");
  }

  void TearDown() override {
    if (child_ > 0) kill(child_, SIGKILL);
    Wait();
  }

  // Starts the program, which the shim stops in the call `pauseCall` on the
  // configuration's new file; `sizeLimit`, when not zero, caps the size of
  // the files it writes. Standard error goes to a file.
  void Start(const std::string& pauseCall, rlim_t sizeLimit = 0) {
    std::vector<std::string> args = {VANTOREL_SIM, "--config", config_};
#ifdef VANTOREL_HAVE_CAIRO
    args.insert(args.end(), {"--picture", picture_});
#endif
    args.push_back(folder_ + "/script.scn");
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const std::string errors = folder_ + "/stderr";
    const char* asan = std::getenv("ASAN_OPTIONS");
    // The shim comes before a sanitizer's runtime in the list of libraries.
    const std::string asanOptions = std::string(asan ? asan : "") + ":verify_asan_link_order=0";
    child_ = fork();
    ASSERT_NE(child_, -1);
    if (child_ != 0) return;
    // Signals as a fresh process has them, whatever the test's.
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    for (int caught : {SIGINT, SIGTERM, SIGXFSZ}) ::signal(caught, SIG_DFL);
    const rlimit limit{sizeLimit, sizeLimit};
    if (sizeLimit != 0) setrlimit(RLIMIT_FSIZE, &limit);
    dup2(open("/dev/null", O_WRONLY), STDOUT_FILENO);
    dup2(open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
    setenv("LD_PRELOAD", VANTOREL_PAUSE_SHIM, 1);
    setenv("VANTOREL_PAUSE_CALL", pauseCall.c_str(), 1);
    setenv("VANTOREL_PAUSE_FILE", config_.c_str(), 1);
    setenv("VANTOREL_PAUSE_MARKER", marker_.c_str(), 1);
    setenv("ASAN_OPTIONS", asanOptions.c_str(), 1);
    execv(argv[0], argv.data());
    _exit(127);
  }

  // Sends `signal` once the child stands in the paused call; false when it
  // ended first or never got there.
  bool InterruptWhenPaused(int signal) {
    for (int waited = 0; waited < 6000 && waitpid(child_, &status_, WNOHANG) == 0; ++waited) {
      if (Exists(marker_)) return kill(child_, signal) == 0;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    child_ = 0;
    return false;
  }

  int Wait() {
    if (child_ > 0) waitpid(child_, &status_, 0);
    child_ = 0;
    return status_;
  }

  void ExpectNothingBeside() const {
    EXPECT_EQ(Temporaries(config_), std::vector<std::string>{});
    EXPECT_EQ(Temporaries(picture_), std::vector<std::string>{});
  }

  const std::string folder_ = TempPath("run");
  const std::string config_ = folder_ + "/settings.cfg";
  const std::string picture_ = folder_ + "/last.png";
  const std::string marker_ = folder_ + "/paused";
  pid_t child_ = 0;
  int status_ = 0;
};

// At the fsync of the configuration's new file, written after the
// picture's: the signal removes both, every file stays as it was. At the
// rename of the configuration, the first file put in place: the signal
// waits until the picture is in place too. Either way the run ends by it.
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
      EXPECT_EQ(ReadFile(picture_).compare(1, 3, "PNG") == 0, atRename);
#endif
      ExpectNothingBeside();
    }
  }
}

// A limit that the small picture keeps within and the configuration's new
// file passes: exit status 1 with a message, and the picture written for
// the run is not put in place.
// Standard error without the lines a coverage build's runtime adds when the
// size limit stops it writing its counters at exit.
std::string WithoutCoverageLines(const std::string& text) {
  std::string kept;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    end = end == std::string::npos ? text.size() : end + 1;
    const std::string line = text.substr(start, end - start);
    if (line.rfind("libgcov profiling error:", 0) != 0) kept += line;
    start = end;
  }
  return kept;
}

TEST_F(InterruptedRun, OverTheSizeLimitFailsWithAMessage) {
  std::string large = kSaved;
  while (large.size() < 16384) large += "# a comment that makes the file large\n";
  WriteFile(config_, large);
  std::filesystem::remove(picture_);
  ASSERT_NO_FATAL_FAILURE(Start("none", 8192));
  const int status = Wait();
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 1);
  const std::string error = WithoutCoverageLines(ReadFile(folder_ + "/stderr"));
  const std::string prefix =
      "vantorel-sim: cannot write configuration file " + config_ + ": " + config_ + ".tmp.";
  EXPECT_EQ(error.rfind(prefix, 0), 0u) << error;
  EXPECT_NE(error.find(std::string(": ") + std::strerror(EFBIG) + "\n"), std::string::npos);
  EXPECT_EQ(ReadFile(config_), large);
  EXPECT_FALSE(Exists(picture_));
  ExpectNothingBeside();
}

// In-process, where SIGTERM has a handler already: the files library's
// removes the file of the replacement under way, leaves the one committed,
// and hands the signal on.
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
  files::FileReplacement interrupted, committed;
  ASSERT_TRUE(Succeeded(interrupted.Prepare(pending, "new")));
  ASSERT_TRUE(Succeeded(committed.Prepare(done, "new")));
  ASSERT_TRUE(Succeeded(committed.Commit()));
  ASSERT_EQ(Temporaries(pending).size(), 1u);
  raise(SIGTERM);
  EXPECT_EQ(received, SIGTERM);
  EXPECT_EQ(Temporaries(pending), std::vector<std::string>{});
  EXPECT_EQ(ReadFile(done), "new");
  for (int i = 0; i < 3; ++i) sigaction(saved[i], &before[i], nullptr);
}

}  // namespace
}  // namespace vantorel_test
