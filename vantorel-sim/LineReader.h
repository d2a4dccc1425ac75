#pragma once

// The first of the script reader's three parts: a script's bytes as lines.
// The grammar (Grammar.h) makes commands of them; the help (Help.h) says
// how they are written.

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "files/Status.h"

namespace vantorel_sim {

// Where a script's bytes come from, a chunk at a time: a file, standard
// input, or a test's text.
class ScriptInput {
 public:
  virtual ~ScriptInput() = default;
  // Reads up to `size` bytes into `buffer` and sets `*count` to how many
  // came; 0 at the end. A failure carries the system's message.
  virtual files::Status Read(char* buffer, std::size_t size, std::size_t* count) = 0;
};

// A stream opened elsewhere (files::OpenFile, standard input) as a
// script's input. Borrows the stream and does not close it.
class FileInput : public ScriptInput {
 public:
  explicit FileInput(std::FILE* file) : file_(file) {}
  files::Status Read(char* buffer, std::size_t size, std::size_t* count) override;

 private:
  std::FILE* file_;
};

// What a script may hold. A longer line or a larger script is a bad line,
// found as soon as the limit is passed, without reading further: an endless
// line or stream cannot fill the memory.
constexpr std::size_t kMaxLineBytes = std::size_t{64} << 10;    // without its line break
constexpr std::size_t kMaxScriptBytes = std::size_t{64} << 20;  // all of it

struct ScriptLimits {
  std::size_t lineBytes = kMaxLineBytes;
  std::size_t scriptBytes = kMaxScriptBytes;
};

// "line longer than 64 KiB": the bad line a line over `limit` bytes is.
std::string LineTooLong(std::size_t limit);

// Reads a script one line at a time, from an input as it arrives or from
// text, holding no more than one line of it: a byte-order mark before the
// first line is skipped, lines end at line feeds, a carriage return ending a
// line is dropped.
class LineReader {
 public:
  // Reads `input`, which it borrows. Tests may lower the limits.
  explicit LineReader(ScriptInput& input, ScriptLimits limits = ScriptLimits());
  // Reads `text`, which it borrows: it must outlive the reader.
  explicit LineReader(const std::string& text);
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  enum class Outcome {
    kLine,        // *line holds the next line, without its line break
    kEnd,         // the script ended
    kBadLine,     // a limit was passed; status() says which
    kReadFailed,  // the input failed; status() holds the system's message
  };
  Outcome Next(std::string* line);
  // The number of the line the last Next gave or found bad, from 1.
  int number() const { return number_; }
  const files::Status& status() const { return status_; }

  // From now on appends every line read, with a line feed, to `text`, so
  // that the script can be read again once its input is gone.
  void KeepText(std::string* text) { kept_ = text; }

 private:
  Outcome Take(std::string* line);
  Outcome TooLong();
  bool Refill();

  ScriptInput* input_ = nullptr;
  ScriptLimits limits_;
  std::vector<char> chunk_;     // the input's bytes not yet taken
  const char* data_ = nullptr;  // the bytes not yet taken: chunk_'s or the text's
  std::size_t size_ = 0;
  bool ended_ = false;          // nothing more to come
  std::size_t taken_ = 0;       // bytes taken into lines so far
  int number_ = 0;
  std::string* kept_ = nullptr;
  files::Status status_;
};

}  // namespace vantorel_sim
