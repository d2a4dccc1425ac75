#pragma once

// Where each team-mate would be chosen: for each point of a grid over the
// field, the car the next press would choose if the ball stood there. The
// plugin itself answers, on a scratch copy of the match in a host of this
// map's own: every car carries a screen point of its own (its place in the
// list, across the canvas), the ball is moved to each point of the grid,
// one frame is drawn, and the tip of the marker the overlay draws names the
// car. Nothing here scores a car.
//
// The scratch host loads the plugin as any host does, so it must live in a
// program where no other host has it loaded (the page gives it a module
// instance of its own).

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "files/Status.h"
#include "simhost/Host.h"

namespace vantorel_web {

class ChoiceMap {
 public:
  // The grid: rows across the field's width (row 0 at +X, the top of the
  // page's view), columns along its length (column 0 at -Y).
  static constexpr int kRows = 52;
  static constexpr int kColumns = 64;
  static constexpr float kBallHeight = 93.0f;

  ChoiceMap() { Open(); }
  const files::Status& status() const { return status_; }

  // Takes the cars as LiveMatch::CarWords gives them: each car's team,
  // whether it has player information, its location and rotation, and
  // which car is the local player's. The copy is changed in place while
  // the list only grows; a shorter list, or a null entry where a car was,
  // makes the scratch match anew.
  void CopyMatch(const std::int32_t* words);
  // Sets a console variable of the scratch host, as typed; kept for a
  // scratch match made anew.
  void Set(const std::string& name, const std::string& value);

  // Fills cells [first, last) of `cells`, row by row, kColumns a row: the
  // list index of the car chosen with the ball at the cell's centre, -1
  // where the overlay draws no marker.
  void Fill(int first, int last, std::int32_t* cells);

  // The centre of a cell, where the ball is put.
  static Vector CellCentre(int row, int column);

 private:
  // A scratch host with the plugin loaded and its overlay on.
  void Open();
  // Whether the copy can take `words` in place.
  bool Takes(const std::int32_t* words);

  simhost::HostListener quiet_;
  std::unique_ptr<simhost::Host> host_;
  files::Status status_;
  std::vector<std::pair<std::string, std::string>> settings_;
};

}  // namespace vantorel_web
