// vantorel-sim run in-process, as RunProgram runs it for main.cpp: every
// case file in cases/ (the format is cases/README.md), and every example
// against the transcript checked in beside it.

#include "Program.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "Animation.h"
#include "MemoryStreams.h"
#include "Paths.h"
#include "Picture.h"
#include "ScriptPlayerFixture.h"
#include "TestFiles.h"
#include "files/FileLock.h"
#include "files/Files.h"

#ifdef VANTOREL_HAVE_CAIRO
#include <cairo.h>
#endif
#ifdef VANTOREL_HAVE_WEBP
#include <webp/demux.h>
#endif

namespace vantorel_sim {
namespace {

namespace fs = std::filesystem;
using vantorel_test::MemoryStreams;
using vantorel_test::ReadFile;

// A case as its file gives it; for an example, a case made on the spot.
struct CaseSource {
  std::string name;  // as GoogleTest names it
  std::string text;
};

std::vector<CaseSource> AllCases() {
  std::vector<CaseSource> cases;
  const auto add = [&](std::string name, std::string text) {
    std::replace_if(
        name.begin(), name.end(), [](unsigned char c) { return !std::isalnum(c); }, '_');
    cases.push_back({name, std::move(text)});
  };
  for (const auto& entry : fs::directory_iterator(VANTOREL_SIM_CASES)) {
    const fs::path& path = entry.path();
    if (path.extension() == ".case") add(path.stem().string(), ReadFile(path.string()));
  }
  for (const auto& entry : fs::directory_iterator(VANTOREL_EXAMPLES)) {
    const std::string example = entry.path().stem().string();
    if (entry.path().extension() != ".scn") continue;
    add("example." + example, "args: {examples}/" + example + ".scn\nstdout: {examples}/" +
                                  example + ".out\n");
  }
  std::sort(cases.begin(), cases.end(),
            [](const CaseSource& a, const CaseSource& b) { return a.name < b.name; });
  return cases;
}

// `text` with the placeholders replaced, escaped for a regular expression
// when `inRegex`.
std::string Expand(std::string text, const std::string& work, bool inRegex) {
  const fs::path plugin = vantorel_test::PluginModule();
  const std::pair<std::string, std::string> places[] = {
      {"{examples}", VANTOREL_EXAMPLES},          {"{data}", VANTOREL_SIM_DATA},
      {"{work}", work},                           {"{plugin-dir}", plugin.parent_path().string()},
      {"{plugin-file}", plugin.filename().string()}};
  for (const auto& [name, value] : places) {
    const std::string shown =
        inRegex ? std::regex_replace(value, std::regex(R"([\\^$.|?*+()\[\]{}])"), R"(\$&)")
                : value;
    for (std::size_t at; (at = text.find(name)) != std::string::npos;) {
      text.replace(at, name.size(), shown);
    }
  }
  std::smatch repeat;
  while (std::regex_search(text, repeat, std::regex(R"(\{repeat:(\d+):([^}]*)\})"))) {
    std::string copies;
    for (int i = std::stoi(repeat[1]); i > 0; --i) copies += repeat[2];
    text.replace(repeat.position(0), repeat.length(0), copies);
  }
  return text;
}

// `text` with each \xHH as the byte it names.
std::string Unescaped(const std::string& text) {
  std::string bytes;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool escape = text.compare(i, 2, "\\x") == 0 && i + 3 < text.size();
    bytes += escape ? static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16)) : text[i];
    if (escape) i += 3;
  }
  return bytes;
}

bool Holds(const std::string& requirement) {
#ifdef _WIN32
  const bool windows = true;
#else
  const bool windows = false;
#endif
  const bool animations = MissingForAnimations().empty();
  return (requirement == "pictures" && PicturesSupported()) ||
         (requirement == "no-pictures" && !PicturesSupported()) ||
         (requirement == "animations" && animations) ||
         (requirement == "no-animations" && !animations) ||
         (requirement == "posix" && !windows) || (requirement == "windows" && windows);
}

// What a picture or an animation file measures: "WxH" for a PNG (read with
// Cairo), "WxHxFRAMES" for a WebP (libwebp's demuxer), "none" for no file.
std::string Measures(const std::string& path) {
  if (!fs::exists(path)) return "none";
#ifdef VANTOREL_HAVE_CAIRO
  std::string extension = fs::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  if (extension == ".png") {
    cairo_surface_t* png = cairo_image_surface_create_from_png(path.c_str());
    const std::string size = std::to_string(cairo_image_surface_get_width(png)) + "x" +
                             std::to_string(cairo_image_surface_get_height(png));
    cairo_surface_destroy(png);
    return size;
  }
#endif
#ifdef VANTOREL_HAVE_WEBP
  const std::string bytes = ReadFile(path);
  const WebPData data{reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
  if (WebPDemuxer* demux = WebPDemux(&data)) {
    std::string size;
    for (auto feature : {WEBP_FF_CANVAS_WIDTH, WEBP_FF_CANVAS_HEIGHT, WEBP_FF_FRAME_COUNT}) {
      size += (size.empty() ? "" : "x") + std::to_string(WebPDemuxGetI(demux, feature));
    }
    WebPDemuxDelete(demux);
    return size;
  }
#endif
  return "unreadable";
}

// The current folder changed for one run, and changed back.
class InFolder {
 public:
  explicit InFolder(const std::string& folder) : before_(fs::current_path()) {
    if (!folder.empty()) fs::current_path(folder);
  }
  ~InFolder() { fs::current_path(before_); }

 private:
  fs::path before_;
};

class ProgramTest : public ::testing::TestWithParam<CaseSource> {};

// Reads the case line by line, making what the run starts with as it goes
// and keeping what to check once it has run.
TEST_P(ProgramTest, Case) {
  const std::string work = vantorel_test::TempPath("work");
  fs::remove_all(work);
  fs::create_directories(work);
  std::vector<std::string> args{"vantorel-sim"};
  std::string dir, stdoutFile, stderrPattern;
  std::vector<std::string> stdoutPatterns;
  int status = 0;
  MemoryStreams streams;
  std::vector<std::pair<std::string, std::string>> files;  // path, lines
  std::vector<std::function<void()>> checks;
  std::istringstream lines(GetParam().text);
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == '|') {
      files.back().second += Unescaped(Expand(line.substr(std::min<std::size_t>(2, line.size())),
                                              work, false)) + "\n";
      continue;
    }
    const std::size_t colon = line.find(": ");
    ASSERT_NE(colon, std::string::npos) << line;
    const std::string key = line.substr(0, colon);
    const std::string value = Expand(line.substr(colon + 2), work, false);
    std::string first, second;
    std::istringstream(value) >> first >> second;
    std::istringstream words(value);
    if (key == "requires") {
      for (std::string word; words >> word;) {
        if (!Holds(word)) GTEST_SKIP() << "not in this build: " << word;
      }
    } else if (key == "args") {
      for (std::string word; words >> word;) args.push_back(Unescaped(word));
    } else if (key == "dir") {
      dir = value;
    } else if (key == "stdin") {
      streams.input_ = vantorel_test::TextInput(ReadFile(value));
    } else if (key == "stdout-fails") {
      streams.outputFails = true;
    } else if (key == "stderr-terminal") {
      streams.errorIsTerminal = true;
    } else if (key == "folder") {
      fs::create_directories(value);
    } else if (key == "link") {
      fs::create_symlink(second, first);
    } else if (key == "file") {
      files.emplace_back(value, "");
    } else if (key == "seed" || key == "keeps") {
      vantorel_test::WriteFile(first, ReadFile(second));
      if (key == "keeps") checks.push_back([=] { EXPECT_EQ(ReadFile(first), ReadFile(second)); });
    } else if (key == "written") {
      checks.push_back([=] { EXPECT_EQ(ReadFile(first), ReadFile(second)) << first; });
    } else if (key == "picture" || key == "animation") {
      checks.push_back([=] { EXPECT_EQ(Measures(first), second) << first; });
    } else if (key == "status") {
      status = std::stoi(value);
    } else if (key == "stdout") {
      stdoutFile = value;
    } else if (key == "stdout-matches") {
      stdoutPatterns.push_back(Expand(line.substr(colon + 2), work, true));
    } else if (key == "stderr") {
      stderrPattern = Expand(line.substr(colon + 2), work, true);
    } else {
      FAIL() << "unknown key " << key;
    }
  }
  for (const auto& [path, content] : files) vantorel_test::WriteFile(path, content);

  {
    const InFolder in(dir);
    EXPECT_EQ(RunProgram(args, streams), status) << streams.err;
  }
  if (!stdoutFile.empty() || stdoutPatterns.empty()) {
    EXPECT_EQ(streams.out, stdoutFile.empty() ? "" : ReadFile(stdoutFile));
  }
  for (const std::string& pattern : stdoutPatterns) {
    EXPECT_TRUE(std::regex_search(streams.out, std::regex(pattern))) << pattern;
  }
  if (stderrPattern.empty()) {
    EXPECT_EQ(streams.err, "");
  } else {
    // One message, one line.
    const std::string& err = streams.err;
    EXPECT_TRUE(!err.empty() && err.find('\n') == err.size() - 1) << err;
    EXPECT_TRUE(std::regex_search(streams.err.substr(0, streams.err.find('\n')),
                                  std::regex(stderrPattern)))
        << streams.err << "does not match " << stderrPattern;
  }
  for (const auto& check : checks) check();
}

INSTANTIATE_TEST_SUITE_P(Cases, ProgramTest, ::testing::ValuesIn(AllCases()),
                         [](const auto& info) { return info.param.name; });

// A save that must wait for another run's lock says so once, on standard
// error (which tells here when it is first written to), and saves when the
// lock is let go.
TEST(ProgramLockTest, AWaitForTheLockIsToldOnce) {
  struct WatchedStreams : MemoryStreams {
    void WriteError(const std::string& text) override {
      if (err.empty()) firstError.set_value();
      MemoryStreams::WriteError(text);
    }
    std::promise<void> firstError;
  } streams;
  const std::string data = VANTOREL_SIM_DATA;
  const std::string config = vantorel_test::TempPath("kept.cfg");
  vantorel_test::WriteFile(config, ReadFile(data + "/saved.cfg"));
  std::string target;
  ASSERT_TRUE(files::FollowLinks(config, &target).ok());
  auto otherRun = std::make_unique<files::FileLock>();
  ASSERT_TRUE(otherRun->Acquire(target + ".lock").ok());

  std::future<void> told = streams.firstError.get_future();
  int status = -1;
  std::thread run([&] {
    status = RunProgram({"vantorel-sim", "--config", config, data + "/config-save.scn"}, streams);
  });
  const bool waited = told.wait_for(std::chrono::seconds(60)) == std::future_status::ready;
  otherRun.reset();
  run.join();
  EXPECT_TRUE(waited);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(streams.err, "vantorel-sim: waiting for the lock on " + config + "\n");
  EXPECT_EQ(ReadFile(config), ReadFile(data + "/config-saved.cfg"));
}

}  // namespace
}  // namespace vantorel_sim
