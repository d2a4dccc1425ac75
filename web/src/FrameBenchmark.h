#pragma once

// What one frame of the host with the plugin's overlay costs in this build:
// the match vantorel-bench times natively (tests/support's FrameScene,
// best-car mode), timed here, so that the two figures can stand side by
// side.

namespace vantorel_web {

// Nanoseconds per frame of a match of `cars` cars, over `frames` frames
// after one untimed frame; negative when the match could not be set up.
double TimeFrames(int cars, int frames);

}  // namespace vantorel_web
