#include "LineReader.h"

#include <cerrno>
#include <cstring>

namespace vantorel_sim {

namespace {

const char kByteOrderMark[] = "\xEF\xBB\xBF";

// "64 KiB", "64 MiB", or a count of bytes.
std::string Amount(std::size_t bytes) {
  if (bytes != 0 && bytes % (std::size_t{1} << 20) == 0) {
    return std::to_string(bytes >> 20) + " MiB";
  }
  if (bytes != 0 && bytes % 1024 == 0) return std::to_string(bytes >> 10) + " KiB";
  return std::to_string(bytes) + " bytes";
}

}  // namespace

files::Status FileInput::Read(char* buffer, std::size_t size, std::size_t* count) {
  *count = std::fread(buffer, 1, size, file_);
  if (*count == 0 && std::ferror(file_)) return files::Status::Error(std::strerror(errno));
  return files::Status::Ok();
}

std::string LineTooLong(std::size_t limit) { return "line longer than " + Amount(limit); }

LineReader::LineReader(ScriptInput& input, ScriptLimits limits)
    : input_(&input), limits_(limits) {}

LineReader::LineReader(const std::string& text)
    : data_(text.data()), size_(text.size()), ended_(true) {}

LineReader::Outcome LineReader::Next(std::string* line) {
  const Outcome outcome = Take(line);
  if (outcome == Outcome::kLine && kept_ != nullptr) {
    kept_->append(*line);
    kept_->push_back('\n');
  }
  return outcome;
}

LineReader::Outcome LineReader::Take(std::string* line) {
  line->clear();
  bool started = false;  // whether any byte of this line has come
  for (;;) {
    if (size_ == 0 && !Refill()) {
      if (!status_.ok()) return Outcome::kReadFailed;
      if (!started) return Outcome::kEnd;
      ++number_;
      break;  // the last line, without a line break
    }
    if (taken_ == 0 && size_ >= 3 && std::memcmp(data_, kByteOrderMark, 3) == 0) {
      // A byte-order mark, as some editors write, is not part of the first line.
      data_ += 3;
      size_ -= 3;
      taken_ += 3;
      if (size_ == 0) continue;
    }
    started = true;
    const auto* newline = static_cast<const char*>(std::memchr(data_, '\n', size_));
    const std::size_t count =
        newline != nullptr ? static_cast<std::size_t>(newline - data_) : size_;
    const std::size_t ending = newline != nullptr ? 1 : 0;
    // Limits are checked before the bytes are kept: one byte past a limit
    // ends the reading. One byte more than a line holds may be the
    // carriage return before its line feed.
    if (taken_ + count + ending > limits_.scriptBytes) {
      ++number_;
      status_ = files::Status::Error("script larger than " + Amount(limits_.scriptBytes));
      return Outcome::kBadLine;
    }
    if (line->size() + count > limits_.lineBytes + 1) {
      ++number_;
      return TooLong();
    }
    line->append(data_, count);
    taken_ += count + ending;
    data_ += count + ending;
    size_ -= count + ending;
    if (newline != nullptr) {
      ++number_;
      break;
    }
  }
  if (!line->empty() && line->back() == '\r') line->pop_back();
  return line->size() > limits_.lineBytes ? TooLong() : Outcome::kLine;
}

LineReader::Outcome LineReader::TooLong() {
  status_ = files::Status::Error(LineTooLong(limits_.lineBytes));
  return Outcome::kBadLine;
}

bool LineReader::Refill() {
  if (ended_) return false;
  constexpr std::size_t kChunkBytes = std::size_t{64} << 10;
  chunk_.resize(kChunkBytes);
  std::size_t count = 0;
  status_ = input_->Read(chunk_.data(), chunk_.size(), &count);
  if (count == 0) {
    ended_ = true;
    return false;
  }
  data_ = chunk_.data();
  size_ = count;
  return true;
}

}  // namespace vantorel_sim
