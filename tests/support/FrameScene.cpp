#include "FrameScene.h"

#include <cstdint>
#include <string>
#include <utility>

#include "Paths.h"
#include "PluginSettings.h"
#include "simhost/Match.h"

namespace vantorel_test {

namespace {

// A fixed sequence, so that every run and every machine draws the same
// frames.
class Lcg {
 public:
  std::uint32_t Next() {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<std::uint32_t>(state_ >> 33);
  }
  // A float in [low, high).
  float Between(float low, float high) {
    return low + (high - low) * static_cast<float>(Next() % 65536) / 65536.0f;
  }

 private:
  std::uint64_t state_ = 0x5eed;
};

}  // namespace

const char* ModeName(Mode mode) { return mode == Mode::kBestCar ? "best" : "seq"; }

FrameScene::FrameScene(Mode mode, int cars, simhost::Locking locking)
    : host_(listener_, locking) {
  PlaceMatch(mode, cars);
  const files::Status loaded = host_.LoadPlugin(PluginModule());
  if (!loaded.ok()) {
    error_ = loaded.message().empty() ? std::string("cannot load ") + PluginModule()
                                      : loaded.message();
    return;
  }
  Set(NameOf(&VantorelPlugin::renderEnabled), "1");
  if (mode == Mode::kSequential) {
    Set(NameOf(&VantorelPlugin::sequentialSwap), "1");
    Set(NameOf(&VantorelPlugin::enabled), "1");
    Press();
  }
}

void FrameScene::PlaceMatch(Mode mode, int cars) {
  const auto match = host_.match().Edit();
  // From 5000 units behind the cars' box, a 90-degree view holds every car:
  // none is more than 2000 units off the axis, at 5000 to 9000 units ahead.
  match->camera.location = Vector{-5000.0f, 0.0f, 500.0f};
  match->camera.rotation = Rotator{};
  match->camera.fieldOfView = 90.0f;
  match->ball.location = Vector{2000.0f, 0.0f, 93.0f};

  Lcg random;
  for (int i = 0; i < cars; ++i) {
    simhost::SimCar& car = match->AddCar("car" + std::to_string(i));
    car.location = Vector{random.Between(0.0f, 4000.0f), random.Between(-2000.0f, 2000.0f), 17.0f};
    car.rotation = Rotator{0, static_cast<std::int32_t>(random.Next() % 65536), 0};
    const bool localTeam = mode == Mode::kBestCar ? i == 0 || i % 2 == 1 : i <= 1;
    car.playerInfo.team = localTeam ? 0 : 1;
  }
  if (cars > 0) {
    localCar_ = match->cars().front().get();
    match->localCar = localCar_;
    match->localController.car = localCar_;
  }
}

void FrameScene::Set(const std::string& name, const std::string& value) {
  simhost::Variable* variable = host_.console().Find(name);
  if (variable == nullptr) {
    error_ = "no console variable " + name;
  } else if (!host_.console().Set(*variable, value)) {
    error_ = "refused: " + name + " " + value;
  }
}

bool FrameScene::DrewMarker() const {
  using Kind = simhost::DrawCall::Kind;
  const auto& calls = host_.lastFrame();
  return calls.size() == 4 && calls[0].kind == Kind::kColor && calls[1].kind == Kind::kLine &&
         calls[2].kind == Kind::kLine && calls[3].kind == Kind::kLine;
}

void FrameScene::ReplaceDrawable(GameWrapper::Drawable drawable) {
  // onUnload takes the plugin's hook and drawable off the host but leaves the
  // plugin's session, and so its GameWrapper, in place.
  host_.plugin()->onUnload();
  game().RegisterDrawable(std::move(drawable));
}

GameWrapper& FrameScene::game() { return *host_.plugin()->gameWrapper; }

}  // namespace vantorel_test
