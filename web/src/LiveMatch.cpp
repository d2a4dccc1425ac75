#include "LiveMatch.h"

#include <cstdio>
#include <cstring>
#include <optional>

#include "Facing.h"
#include "FreePlayScript.h"
#include "Grammar.h"
#include "LinkedPlugin.h"
#include "PageFiles.h"
#include "Picture.h"
#include "Transcript.h"
#include "files/Files.h"
#include "files/Text.h"
#include "simhost/ConfigFile.h"
#include "simhost/Projection.h"

namespace vantorel_web {

namespace {

using files::FormatFloat;
using vantorel_sim::FormatPoint;
using vantorel_sim::FormatRotator;
using vantorel_sim::FormatVector;

constexpr char kConfigPath[] = "/vantorel.cfg";
constexpr float kStepSeconds = 1.0f / 60.0f;
// How far ahead of a car its facing point stands.
constexpr float kFacingReach = 320.0f;

bool IsDrawing(const std::string& line) {
  return line.compare(0, 7, "[frame]") == 0 || line.compare(0, 6, "[draw]") == 0;
}

std::string Json(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      quoted += escaped;
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

const char* KindOf(const simhost::Variable& variable) {
  if (variable.bindings.empty()) return "text";
  static const char* const kKinds[] = {"bool", "int", "float"};
  return kKinds[variable.bindings.front().slot.index()];
}

std::uint32_t Bits(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// The script line that adds `car` as it stands.
std::string CarLine(const simhost::SimCar& car, bool local) {
  std::string line = "car " + car.owner + " team=" + std::to_string(car.playerInfo.team) +
                     " loc=" + FormatVector(car.location) + " vel=" + FormatVector(car.velocity) +
                     " angvel=" + FormatVector(car.angularVelocity) +
                     " rot=" + FormatRotator(car.rotation) +
                     " boost=" + FormatFloat(car.boostComponent.amount);
  if (car.screenPoint) {
    line += " screen=" + FormatPoint(*car.screenPoint);
  }
  if (local) line += " local";
  if (!car.hasPlayerInfo) line += " nopri";
  if (!car.hasBoostComponent) line += " noboost";
  return line;
}

// A fixed sequence for the places of added cars.
std::uint32_t Scrambled(std::uint32_t n) {
  n ^= n >> 16;
  n *= 0x7feb352dU;
  n ^= n >> 15;
  n *= 0x846ca68bU;
  return n ^ (n >> 16);
}

}  // namespace

void ConsoleLines::Line(const std::string& text) {
  if (!showDrawing_ && IsDrawing(text)) return;
  pending_ += text;
  pending_ += '\n';
}

std::string ConsoleLines::Take() {
  std::string taken;
  taken.swap(pending_);
  return taken;
}

LiveMatch::LiveMatch(const std::string& savedConfig)
    : player_(host_, transcript_, kPluginFile) {
  std::remove(kConfigPath);
  if (!savedConfig.empty()) status_ = KeepFile(kConfigPath, savedConfig);
  if (status_.ok()) status_ = host_.console().LoadConfig(kConfigPath);
  const std::string opening = kFreePlayScript;  // the reader borrows it
  vantorel_sim::LineReader script(opening);
  vantorel_sim::CommandReader commands(script);
  vantorel_sim::Command command;
  while (status_.ok() &&
         commands.Next(&command) == vantorel_sim::CommandReader::Outcome::kCommand) {
    status_ = player_.Play(command).status;
  }
  const simhost::ConfigFile saved(savedConfig);
  for (const char* name : {"vantorel_enable", "vantorel_render_enable"}) {
    if (status_.ok() && saved.Find(name) == nullptr) status_ = Command(std::string(name) + " 1");
  }
}

void LiveMatch::Step(Controls controls) {
  SteerMatch(*host_.match().Edit(), controls, kStepSeconds);
  player_.Play(vantorel_sim::command::Frame{1});
}

files::Status LiveMatch::Command(const std::string& line) {
  std::optional<vantorel_sim::Command> command;
  files::Status status = vantorel_sim::ReadCommand(line, &command);
  if (!status.ok() || !command) return status;
  const vantorel_sim::ScriptPlayer::Result result = player_.Play(*command);
  const auto* variable = std::get_if<vantorel_sim::command::Variable>(&*command);
  if (result.outcome == vantorel_sim::ScriptPlayer::Outcome::kPlayed && variable != nullptr) {
    transcript_.Variable(variable->name, host_.console().Find(variable->name)->value);
  }
  return result.status;
}

int LiveMatch::AddCars(int count) {
  const auto match = host_.match().Edit();
  while (count-- > 0 && match->cars().size() < static_cast<std::size_t>(kMaxCars)) {
    const std::uint32_t n = static_cast<std::uint32_t>(++added_);
    simhost::SimCar& car = match->AddCar("car" + std::to_string(match->cars().size()));
    car.playerInfo.team = static_cast<std::uint8_t>(n % 2);
    const auto between = [&](std::uint32_t salt, float half) {
      return (static_cast<float>(Scrambled(n * 4 + salt) % 10000) / 5000.0f - 1.0f) * half;
    };
    car.location = Vector{between(0, kHalfWidth - 200), between(1, kHalfLength - 200), 17.0f};
    car.rotation = Rotator{0, static_cast<std::int32_t>(Scrambled(n * 4 + 2) % 65536) - 32768, 0};
  }
  return static_cast<int>(match->cars().size());
}

void LiveMatch::Capture(SceneBuffer* buffer) {
  const vantorel_sim::Scene scene = vantorel_sim::CaptureScene(host_);
  std::vector<Vector2> facing;
  {
    const auto match = host_.match().Read();
    for (const auto& car : match->cars()) {
      if (!car) continue;
      const Facing f = FacingOf(car->rotation);
      const Vector ahead{car->location.X + static_cast<float>(kFacingReach * f.cosPitch * f.cosYaw),
                         car->location.Y + static_cast<float>(kFacingReach * f.cosPitch * f.sinYaw),
                         car->location.Z + static_cast<float>(kFacingReach * f.sinPitch)};
      facing.push_back(match->hasCamera
                           ? simhost::ProjectThroughCamera(match->camera, match->canvasSize, ahead)
                           : simhost::kOffCanvas);
    }
  }
  buffer->Fill(scene, &facing);
}

Vector2 LiveMatch::Project(const Vector& location) {
  const auto match = host_.match().Read();
  if (!match->hasCamera) return simhost::kOffCanvas;
  return simhost::ProjectThroughCamera(match->camera, match->canvasSize, location);
}

std::string LiveMatch::Variables() {
  std::string json = "[";
  for (const auto& variable : host_.console().variables()) {
    if (json.size() > 1) json += ",";
    json += "{\"name\":" + Json(variable->name) + ",\"value\":" + Json(variable->value) +
            ",\"default\":" + Json(variable->defaultValue) +
            ",\"description\":" + Json(variable->description) + ",\"kind\":\"" +
            KindOf(*variable) + "\",\"min\":" +
            (variable->hasMin ? FormatFloat(variable->min) : "null") +
            ",\"max\":" + (variable->hasMax ? FormatFloat(variable->max) : "null") +
            ",\"saved\":" + (variable->saveToConfig ? "true" : "false") + "}";
  }
  return json + "]";
}

std::string LiveMatch::SaveConfig() {
  files::Status status = host_.console().SaveConfig(kConfigPath);
  std::optional<std::string> text;
  if (status.ok()) status = files::ReadRegularFile(kConfigPath, &text);
  if (!status.ok()) transcript_.OnHostMessage(status.message());
  return text.value_or(std::string());
}

std::string LiveMatch::SceneScript() {
  std::string script = "# The live match as it stood: its cars, ball, camera and console values.\n";
  {
    const auto match = host_.match().Read();
    static const char* const kModes[] = {"hosted", "online", "none"};
    script += std::string("game ") + kModes[static_cast<int>(match->mode)] + "\n";
    if (match->serverNull) script += "server null\n";
    script += "canvas " + std::to_string(match->canvasSize.X) + " " +
              std::to_string(match->canvasSize.Y) + "\n";
    script += "camera loc=" + FormatVector(match->camera.location) +
              " rot=" + FormatRotator(match->camera.rotation) +
              " fov=" + FormatFloat(match->camera.fieldOfView) + "\n";
    if (!match->hasCamera) script += "camera null\n";
    script += "ball loc=" + FormatVector(match->ball.location) +
              " vel=" + FormatVector(match->ball.velocity) + "\n";
    if (!match->hasBall) script += "ball null\n";
    for (const auto& car : match->cars()) {
      script += car ? CarLine(*car, car.get() == match->localCar) : "nullcar";
      script += "\n";
    }
  }
  if (host_.pluginLoaded()) script += "plugin load\n";
  for (const auto& variable : host_.console().variables()) {
    script += variable->name + " " + variable->value + "\n";
  }
  return script;
}

std::vector<std::int32_t> LiveMatch::CarWords() {
  const auto match = host_.match().Read();
  const auto& cars = match->cars();
  std::vector<std::int32_t> words{static_cast<std::int32_t>(cars.size()), -1};
  for (std::size_t i = 0; i < cars.size(); ++i) {
    const simhost::SimCar* car = cars[i].get();
    if (car != nullptr && car == match->localCar) words[1] = static_cast<std::int32_t>(i);
    if (car == nullptr) {
      words.insert(words.end(), {0, 0, 0, 0, 0, 0, 0, 0});
      continue;
    }
    words.insert(words.end(),
                 {car->hasPlayerInfo ? 3 : 1, car->playerInfo.team,
                  static_cast<std::int32_t>(Bits(car->location.X)),
                  static_cast<std::int32_t>(Bits(car->location.Y)),
                  static_cast<std::int32_t>(Bits(car->location.Z)), car->rotation.Pitch,
                  car->rotation.Yaw, car->rotation.Roll});
  }
  return words;
}

}  // namespace vantorel_web
