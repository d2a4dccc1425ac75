#pragma once

#include <optional>
#include <string>
#include <utility>

namespace files {

// What an operation that may fail reports: success, or a message that says
// what failed and where (the file, the line, the option), ready to show a
// user. The one error convention of the host and the program: a function
// that can fail returns a Status and hands its results back through
// parameters. A plain value; copying it copies the message.
class [[nodiscard]] Status {
 public:
  // Success.
  Status() = default;
  static Status Ok() { return Status(); }
  // A failure, with the message that describes it.
  static Status Error(std::string message) { return Status(std::move(message)); }

  bool ok() const { return !message_.has_value(); }
  // The failure's message; empty for success.
  const std::string& message() const {
    static const std::string kNone;
    return message_ ? *message_ : kNone;
  }

 private:
  explicit Status(std::string message) : message_(std::move(message)) {}

  std::optional<std::string> message_;
};

}  // namespace files
