// vantorel-sim: plays a scripted match on the simulated host with the plugin
// loaded, and prints what happens. The program is the library's (Program.h).

#include "Platform.h"
#include "Program.h"
#include "files/Interruption.h"
#include "simhost/ConfigFile.h"

int main(int argc, char** argv) {
  // An interrupted run removes the files it was writing: its own (the
  // picture, the animation) and the host library's (the configuration
  // file), each module's by its own handler. The process's business, not
  // RunProgram's, which tests call in-process.
  files::RemoveTemporariesOnInterruption();
  simhost::ConfigFile::RemoveTemporariesOnInterruption();
  vantorel_sim::ProcessStreams streams;
  return vantorel_sim::RunProgram(vantorel_sim::Arguments(argc, argv), streams);
}
