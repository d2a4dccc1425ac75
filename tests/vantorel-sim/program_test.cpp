// vantorel-sim run in-process, as RunProgram runs it for main.cpp: every
// case file in cases/ (the format is cases/README.md), and every example
// against the transcript checked in beside it.

#include "Program.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "Animation.h"
#include "Paths.h"
#include "Picture.h"
#include "ScriptPlayerFixture.h"
#include "TestFiles.h"

#ifdef VANTOREL_HAVE_CAIRO
#include <cairo.h>
#endif
#ifdef VANTOREL_HAVE_WEBP
#include <webp/demux.h>
#endif

namespace vantorel_sim {
namespace {

namespace fs = std::filesystem;
using vantorel_test::ReadFile;

// The program's standard streams, in memory.
class MemoryStreams : public ProgramStreams {
 public:
  MemoryStreams(std::string input, bool outputFails)
      : input_(std::move(input)), outputFails_(outputFails) {}

  ScriptInput& input() override { return input_; }
  void Write(const std::string& text) override { out += text; }
  bool Flush() override { return !outputFails_; }
  void WriteError(const std::string& text) override { err += text; }

  std::string out;
  std::string err;

 private:
  vantorel_test::TextInput input_;
  bool outputFails_;
};

// A case as its file gives it; for an example, a case made on the spot.
struct CaseSource {
  std::string name;  // as GoogleTest names it
  std::string text;
};

std::string TestName(std::string name) {
  std::replace_if(
      name.begin(), name.end(), [](unsigned char c) { return !std::isalnum(c); }, '_');
  return name;
}

std::vector<CaseSource> AllCases() {
  std::vector<CaseSource> cases;
  for (const auto& entry : fs::directory_iterator(VANTOREL_SIM_CASES)) {
    if (entry.path().extension() != ".case") continue;
    cases.push_back({TestName(entry.path().stem().string()), ReadFile(entry.path().string())});
  }
  for (const auto& entry : fs::directory_iterator(VANTOREL_EXAMPLES)) {
    if (entry.path().extension() != ".scn") continue;
    const std::string example = entry.path().stem().string();
    cases.push_back({TestName("example." + example), "args: {examples}/" + example +
                                                         ".scn\nstdout: {examples}/" + example +
                                                         ".out\n"});
  }
  std::sort(cases.begin(), cases.end(),
            [](const CaseSource& a, const CaseSource& b) { return a.name < b.name; });
  return cases;
}

std::string RegexEscaped(const std::string& text) {
  std::string escaped;
  for (const char c : text) {
    if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos) escaped += '\\';
    escaped += c;
  }
  return escaped;
}

// `text` with the placeholders replaced, escaped for a regular expression
// when `inRegex`.
std::string Expand(std::string text, const std::string& work, bool inRegex) {
  const std::string plugin = vantorel_test::PluginModule();
  const std::pair<std::string, std::string> places[] = {
      {"{examples}", VANTOREL_EXAMPLES},
      {"{data}", VANTOREL_SIM_DATA},
      {"{work}", work},
      {"{plugin-dir}", fs::path(plugin).parent_path().string()},
      {"{plugin-file}", fs::path(plugin).filename().string()}};
  for (const auto& [name, value] : places) {
    for (std::size_t at; (at = text.find(name)) != std::string::npos;) {
      text.replace(at, name.size(), inRegex ? RegexEscaped(value) : value);
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
    if (text.compare(i, 2, "\\x") == 0 && i + 3 < text.size()) {
      bytes += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16));
      i += 3;
    } else {
      bytes += text[i];
    }
  }
  return bytes;
}

// A case, its placeholders replaced.
struct Case {
  std::vector<std::string> requires;
  std::vector<std::string> args{"vantorel-sim"};
  std::string dir;
  std::string input;
  bool outputFails = false;
  std::vector<std::string> folders;
  std::vector<std::pair<std::string, std::string>> files;   // path, content
  std::vector<std::pair<std::string, std::string>> seeds;   // path, the file it starts as
  std::vector<std::pair<std::string, std::string>> writes;  // path, the file it ends as
  std::vector<std::pair<std::string, std::string>> made;    // path, its measures or "none"
  int status = 0;
  std::optional<std::string> output;  // what standard output must be
  std::vector<std::string> outputMatches;  // or what it must match
  std::string error;  // a regular expression; empty: nothing on standard error
};

std::pair<std::string, std::string> TwoWords(const std::string& value) {
  std::istringstream words(value);
  std::pair<std::string, std::string> two;
  words >> two.first >> two.second;
  return two;
}

Case Parse(const std::string& text, const std::string& work) {
  Case c;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == '|') {
      c.files.back().second += Unescaped(Expand(line.substr(line.size() > 1 ? 2 : 1), work,
                                                false)) + "\n";
      continue;
    }
    const std::size_t colon = line.find(": ");
    const std::string key = line.substr(0, colon);
    const std::string raw = colon == std::string::npos ? "" : line.substr(colon + 2);
    const std::string value = Expand(raw, work, false);
    std::istringstream words(value);
    if (key == "requires") {
      for (std::string word; words >> word;) c.requires.push_back(word);
    } else if (key == "args") {
      for (std::string word; words >> word;) c.args.push_back(Unescaped(word));
    } else if (key == "dir") {
      c.dir = value;
    } else if (key == "stdin") {
      c.input = ReadFile(value);
    } else if (key == "stdout-fails") {
      c.outputFails = true;
    } else if (key == "folder") {
      c.folders.push_back(value);
    } else if (key == "file") {
      c.files.emplace_back(value, "");
    } else if (key == "seed" || key == "keeps") {
      c.seeds.push_back(TwoWords(value));
      if (key == "keeps") c.writes.push_back(TwoWords(value));
    } else if (key == "written") {
      c.writes.push_back(TwoWords(value));
    } else if (key == "picture" || key == "animation") {
      c.made.push_back(TwoWords(value));
    } else if (key == "status") {
      c.status = std::stoi(value);
    } else if (key == "stdout") {
      c.output = ReadFile(value);
    } else if (key == "stdout-matches") {
      c.outputMatches.push_back(Expand(raw, work, true));
    } else if (key == "stderr") {
      c.error = Expand(raw, work, true);
    } else {
      ADD_FAILURE() << "unknown key " << key;
    }
  }
  return c;
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
  const std::string bytes = ReadFile(path);
#ifdef VANTOREL_HAVE_CAIRO
  if (fs::path(path).extension() == ".png") {
    cairo_surface_t* png = cairo_image_surface_create_from_png(path.c_str());
    const std::string size = std::to_string(cairo_image_surface_get_width(png)) + "x" +
                             std::to_string(cairo_image_surface_get_height(png));
    cairo_surface_destroy(png);
    return size;
  }
#endif
#ifdef VANTOREL_HAVE_WEBP
  const WebPData data{reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
  if (WebPDemuxer* demux = WebPDemux(&data)) {
    std::string size;
    for (WebPFormatFeature feature : {WEBP_FF_CANVAS_WIDTH, WEBP_FF_CANVAS_HEIGHT,
                                      WEBP_FF_FRAME_COUNT}) {
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

TEST_P(ProgramTest, Case) {
  const std::string work = vantorel_test::TempPath("work");
  fs::remove_all(work);
  fs::create_directories(work);
  const Case c = Parse(GetParam().text, work);
  for (const std::string& requirement : c.requires) {
    if (!Holds(requirement)) GTEST_SKIP() << "not in this build: " << requirement;
  }
  for (const std::string& folder : c.folders) fs::create_directories(folder);
  for (const auto& [path, content] : c.files) vantorel_test::WriteFile(path, content);
  for (const auto& [path, from] : c.seeds) vantorel_test::WriteFile(path, ReadFile(from));

  MemoryStreams streams(c.input, c.outputFails);
  int status = 0;
  {
    const InFolder in(c.dir);
    status = RunProgram(c.args, streams);
  }

  EXPECT_EQ(status, c.status) << streams.err;
  if (c.output || c.outputMatches.empty()) {
    EXPECT_EQ(streams.out, c.output.value_or(""));
  }
  for (const std::string& pattern : c.outputMatches) {
    EXPECT_TRUE(std::regex_search(streams.out, std::regex(pattern))) << pattern;
  }
  if (c.error.empty()) {
    EXPECT_EQ(streams.err, "");
  } else {
    // One message, one line.
    ASSERT_FALSE(streams.err.empty());
    EXPECT_EQ(streams.err.find('\n'), streams.err.size() - 1) << streams.err;
    EXPECT_TRUE(std::regex_search(streams.err.substr(0, streams.err.size() - 1),
                                  std::regex(c.error)))
        << streams.err << "does not match " << c.error;
  }
  for (const auto& [path, expected] : c.writes) EXPECT_EQ(ReadFile(path), ReadFile(expected));
  for (const auto& [path, measures] : c.made) EXPECT_EQ(Measures(path), measures) << path;
}

INSTANTIATE_TEST_SUITE_P(Cases, ProgramTest, ::testing::ValuesIn(AllCases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace vantorel_sim
