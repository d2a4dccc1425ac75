// Arbitrary bytes as a vantorel-sim script.

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "Grammar.h"
#include "Harness.h"
#include "ScriptPlayer.h"
#include "Transcript.h"
#include "simhost/Host.h"

namespace vantorel_fuzz {

namespace {

// However many frames a script asks for, it gets at most this many: a frame
// is the same work each time, and a fuzzer must not wait for two billion.
constexpr std::int32_t kFrameBudget = 64;

const char kByteOrderMark[] = "\xEF\xBB\xBF";

// The script's lines as the reader counts them: after a byte-order mark,
// split at line feeds, a final line feed ending the last line rather than
// starting another, a carriage return before a line feed dropped.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = text.compare(0, 3, kByteOrderMark) == 0 ? 3 : 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

}  // namespace

std::string PlayScript(const std::uint8_t* data, std::size_t size, const std::string& pluginPath) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> lines = Lines(text);
  // What went wrong, and where.
  const auto failure = [&](const std::string& what, int line) {
    return what + ": line " + std::to_string(line) + " of a script of " +
           std::to_string(lines.size()) + " lines";
  };

  using vantorel_sim::CommandReader;
  vantorel_sim::LineReader reader(text);
  CommandReader commandReader(reader);
  std::vector<std::pair<int, vantorel_sim::Command>> commands;  // with their lines' numbers
  vantorel_sim::Command command;
  CommandReader::Outcome outcome;
  while ((outcome = commandReader.Next(&command)) == CommandReader::Outcome::kCommand) {
    const int line = commandReader.line();
    if ((!commands.empty() && line <= commands.back().first) ||
        static_cast<std::size_t>(line) > lines.size()) {
      return failure("a command numbered out of order or outside the script", line);
    }
    commands.emplace_back(line, std::move(command));
  }
  if (outcome != CommandReader::Outcome::kEnd) {
    const int line = commandReader.line();
    if (line < 1 || static_cast<std::size_t>(line) > lines.size()) {
      return failure("a bad line reported outside the script", line);
    }
    if (commandReader.status().message().empty()) {
      return failure("a bad line without a message", line);
    }
    // The line named is what stopped the script: read alone, it is bad too.
    std::optional<vantorel_sim::Command> alone;
    if (vantorel_sim::ReadCommand(lines[static_cast<std::size_t>(line) - 1], &alone).ok()) {
      return failure("a bad line that reads well alone", line);
    }
    return std::string();
  }

  vantorel_sim::Transcript nowhere(nullptr);
  simhost::Host host(nowhere);
  vantorel_sim::ScriptPlayer player(host, nowhere, pluginPath);
  const files::Status loaded = host.LoadPlugin(pluginPath);
  if (!loaded.ok()) return "the plugin module did not load: " + loaded.message();

  std::int32_t framesLeft = kFrameBudget;
  for (auto& [line, each] : commands) {
    if (auto* frame = std::get_if<vantorel_sim::command::Frame>(&each)) {
      frame->count = std::min(frame->count, framesLeft);
      framesLeft -= frame->count;
    }
    const vantorel_sim::ScriptPlayer::Result result = player.Play(each);
    const std::string& message = result.status.message();
    if (result.outcome == vantorel_sim::ScriptPlayer::Outcome::kBadLine) {
      if (message.empty()) return failure("a bad line without a message", line);
      break;  // where vantorel-sim stops
    }
    if (result.outcome == vantorel_sim::ScriptPlayer::Outcome::kFailed) {
      return failure("a command failed: " + message, line);
    }
  }
  return std::string();
}

}  // namespace vantorel_fuzz
