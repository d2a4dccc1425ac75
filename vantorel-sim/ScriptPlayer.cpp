#include "ScriptPlayer.h"

#include "simhost/Format.h"

namespace vantorel_sim {

namespace {

constexpr Vector kBallAtRest{0.0f, 0.0f, 93.0f};

simhost::GameMode ToGameMode(ScriptGameMode mode) {
  switch (mode) {
    case ScriptGameMode::kOnline: return simhost::GameMode::kOnline;
    case ScriptGameMode::kNone: return simhost::GameMode::kNone;
    case ScriptGameMode::kHosted: break;
  }
  return simhost::GameMode::kHosted;
}

void ApplyCarFields(const CarFields& fields, simhost::SimCar* car) {
  if (fields.team) car->playerInfo.team = *fields.team;
  if (fields.location) car->location = *fields.location;
  if (fields.velocity) car->velocity = *fields.velocity;
  if (fields.angularVelocity) car->angularVelocity = *fields.angularVelocity;
  if (fields.rotation) car->rotation = *fields.rotation;
  if (fields.boost) car->boostComponent.amount = *fields.boost;
  if (fields.screen) car->screenPoint = *fields.screen;
  if (fields.clearScreen) car->screenPoint.reset();
  if (fields.noPlayerInfo) car->hasPlayerInfo = false;
  if (fields.noBoostComponent) car->hasBoostComponent = false;
}

void ApplyViewFields(const ViewFields& fields, simhost::SimActor* actor) {
  if (fields.location) actor->location = *fields.location;
  if (fields.velocity) actor->velocity = *fields.velocity;
  if (fields.rotation) actor->rotation = *fields.rotation;
}

}  // namespace

ScriptPlayer::ScriptPlayer(simhost::Host& host, Transcript& transcript, std::string pluginPath)
    : host_(host), transcript_(transcript), pluginPath_(std::move(pluginPath)) {
  // A script's match starts with the ball resting on the centre spot.
  host_.match().Edit()->ball.location = kBallAtRest;
}

ScriptPlayer::Result ScriptPlayer::Play(const Command& command, std::string* message) {
  switch (command.kind) {
    case CommandKind::kCar: return AddCar(command, message);
    case CommandKind::kSet: return ChangeCar(command, message);
    case CommandKind::kLocal: return SetLocal(command, message);
    case CommandKind::kPluginLoad: return LoadPlugin(message);
    case CommandKind::kPluginUnload: host_.UnloadPlugin(); break;
    case CommandKind::kVariable: return SetVariable(command, message);
    case CommandKind::kPress: return Press(command, message);
    case CommandKind::kFrame: DrawFrames(command.frames); break;
    case CommandKind::kMotion:
      motionStep_ = command.motionOn ? std::optional<float>(command.motionStep) : std::nullopt;
      break;
    case CommandKind::kShowCars: ShowCars(); break;
    case CommandKind::kShowVariables: ShowVariables(); break;
    default: ChangeMatch(command); break;
  }
  return Result::kPlayed;
}

// The commands that only set a field of the match: game, server, canvas,
// camera, ball, nullcar.
void ScriptPlayer::ChangeMatch(const Command& command) {
  const auto match = host_.match().Edit();
  switch (command.kind) {
    case CommandKind::kGame: match->mode = ToGameMode(command.mode); break;
    case CommandKind::kServer: match->serverNull = command.null; break;
    case CommandKind::kCanvas: match->canvasSize = command.canvas; break;
    case CommandKind::kCamera:
      match->hasCamera = !command.null;
      ApplyViewFields(command.view, &match->camera);
      if (command.view.fieldOfView) match->camera.fieldOfView = *command.view.fieldOfView;
      break;
    case CommandKind::kBall:
      match->hasBall = !command.null;
      ApplyViewFields(command.view, &match->ball);
      break;
    case CommandKind::kNullCar: match->AddNullCar(); break;
    default: break;
  }
}

ScriptPlayer::Result ScriptPlayer::AddCar(const Command& command, std::string* message) {
  const auto match = host_.match().Edit();
  if (match->FindCar(command.name) != nullptr) {
    *message = "there is a car named " + simhost::Shown(command.name) + " already";
    return Result::kBadLine;
  }
  simhost::SimCar& car = match->AddCar(command.name);
  ApplyCarFields(command.car, &car);
  if (command.car.local) MakeLocal(*match, &car);
  return Result::kPlayed;
}

ScriptPlayer::Result ScriptPlayer::ChangeCar(const Command& command, std::string* message) {
  simhost::SimCar* car = nullptr;
  if (FindCar(command.name, &car, message) != Result::kPlayed) return Result::kBadLine;
  const auto match = host_.match().Edit();
  ApplyCarFields(command.car, car);
  return Result::kPlayed;
}

ScriptPlayer::Result ScriptPlayer::SetLocal(const Command& command, std::string* message) {
  simhost::SimCar* car = nullptr;
  if (!command.name.empty() && FindCar(command.name, &car, message) != Result::kPlayed) {
    return Result::kBadLine;
  }
  MakeLocal(*host_.match().Edit(), car);
  return Result::kPlayed;
}

void ScriptPlayer::MakeLocal(simhost::MatchState& match, simhost::SimCar* car) {
  match.localCar = car;
  match.localController.car = car;
}

ScriptPlayer::Result ScriptPlayer::LoadPlugin(std::string* message) {
  if (host_.pluginLoaded()) {
    // A second onLoad would hook and draw a second time: one press would
    // swap twice.
    transcript_.OnHostMessage("plugin load refused: the plugin is already loaded");
    return Result::kPlayed;
  }
  std::string error;
  if (host_.LoadPlugin(pluginPath_, &error)) return Result::kPlayed;
  *message = error;
  return Result::kFailed;
}

ScriptPlayer::Result ScriptPlayer::SetVariable(const Command& command, std::string* message) {
  simhost::Variable* variable = host_.console().Find(command.name);
  if (variable == nullptr) {
    *message = "unknown command or console variable " + simhost::Shown(command.name);
    return Result::kBadLine;
  }
  if (command.valueCount != 1) {
    *message = "console variable " + simhost::Shown(command.name) +
               " takes exactly one value; the line gives " +
               (command.valueCount == 0 ? std::string("none")
                                        : std::to_string(command.valueCount));
    return Result::kBadLine;
  }
  // A value the console refuses is the host's to report, not a bad line.
  host_.console().Set(*variable, command.value);
  return Result::kPlayed;
}

ScriptPlayer::Result ScriptPlayer::Press(const Command& command, std::string* message) {
  simhost::SimCar* car = host_.match().Read()->localCar;
  if (!command.name.empty() && FindCar(command.name, &car, message) != Result::kPlayed) {
    return Result::kBadLine;
  }
  transcript_.Press(car != nullptr ? &car->owner : nullptr);
  host_.Press(car);
  return Result::kPlayed;
}

void ScriptPlayer::DrawFrames(std::int32_t count) {
  for (std::int32_t i = 0; i < count; ++i) {
    if (motionStep_) host_.match().Advance(*motionStep_);
    transcript_.Frame(++framesDrawn_);
    host_.Frame();
    if (eachFrameObserver_) eachFrameObserver_(frameSeconds());
  }
  if (count > 0 && frameObserver_) frameObserver_();
}

void ScriptPlayer::ShowCars() {
  const auto match = host_.match().Read();
  const auto& cars = match->cars();
  for (std::size_t i = 0; i < cars.size(); ++i) transcript_.Car(i, cars[i].get());
}

void ScriptPlayer::ShowVariables() {
  for (const auto& variable : host_.console().variables()) {
    transcript_.Variable(variable->name, variable->value);
  }
}

ScriptPlayer::Result ScriptPlayer::FindCar(const std::string& name, simhost::SimCar** car,
                                           std::string* message) {
  *car = host_.match().Read()->FindCar(name);
  if (*car != nullptr) return Result::kPlayed;
  *message = "no car named " + simhost::Shown(name);
  return Result::kBadLine;
}

}  // namespace vantorel_sim
