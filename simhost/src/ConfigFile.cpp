#include "simhost/ConfigFile.h"

#include <optional>

#include "files/FileLock.h"
#include "files/Files.h"
#include "files/Interruption.h"
#include "files/Text.h"

namespace simhost {

namespace {

enum class LineKind { kSetting, kIgnored, kBad };

// Reads one line (without its line end) into `name` and `value`.
LineKind ParseLine(const std::string& text, std::string* name, std::string* value) {
  const std::string line = files::Trim(text);
  if (line.empty() || line[0] == '#' || line.compare(0, 2, "//") == 0) return LineKind::kIgnored;

  std::size_t i = 0;
  while (i < line.size() && !files::IsWhiteSpace(line[i]) && line[i] != '"') ++i;
  if (i == 0 || i == line.size() || !files::IsWhiteSpace(line[i])) return LineKind::kBad;
  *name = line.substr(0, i);
  while (i < line.size() && files::IsWhiteSpace(line[i])) ++i;
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

// How `line` ends: "\r\n", "\n", or "" for a last line without an end.
std::string LineEnd(const std::string& line) {
  if (line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0) return "\r\n";
  return !line.empty() && line.back() == '\n' ? "\n" : "";
}

// The mark a UTF-8 file may begin with, which Windows editors write.
constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

// What `text` says it is by the mark it begins with, when that is an
// encoding other than UTF-8; null for UTF-8 and unmarked text. UTF-32's
// little-endian mark begins with UTF-16's, so it is looked for first.
const char* OtherEncoding(const std::string& text) {
  static const struct {
    const char* mark;
    std::size_t size;
    const char* name;
  } kMarks[] = {{"\xFF\xFE\0\0", 4, "UTF-32 (little-endian)"},
                {"\0\0\xFE\xFF", 4, "UTF-32 (big-endian)"},
                {"\xFF\xFE", 2, "UTF-16 (little-endian)"},
                {"\xFE\xFF", 2, "UTF-16 (big-endian)"}};
  for (const auto& encoding : kMarks) {
    if (text.compare(0, encoding.size, encoding.mark, encoding.size) == 0) return encoding.name;
  }
  return nullptr;
}

// Reads `path` into `file`. A file in another encoding is refused rather
// than read as bad lines, and then saved with UTF-8 lines among its own.
files::Status Read(const std::string& path, ConfigFile* file) {
  std::optional<std::string> text;
  const files::Status status = files::ReadRegularFile(path, &text);
  if (!status.ok()) return status;
  if (const char* encoding = text ? OtherEncoding(*text) : nullptr) {
    return files::Status::Error("it is " + std::string(encoding) +
                                " text; save it as UTF-8");
  }
  *file = text ? ConfigFile(*text) : ConfigFile();
  return status;
}

// The lock file of the configuration file `target` (a path FollowLinks
// gave): beside the file itself, so that every path to it takes one lock.
std::string LockPath(const std::string& target) { return target + ".lock"; }

// `status`, a failure, with `what` (such as "cannot read") done to the
// configuration file at `path` before its message.
files::Status Failed(const char* what, const std::string& path, const files::Status& status) {
  return files::Status::Error(std::string(what) + " configuration file " + path + ": " +
                              status.message());
}

}  // namespace

// What a prepared update holds until it goes.
struct ConfigUpdate::State {
  files::FileLock lock;
  files::FileReplacement replacement;
  bool changed = false;  // whether `replacement` holds a new text
};

// Prepare's work, failing as the file helpers fail.
files::Status ConfigUpdate::EditUnderLock(const std::string& path,
                                          const std::function<void(ConfigFile*)>& edit,
                                          const files::WaitNotice& onWait) {
  std::string target;
  // Checked before the lock, whose file goes beside the target: nothing is
  // made beside a device.
  files::Status status = files::ReplaceableTarget(path, &target);
  if (!status.ok()) return status;
  status = state_->lock.Acquire(LockPath(target), onWait);
  if (!status.ok()) return status;
  // Read again under the lock: what other runs saved since this one loaded
  // the file stays.
  ConfigFile file;
  status = Read(target, &file);
  if (!status.ok()) return status;
  const std::string before = file.text();
  edit(&file);
  if (file.text() == before) return status;
  state_->changed = true;
  return state_->replacement.Prepare(target, file.text());
}

ConfigUpdate::ConfigUpdate() = default;
ConfigUpdate::~ConfigUpdate() = default;

files::Status ConfigUpdate::Prepare(const std::string& path,
                                    const std::function<void(ConfigFile*)>& edit,
                                    const files::WaitNotice& onWait) {
  path_ = path;
  state_ = std::make_unique<State>();
  const files::Status status = EditUnderLock(path, edit, onWait);
  if (status.ok()) return status;
  state_.reset();
  return Failed("cannot write", path, status);
}

files::Status ConfigUpdate::Commit() {
  if (!state_ || !state_->changed) return files::Status::Ok();
  state_->changed = false;
  const files::Status status = state_->replacement.Commit();
  return status.ok() ? status : Failed("cannot write", path_, status);
}

ConfigFile::ConfigFile(const std::string& text) {
  std::size_t start = 0;
  if (text.compare(0, sizeof kUtf8Mark - 1, kUtf8Mark) == 0) {
    mark_ = kUtf8Mark;
    start = mark_.size();
  }
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

files::Status ConfigFile::Load(const std::string& path, ConfigFile* file) {
  const files::Status status = Read(path, file);
  return status.ok() ? status : Failed("cannot read", path, status);
}

files::Status ConfigFile::CheckPath(const std::string& path) {
  std::string target;
  files::Status status = files::ReplaceableTarget(path, &target);
  if (status.ok()) status = files::FileLock::Check(LockPath(target));
  if (status.ok()) {
    ConfigFile file;
    status = Read(target, &file);
  }
  return status.ok() ? status : Failed("cannot use", path, status);
}

files::Status ConfigFile::Update(const std::string& path,
                                 const std::function<void(ConfigFile*)>& edit,
                                 const files::WaitNotice& onWait) {
  ConfigUpdate update;
  const files::Status prepared = update.Prepare(path, edit, onWait);
  return prepared.ok() ? update.Commit() : prepared;
}

const ConfigFile::Setting* ConfigFile::Find(const std::string& name) const {
  const auto found = index_.find(name);
  return found == index_.end() ? nullptr : &settings_[found->second];
}

void ConfigFile::Append(const std::string& name, const std::string& value) {
  std::string end = "\n";
  for (auto line = lines_.rbegin(); line != lines_.rend(); ++line) {
    if (!LineEnd(*line).empty()) {
      end = LineEnd(*line);
      break;
    }
  }
  if (!lines_.empty() && LineEnd(lines_.back()).empty()) lines_.back() += end;
  lines_.push_back(name + " " + Quote(value) + end);
  Take(name, value, static_cast<int>(lines_.size()));
}

void ConfigFile::Set(const std::string& name, const std::string& value) {
  const Setting* setting = Find(name);
  if (!setting) {
    Append(name, value);
    return;
  }
  const int number = setting->line;
  std::string& line = lines_[static_cast<std::size_t>(number - 1)];
  line = name + " " + Quote(value) + LineEnd(line);
  Take(name, value, number);
}

std::string ConfigFile::text() const {
  std::string text = mark_;
  for (const std::string& line : lines_) text += line;
  return text;
}

void ConfigFile::RemoveTemporariesOnInterruption() { files::RemoveTemporariesOnInterruption(); }

void ConfigFile::Take(const std::string& name, const std::string& value, int line) {
  const auto [entry, added] = index_.emplace(name, settings_.size());
  if (added) {
    settings_.push_back(Setting{name, value, line});
    return;
  }
  Setting& setting = settings_[entry->second];
  setting.value = value;
  setting.line = line;
}

}  // namespace simhost
