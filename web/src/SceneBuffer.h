#pragma once

// A scene as the page reads it: one block of 32-bit words, read in place
// from the module's memory, and the cars' owner names beside it.

#include <cstdint>
#include <string>
#include <vector>

#include "Picture.h"

namespace vantorel_web {

// Layout of the words, every point in canvas pixels as the host projected
// it (vantorel_sim::CaptureScene):
//   [0] canvas width  [1] canvas height  [2] cars  [3] 1 with a ball
//   [4] ball X  [5] ball Y  [6] drawing calls
//   then for each car:  X, Y, facing X, facing Y, team
//   then for each call: kind (0 colour, 1 line), red, green, blue, alpha,
//                       start X, start Y, end X, end Y, width (float bits)
// A car's facing point is where the host projects a point ahead of it;
// without one it is the car's own point.
class SceneBuffer {
 public:
  static constexpr int kHeader = 7;
  static constexpr int kCarWords = 5;
  static constexpr int kCallWords = 10;

  // `facing` holds a facing point for each car mark, or is null.
  void Fill(const vantorel_sim::Scene& scene, const std::vector<Vector2>* facing);

  const std::int32_t* words() const { return words_.data(); }
  // The owner names, one a line, in the cars' order.
  const std::string& names() const { return names_; }

 private:
  std::vector<std::int32_t> words_;
  std::string names_;
};

}  // namespace vantorel_web
