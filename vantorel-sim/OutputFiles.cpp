#include "OutputFiles.h"

#include "files/Files.h"
#include "files/Interruption.h"

namespace vantorel_sim {

namespace {

files::Status Refuse(const std::string& what, const std::string& path,
                     const std::string& problem) {
  return files::Status::Error("cannot write " + what + " " + path + ": " + problem);
}

// Writes `output` beside its file, through the links at the end of its path.
files::Status Prepare(const Output& output, files::FileReplacement* replacement) {
  std::string target;
  files::Status status = files::FollowLinks(output.path, &target);
  if (status.ok()) status = replacement->Prepare(target, output.content);
  return status.ok() ? status : Refuse(output.what, output.path, status.message());
}

}  // namespace

files::Status CheckOutput(const std::string& path, const std::string& what) {
  std::string target;
  const files::Status status = files::ReplaceableTarget(path, &target);
  return status.ok() ? status : Refuse(what, path, status.message());
}

files::Status PictureOutput(const Scene& scene, const std::string& path, Output* output) {
  *output = Output{path, "the picture", std::string()};
  const files::Status painted = PaintPicture(scene, &output->content);
  return painted.ok() ? painted : Refuse(output->what, path, painted.message());
}

files::Status SaveOutputs(simhost::Console& console, const std::string& configPath,
                          const std::vector<Output>& outputs, const files::WaitNotice& onWait) {
  // Made in place, never moved: each owns its prepared file until the end.
  std::vector<files::FileReplacement> replacements(outputs.size());
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    const files::Status prepared = Prepare(outputs[i], &replacements[i]);
    if (!prepared.ok()) return prepared;
  }
  simhost::ConfigUpdate config;
  if (!configPath.empty()) {
    const files::Status prepared = console.PrepareSave(configPath, onWait, &config);
    if (!prepared.ok()) return prepared;
  }
  // Every file in place, or, when an interruption comes, none: it waits
  // until the last rename is done.
  const files::InterruptionsHeld held;
  const files::Status saved = config.Commit();
  if (!saved.ok()) return saved;
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    const files::Status committed = replacements[i].Commit();
    if (!committed.ok()) return Refuse(outputs[i].what, outputs[i].path, committed.message());
  }
  return files::Status::Ok();
}

}  // namespace vantorel_sim
