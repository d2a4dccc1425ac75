// vantorel-sim: plays a scripted match on the simulated host with the plugin
// loaded, and prints what happens. The program is the library's (Program.h).

#include "Platform.h"
#include "Program.h"

int main(int argc, char** argv) {
  vantorel_sim::ProcessStreams streams;
  return vantorel_sim::RunProgram(vantorel_sim::Arguments(argc, argv), streams);
}
