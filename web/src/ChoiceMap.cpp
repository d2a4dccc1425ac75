#include "ChoiceMap.h"

#include <cstring>

#include "Driving.h"
#include "LinkedPlugin.h"

namespace vantorel_web {

namespace {

// The scratch canvas: car I is projected to (I, kScreenRow). The overlay's
// tip stands at most 80 pixels above a car, and must lie on the canvas.
constexpr std::int32_t kScreenRow = 100;

float FloatOf(std::int32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

}  // namespace

void ChoiceMap::Open() {
  host_.reset();
  host_ = std::make_unique<simhost::Host>(quiet_, simhost::Locking::kUnlocked);
  status_ = host_->LoadPlugin(kPluginFile);
  for (const char* name : {"vantorel_render_enable", "vantorel_render_next"}) {
    simhost::Variable* variable = host_->console().Find(name);
    if (variable != nullptr) host_->console().Set(*variable, "1");
  }
  for (const auto& [name, value] : settings_) {
    simhost::Variable* variable = host_->console().Find(name);
    if (variable != nullptr) host_->console().Set(*variable, value);
  }
}

void ChoiceMap::Set(const std::string& name, const std::string& value) {
  auto kept = settings_.begin();
  while (kept != settings_.end() && kept->first != name) ++kept;
  if (kept == settings_.end()) kept = settings_.insert(kept, {name, value});
  kept->second = value;
  simhost::Variable* variable = host_->console().Find(name);
  if (variable != nullptr) host_->console().Set(*variable, value);
}

bool ChoiceMap::Takes(const std::int32_t* words) {
  const auto match = host_->match().Read();
  const auto& cars = match->cars();
  if (static_cast<std::size_t>(words[0]) < cars.size()) return false;
  for (std::size_t i = 0; i < cars.size(); ++i) {
    if ((cars[i] == nullptr) != (words[2 + 8 * i] == 0)) return false;
  }
  return true;
}

void ChoiceMap::CopyMatch(const std::int32_t* words) {
  if (!Takes(words)) Open();
  const auto match = host_->match().Edit();
  const std::int32_t count = words[0];
  match->canvasSize = Vector2{count + 1, 2 * kScreenRow};
  match->localCar = nullptr;
  for (std::int32_t i = 0; i < count; ++i) {
    const std::int32_t* car = words + 2 + 8 * i;
    const bool known = static_cast<std::size_t>(i) < match->cars().size();
    if (car[0] == 0) {
      if (!known) match->AddNullCar();
      continue;
    }
    simhost::SimCar& copy = known ? *match->cars()[i] : match->AddCar("car" + std::to_string(i));
    copy.hasPlayerInfo = (car[0] & 2) != 0;
    copy.playerInfo.team = static_cast<std::uint8_t>(car[1]);
    copy.location = Vector{FloatOf(car[2]), FloatOf(car[3]), FloatOf(car[4])};
    copy.rotation = Rotator{car[5], car[6], car[7]};
    copy.screenPoint = Vector2{i, kScreenRow};
    if (i == words[1]) match->localCar = &copy;
  }
  match->localController.car = match->localCar;
}

void ChoiceMap::Fill(int first, int last, std::int32_t* cells) {
  using Kind = simhost::DrawCall::Kind;
  for (int cell = first; cell < last; ++cell) {
    host_->match().Edit()->ball.location = CellCentre(cell / kColumns, cell % kColumns);
    host_->Frame();
    const auto& drawn = host_->lastFrame();
    // The marker: a colour, then the line from its left corner to its tip.
    const bool marker = drawn.size() >= 2 && drawn[1].kind == Kind::kLine;
    cells[cell] = marker ? drawn[1].end.X : -1;
  }
}

Vector ChoiceMap::CellCentre(int row, int column) {
  const float across = 2 * kHalfWidth / kRows;
  const float along = 2 * kHalfLength / kColumns;
  return Vector{kHalfWidth - (row + 0.5f) * across, -kHalfLength + (column + 0.5f) * along,
                kBallHeight};
}

}  // namespace vantorel_web
