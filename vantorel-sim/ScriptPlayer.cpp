#include "ScriptPlayer.h"

#include <utility>

#include "files/Text.h"

namespace vantorel_sim {

namespace {

using Result = ScriptPlayer::Result;
using Outcome = ScriptPlayer::Outcome;

constexpr Vector kBallAtRest{0.0f, 0.0f, 93.0f};

Result Played() { return Result(); }
Result BadLine(std::string message) {
  return Result{Outcome::kBadLine, files::Status::Error(std::move(message))};
}

void ApplyCarFields(const CarFields& fields, simhost::SimCar* car) {
  if (fields.team) car->playerInfo.team = *fields.team;
  if (fields.location) car->location = *fields.location;
  if (fields.velocity) car->velocity = *fields.velocity;
  if (fields.angularVelocity) car->angularVelocity = *fields.angularVelocity;
  if (fields.rotation) car->rotation = *fields.rotation;
  if (fields.boost) car->boostComponent.amount = *fields.boost;
  if (fields.screen) car->screenPoint = *fields.screen;
}

}  // namespace

ScriptPlayer::ScriptPlayer(simhost::Host& host, Transcript& transcript, std::string pluginPath)
    : host_(host), transcript_(transcript), pluginPath_(std::move(pluginPath)) {
  // A script's match starts with the ball resting on the centre spot.
  host_.match().Edit()->ball.location = kBallAtRest;
}

Result ScriptPlayer::Play(const Command& command) {
  return std::visit([this](const auto& each) { return Apply(each); }, command);
}

Result ScriptPlayer::Apply(const command::Game& game) {
  host_.match().Edit()->mode = game.mode;
  return Played();
}

Result ScriptPlayer::Apply(const command::Server& server) {
  host_.match().Edit()->serverNull = server.null;
  return Played();
}

Result ScriptPlayer::Apply(const command::Canvas& canvas) {
  host_.match().Edit()->canvasSize = canvas.size;
  return Played();
}

Result ScriptPlayer::Apply(const command::Camera& camera) {
  const auto match = host_.match().Edit();
  match->hasCamera = !camera.null;
  if (camera.location) match->camera.location = *camera.location;
  if (camera.rotation) match->camera.rotation = *camera.rotation;
  if (camera.fieldOfView) match->camera.fieldOfView = *camera.fieldOfView;
  return Played();
}

Result ScriptPlayer::Apply(const command::Ball& ball) {
  const auto match = host_.match().Edit();
  match->hasBall = !ball.null;
  if (ball.location) match->ball.location = *ball.location;
  if (ball.velocity) match->ball.velocity = *ball.velocity;
  return Played();
}

Result ScriptPlayer::Apply(const command::Car& car) {
  const auto match = host_.match().Edit();
  if (match->FindCar(car.name) != nullptr) {
    return BadLine("there is a car named " + files::Shown(car.name) + " already");
  }
  simhost::SimCar& added = match->AddCar(car.name);
  ApplyCarFields(car.fields, &added);
  if (car.noPlayerInfo) added.hasPlayerInfo = false;
  if (car.noBoostComponent) added.hasBoostComponent = false;
  if (car.local) MakeLocal(*match, &added);
  return Played();
}

Result ScriptPlayer::Apply(const command::Set& set) {
  simhost::SimCar* car = nullptr;
  const Result found = FindCar(set.name, &car);
  if (found.outcome != Outcome::kPlayed) return found;
  const auto match = host_.match().Edit();
  ApplyCarFields(set.fields, car);
  if (set.clearScreen) car->screenPoint.reset();
  return Played();
}

Result ScriptPlayer::Apply(const command::NullCar&) {
  host_.match().Edit()->AddNullCar();
  return Played();
}

Result ScriptPlayer::Apply(const command::Local& local) {
  simhost::SimCar* car = nullptr;
  if (local.name) {
    const Result found = FindCar(*local.name, &car);
    if (found.outcome != Outcome::kPlayed) return found;
  }
  MakeLocal(*host_.match().Edit(), car);
  return Played();
}

void ScriptPlayer::MakeLocal(simhost::MatchState& match, simhost::SimCar* car) {
  match.localCar = car;
  match.localController.car = car;
}

Result ScriptPlayer::Apply(const command::PluginLoad&) {
  if (host_.pluginLoaded()) {
    // A second onLoad would hook and draw a second time: one press would
    // swap twice.
    transcript_.OnHostMessage("plugin load refused: the plugin is already loaded");
    return Played();
  }
  files::Status loaded = host_.LoadPlugin(pluginPath_);
  if (loaded.ok()) return Played();
  return Result{Outcome::kFailed, std::move(loaded)};
}

Result ScriptPlayer::Apply(const command::PluginUnload&) {
  // Told, as a second load is: a script that unloads what it never loaded
  // is not doing what its writer thinks.
  if (!host_.pluginLoaded()) {
    transcript_.OnHostMessage("plugin unload refused: no plugin is loaded");
    return Played();
  }
  host_.UnloadPlugin();
  return Played();
}

Result ScriptPlayer::Apply(const command::Variable& variable) {
  simhost::Variable* registered = host_.console().Find(variable.name);
  if (registered == nullptr) {
    return BadLine("unknown command or console variable " + files::Shown(variable.name));
  }
  const std::size_t count = variable.values.size();
  if (count != 1) {
    return BadLine("console variable " + files::Shown(variable.name) +
                   " takes exactly one value; the line gives " +
                   (count == 0 ? std::string("none") : std::to_string(count)));
  }
  // A value the console refuses is the host's to report, not a bad line.
  host_.console().Set(*registered, variable.values[0]);
  return Played();
}

Result ScriptPlayer::Apply(const command::Press& press) {
  simhost::SimCar* car = host_.match().Read()->localCar;
  if (press.name) {
    const Result found = FindCar(*press.name, &car);
    if (found.outcome != Outcome::kPlayed) return found;
  }
  transcript_.Press(car != nullptr ? &car->owner : nullptr);
  host_.Press(car);
  return Played();
}

Result ScriptPlayer::Apply(const command::Frame& frame) {
  for (std::int32_t i = 0; i < frame.count; ++i) {
    if (framesDrawn_ >= drawingLimit_) {
      framesDrawn_ += frame.count - i;
      break;
    }
    if (motionStep_) host_.match().Advance(*motionStep_);
    transcript_.Frame(++framesDrawn_);
    host_.Frame();
    if (eachFrameObserver_) eachFrameObserver_(frameSeconds());
  }
  if (frame.count > 0 && frameObserver_) frameObserver_();
  return Played();
}

Result ScriptPlayer::Apply(const command::Motion& motion) {
  motionStep_ = motion.step;
  return Played();
}

Result ScriptPlayer::Apply(const command::ShowCars&) {
  const auto match = host_.match().Read();
  const auto& cars = match->cars();
  for (std::size_t i = 0; i < cars.size(); ++i) transcript_.Car(i, cars[i].get());
  return Played();
}

Result ScriptPlayer::Apply(const command::ShowVariables&) {
  for (const auto& variable : host_.console().variables()) {
    transcript_.Variable(variable->name, variable->value);
  }
  return Played();
}

Result ScriptPlayer::FindCar(const std::string& name, simhost::SimCar** car) {
  *car = host_.match().Read()->FindCar(name);
  if (*car != nullptr) return Played();
  return BadLine("no car named " + files::Shown(name));
}

}  // namespace vantorel_sim
