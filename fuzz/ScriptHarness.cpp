// Arbitrary bytes as a vantorel-sim script.

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "Harness.h"
#include "simhost/Host.h"
#include "ScriptPlayer.h"
#include "ScriptReader.h"
#include "Transcript.h"

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

  std::vector<vantorel_sim::Command> commands;
  vantorel_sim::ScriptError bad;
  if (!vantorel_sim::ReadScript(text, &commands, &bad)) {
    if (bad.line < 1 || static_cast<std::size_t>(bad.line) > lines.size()) {
      return failure("a bad line reported outside the script", bad.line);
    }
    if (bad.message.empty()) return failure("a bad line without a message", bad.line);
    // The line named is what stopped the script: read alone, it is bad too.
    std::optional<vantorel_sim::Command> alone;
    std::string message;
    if (vantorel_sim::ReadLine(lines[static_cast<std::size_t>(bad.line) - 1], bad.line, &alone, &message)) {
      return failure("a bad line that reads well alone", bad.line);
    }
    return std::string();
  }
  int previous = 0;
  for (const vantorel_sim::Command& command : commands) {
    if (command.line <= previous || static_cast<std::size_t>(command.line) > lines.size()) {
      return failure("a command numbered out of order or outside the script", command.line);
    }
    previous = command.line;
  }

  vantorel_sim::Transcript nowhere(nullptr);
  simhost::Host host(nowhere);
  vantorel_sim::ScriptPlayer player(host, nowhere, pluginPath);
  const files::Status loaded = host.LoadPlugin(pluginPath);
  if (!loaded.ok()) return "the plugin module did not load: " + loaded.message();

  std::int32_t framesLeft = kFrameBudget;
  for (vantorel_sim::Command command : commands) {
    if (command.kind == vantorel_sim::CommandKind::kFrame) {
      command.frames = std::min(command.frames, framesLeft);
      framesLeft -= command.frames;
    }
    std::string message;
    const vantorel_sim::ScriptPlayer::Result result = player.Play(command, &message);
    if (result == vantorel_sim::ScriptPlayer::Result::kBadLine) {
      if (message.empty()) return failure("a bad line without a message", command.line);
      break;  // where vantorel-sim stops
    }
    if (result == vantorel_sim::ScriptPlayer::Result::kFailed) {
      return failure("a command failed: " + message, command.line);
    }
  }
  return std::string();
}

}  // namespace vantorel_fuzz
