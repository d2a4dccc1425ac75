#include "Options.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "files/SameFile.h"
#include "files/Text.h"

namespace vantorel_sim {

namespace {

using files::Status;

// What TakeValue found at the argument it looked at.
enum class OptionValue {
  kNotThisOption,  // another option: nothing taken
  kTaken,          // the option and its value
  kMissingValue,   // the option, last of the arguments, without its value
};

// Takes the value of the option `name` when args[*i] is that option, given
// as `--name VALUE` or `--name=VALUE`; *i moves past the value.
OptionValue TakeValue(const std::vector<std::string>& args, std::size_t* i,
                      const std::string& name, std::string* value) {
  const std::string& arg = args[*i];
  if (arg == name) {
    if (*i + 1 >= args.size()) return OptionValue::kMissingValue;
    *value = args[++*i];
    return OptionValue::kTaken;
  }
  if (arg.compare(0, name.size() + 1, name + "=") == 0) {
    *value = arg.substr(name.size() + 1);
    return OptionValue::kTaken;
  }
  return OptionValue::kNotThisOption;
}

// Takes one of the options that name a path, when args[*i] is one: *taken
// says whether it was. An empty path is no path: it would quietly mean the
// default. A path given twice is refused rather than one of them dropped:
// the run would write or read a file the user did not mean.
Status TakePathOption(const std::vector<std::string>& args, std::size_t* i,
                      ProgramOptions* options, bool* taken) {
  for (auto [name, path] : {std::pair{"--plugin", &options->plugin},
                            std::pair{"--config", &options->config},
                            std::pair{"--picture", &options->picture},
                            std::pair{"--animation", &options->animation}}) {
    const std::string before = *path;
    const OptionValue value = TakeValue(args, i, name, path);
    if (value == OptionValue::kNotThisOption) continue;
    *taken = true;
    if (value == OptionValue::kMissingValue || path->empty()) {
      return Status::Error(std::string(name) + " needs a path");
    }
    if (!before.empty()) {
      return Status::Error(std::string(name) + " given twice (" + files::Shown(before) +
                           " and " + files::Shown(*path) + "): give it once");
    }
    return Status::Ok();
  }
  *taken = false;
  return Status::Ok();
}

bool EndsWithIgnoringCase(const std::string& text, const std::string& ending) {
  if (text.size() < ending.size()) return false;
  const std::string end = text.substr(text.size() - ending.size());
  return std::equal(end.begin(), end.end(), ending.begin(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == b;
  });
}

// A file named for one format and holding another is opened wrongly, or not
// at all, by whatever goes by its name.
Status CheckFormat(const std::string& option, const std::string& path, const char* format,
                   const std::string& extension) {
  if (path.empty() || EndsWithIgnoringCase(path, extension)) return Status::Ok();
  // The path whole, not Shown's beginning of it: its end is the point.
  return Status::Error(option + " writes " + format + ": \"" + path + "\" does not end in " +
                       extension);
}

}  // namespace

Status ParseOptions(const std::vector<std::string>& args, ProgramOptions* options) {
  bool onlyFiles = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!onlyFiles && arg.size() > 1 && arg[0] == '-') {
      if (arg == "--") {
        onlyFiles = true;
        continue;
      }
      if (arg == "--help" || arg == "-h") {
        options->help = true;
        continue;
      }
      bool taken = false;
      const Status status = TakePathOption(args, &i, options, &taken);
      if (!status.ok()) return status;
      if (taken) continue;
      return Status::Error("unknown option " + files::Shown(arg) + " (see --help)");
    }
    if (options->script) {
      return Status::Error("more than one script given: " + files::Shown(*options->script) +
                           " and " + files::Shown(arg));
    }
    options->script = arg;
  }
  const Status status = CheckFormat("--picture", options->picture, "PNG", ".png");
  if (!status.ok()) return status;
  return CheckFormat("--animation", options->animation, "WebP", ".webp");
}

Status CheckRoles(const ProgramOptions& options) {
  std::vector<std::pair<std::string, std::string>> roles;
  if (options.script && !options.ReadsStandardInput()) {
    roles.emplace_back("the script", *options.script);
  }
  roles.emplace_back("--plugin", options.plugin);
  if (!options.config.empty()) roles.emplace_back("--config", options.config);
  if (!options.picture.empty()) roles.emplace_back("--picture", options.picture);
  if (!options.animation.empty()) roles.emplace_back("--animation", options.animation);
  for (std::size_t i = 0; i < roles.size(); ++i) {
    for (std::size_t j = i + 1; j < roles.size(); ++j) {
      if (!files::SameFile(roles[i].second, roles[j].second)) continue;
      return Status::Error(roles[i].first + " " + files::Shown(roles[i].second) + " and " +
                           roles[j].first + " " + files::Shown(roles[j].second) +
                           " are one file: each needs a path of its own");
    }
  }
  return Status::Ok();
}

}  // namespace vantorel_sim
