#pragma once

// The second of the script reader's three parts: the grammar, which reads
// one line (LineReader.h gives them) as one command (Command.h). How the
// language is described to users is Help.h's.

#include <optional>
#include <string>
#include <vector>

#include "Command.h"
#include "LineReader.h"
#include "files/Status.h"

namespace vantorel_sim {

// Reads one line, without its line break, into `command`. A blank or
// comment line gives no command. A failure says what is wrong with the line
// (also when it is longer than kMaxLineBytes).
files::Status ReadCommand(const std::string& line, std::optional<Command>* command);

// The words of a script line, which blanks (spaces and tabs) separate.
std::vector<std::string> SplitWords(const std::string& text);

// A script's lines read as commands, stopping at the first bad line.
// Borrows the line reader, which must outlive it.
class CommandReader {
 public:
  explicit CommandReader(LineReader& lines) : lines_(lines) {}
  CommandReader(const CommandReader&) = delete;
  CommandReader& operator=(const CommandReader&) = delete;

  enum class Outcome {
    kCommand,     // *command holds the next command
    kEnd,         // the script ended
    kBadLine,     // line() is bad; status() says why
    kReadFailed,  // the input failed; status() holds the system's message
  };
  Outcome Next(Command* command);
  // The number of the line the last command or bad line came from.
  int line() const { return lines_.number(); }
  const files::Status& status() const { return status_; }

 private:
  LineReader& lines_;
  std::string text_;  // the line being read
  files::Status status_;
};

}  // namespace vantorel_sim
