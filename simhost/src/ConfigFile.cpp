#include "simhost/ConfigFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "Blanks.h"
#include "simhost/Files.h"

namespace simhost {

namespace {

enum class LineKind { kSetting, kIgnored, kBad };

// Reads one line (without its line end) into `name` and `value`.
LineKind ParseLine(const std::string& text, std::string* name, std::string* value) {
  const std::string line = Trim(text);
  if (line.empty() || line[0] == '#' || line.compare(0, 2, "//") == 0) return LineKind::kIgnored;

  std::size_t i = 0;
  while (i < line.size() && !IsBlank(line[i]) && line[i] != '"') ++i;
  if (i == 0 || i == line.size() || !IsBlank(line[i])) return LineKind::kBad;
  *name = line.substr(0, i);
  while (i < line.size() && IsBlank(line[i])) ++i;
  if (i == line.size() || line[i] != '"') return LineKind::kBad;
  ++i;
  value->clear();
  while (i < line.size() && line[i] != '"') {
    if (line[i] == '\\' && i + 1 < line.size() && (line[i + 1] == '"' || line[i + 1] == '\\')) {
      ++i;
    }
    *value += line[i];
    ++i;
  }
  if (i == line.size()) return LineKind::kBad;  // no closing quote
  ++i;
  // The line was trimmed: nothing may follow the closing quote.
  return i == line.size() ? LineKind::kSetting : LineKind::kBad;
}

std::string Quote(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

}  // namespace

ConfigFile::ConfigFile(const std::string& text) {
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    end = end == std::string::npos ? text.size() : end + 1;
    lines_.push_back(text.substr(start, end - start));
    start = end;

    std::string line = lines_.back();
    if (!line.empty() && line.back() == '\n') line.pop_back();
    const int number = static_cast<int>(lines_.size());
    std::string name;
    std::string value;
    switch (ParseLine(line, &name, &value)) {
      case LineKind::kSetting:
        Take(name, value, number);
        break;
      case LineKind::kBad:
        badLines_.push_back(number);
        break;
      case LineKind::kIgnored:
        break;
    }
  }
}

bool ConfigFile::Load(const std::string& path, ConfigFile* file, std::string* error) {
  std::FILE* stream = OpenFile(path, "rb");
  if (!stream) {
    if (errno == ENOENT) {
      *file = ConfigFile();
      return true;
    }
    if (error) *error = "cannot read configuration file " + path + ": " + std::strerror(errno);
    return false;
  }
  std::string text;
  std::string readError;
  const bool read = ReadAll(stream, &text, &readError);
  std::fclose(stream);
  if (!read) {
    if (error) *error = "cannot read configuration file " + path + ": " + readError;
    return false;
  }
  *file = ConfigFile(text);
  return true;
}

bool ConfigFile::Save(const std::string& path, std::string* error) const {
  const std::string content = text();
  // Written beside the target under a fixed name, then renamed over it.
  const std::string temporary = path + ".tmp";
  const auto fail = [&](const std::string& what) {
    if (error) *error = "cannot write configuration file " + path + ": " + what;
    return false;
  };
  std::FILE* stream = OpenFile(temporary, "wb");
  if (!stream) return fail(temporary + ": " + std::strerror(errno));
  const bool written = std::fwrite(content.data(), 1, content.size(), stream) == content.size();
  const bool flushed = written && FlushToDisk(stream);
  const int writeErrno = errno;
  const bool closed = std::fclose(stream) == 0;
  if (!written || !flushed || !closed) {
    RemoveFile(temporary);
    return fail(temporary + ": " + std::strerror(writeErrno ? writeErrno : EIO));
  }
  std::string renameError;
  if (!RenameReplacing(temporary, path, &renameError)) {
    RemoveFile(temporary);
    return fail(renameError);
  }
  return true;
}

const ConfigFile::Setting* ConfigFile::Find(const std::string& name) const {
  for (const Setting& setting : settings_) {
    if (setting.name == name) return &setting;
  }
  return nullptr;
}

void ConfigFile::Append(const std::string& name, const std::string& value) {
  if (!lines_.empty() && lines_.back().back() != '\n') lines_.back() += '\n';
  lines_.push_back(name + " " + Quote(value) + "\n");
  Take(name, value, static_cast<int>(lines_.size()));
}

std::string ConfigFile::text() const {
  std::string text;
  for (const std::string& line : lines_) text += line;
  return text;
}

void ConfigFile::Take(const std::string& name, const std::string& value, int line) {
  for (Setting& setting : settings_) {
    if (setting.name == name) {
      setting.value = value;
      setting.line = line;
      return;
    }
  }
  settings_.push_back(Setting{name, value, line});
}

}  // namespace simhost
