#pragma once

// The bodies of the fuzz targets, apart from libFuzzer, so that the inputs
// the fuzzers keep (the seed corpora and every input that once broke
// something) are replayed by the normal test suite as well.
//
// Each plays one input on a fresh simulated host with the plugin module at
// `pluginPath` loaded, and returns what went wrong: empty when every check
// held. A crash, a hang, a leak or undefined behaviour is the sanitizers' to
// report.

#include <cstddef>
#include <cstdint>
#include <string>

namespace vantorel_fuzz {

// Reads arbitrary bytes as a script and plays it as vantorel-sim does, the
// output going nowhere. Checks that a bad line is reported with a line
// number the script has, and one that is bad on its own too. Frames are
// capped, so that "frame 2000000000" costs no more than a few.
std::string PlayScript(const std::uint8_t* data, std::size_t size, const std::string& pluginPath);

// Builds a match from arbitrary bytes (null entries, cars without player
// information or boost, any floats and rotations, screen points at the ends
// of the 32-bit range, any console value for any setting) and runs presses,
// frames and changes on it, checking after each step:
//   - a setting's slot stays within its bounds, and a refused value leaves
//     it and the variable alone with one host message;
//   - a press stores an index within the car list or none; an index it
//     refuses was -1 after a failure line, or 0 for an empty list;
//   - a swap exchanges exactly the two cars' quantities, bit for bit, as
//     the settings say, and changes no other car;
//   - a frame changes nothing, logs at most one failure line, and draws
//     nothing or one yellow colour call and three lines of a triangle whose
//     tip lies on the canvas, over the car the next press would choose, and
//     draws it whenever that tip lies on the canvas with the overlay on;
//   - a frame with motion on (any dt) first moves every car and the ball by
//     velocity * dt, bit for bit, and changes nothing else.
std::string PlayMatch(const std::uint8_t* data, std::size_t size, const std::string& pluginPath);

}  // namespace vantorel_fuzz
