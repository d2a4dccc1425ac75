// The shading's scratch host (web/src/ChoiceMap.h): the overlay's answer
// for each point of the grid, against the geometry it must come to.

#include "ChoiceMap.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "LinkedPlugin.h"

namespace vantorel_web {

// Natively the scratch host loads the module the build made.
const char kPluginFile[] = VANTOREL_PLUGIN_PATH;

namespace {

struct Car {
  std::int32_t team;
  Vector location;
  std::int32_t yaw;
};

// The words LiveMatch::CarWords gives for `cars`, car `local` the local
// player's (-1: none).
std::vector<std::int32_t> Words(const std::vector<Car>& cars, std::int32_t local) {
  std::vector<std::int32_t> words{static_cast<std::int32_t>(cars.size()), local};
  for (const Car& car : cars) {
    std::int32_t bits[3];
    std::memcpy(bits, &car.location, sizeof bits);
    words.insert(words.end(), {3, car.team, bits[0], bits[1], bits[2], 0, car.yaw, 0});
  }
  return words;
}

std::vector<std::int32_t> Grid(ChoiceMap& map) {
  std::vector<std::int32_t> cells(ChoiceMap::kRows * ChoiceMap::kColumns);
  map.Fill(0, static_cast<int>(cells.size()), cells.data());
  return cells;
}

double Distance(const Vector& a, const Vector& b) {
  return std::hypot(a.X - b.X, a.Y - b.Y, a.Z - b.Z);
}

// Ava, the local player, two team-mates and an opponent between them.
const std::vector<Car> kMatch = {{0, {0, -4000, 17}, 16384},
                                 {0, {-2000, -1000, 17}, 0},
                                 {0, {2000, 2500, 17}, -16384},
                                 {1, {0, 0, 17}, 0}};

TEST(ChoiceMapTest, ByDistanceAloneEachPointGoesToTheNearerTeamMate) {
  ChoiceMap map;
  ASSERT_TRUE(map.status().ok()) << map.status().message();
  map.CopyMatch(Words(kMatch, 0).data());
  map.Set("vantorel_swap_distanceweight", "1");
  const std::vector<std::int32_t> cells = Grid(map);
  int checked = 0;
  for (int cell = 0; cell < static_cast<int>(cells.size()); ++cell) {
    const Vector ball = ChoiceMap::CellCentre(cell / ChoiceMap::kColumns,
                                              cell % ChoiceMap::kColumns);
    const double toBo = Distance(ball, kMatch[1].location);
    const double toCy = Distance(ball, kMatch[2].location);
    if (std::fabs(toBo - toCy) < 50) continue;  // too near the boundary to call
    ASSERT_EQ(cells[cell], toBo < toCy ? 1 : 2) << "cell " << cell;
    ++checked;
  }
  EXPECT_GT(checked, 3000);
}

TEST(ChoiceMapTest, TheWeightMovesTheChoiceAndWithoutALocalCarNothingIsChosen) {
  ChoiceMap map;
  map.CopyMatch(Words(kMatch, 0).data());
  map.Set("vantorel_swap_distanceweight", "1");
  const std::vector<std::int32_t> byDistance = Grid(map);
  map.Set("vantorel_swap_distanceweight", "0");
  EXPECT_NE(Grid(map), byDistance);

  map.CopyMatch(Words(kMatch, -1).data());
  for (const std::int32_t cell : Grid(map)) ASSERT_EQ(cell, -1);
}

}  // namespace
}  // namespace vantorel_web
