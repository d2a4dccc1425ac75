#include "Transcript.h"

#include "files/Text.h"

namespace vantorel_sim {

// Floats are printed as the host prints them.
using files::FormatFloat;

std::string FormatVector(const Vector& v) {
  return FormatFloat(v.X) + "," + FormatFloat(v.Y) + "," + FormatFloat(v.Z);
}

std::string FormatRotator(const Rotator& r) {
  return std::to_string(r.Pitch) + "," + std::to_string(r.Yaw) + "," + std::to_string(r.Roll);
}

std::string FormatPoint(const Vector2& p) {
  return std::to_string(p.X) + "," + std::to_string(p.Y);
}

void Transcript::OnLog(const std::string& text) { Line("[log] " + text); }

void Transcript::OnHostMessage(const std::string& text) { Line("[host] " + text); }

void Transcript::OnColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                         std::uint8_t alpha) {
  Line("[draw] color " + std::to_string(red) + " " + std::to_string(green) + " " +
       std::to_string(blue) + " " + std::to_string(alpha));
}

void Transcript::OnLine(Vector2 start, Vector2 end, float width) {
  Line("[draw] line " + FormatPoint(start) + " " + FormatPoint(end) + " " + FormatFloat(width));
}

void Transcript::Press(const std::string* owner) {
  Line("[press] " + (owner != nullptr ? *owner : std::string("none")));
}

void Transcript::Frame(long long number) { Line("[frame] " + std::to_string(number)); }

void Transcript::Car(std::size_t index, const simhost::SimCar* car) {
  std::string line = "[car] " + std::to_string(index) + " ";
  if (car == nullptr) {
    Line(line + "null");
    return;
  }
  line += car->owner + " team=" + std::to_string(car->playerInfo.team) +
          " loc=" + FormatVector(car->location) + " vel=" + FormatVector(car->velocity) +
          " angvel=" + FormatVector(car->angularVelocity) +
          " rot=" + FormatRotator(car->rotation) +
          " boost=" + FormatFloat(car->boostComponent.amount);
  Line(line);
}

void Transcript::Variable(const std::string& name, const std::string& value) {
  Line("[cvar] " + name + " = " + value);
}

void Transcript::Line(const std::string& text) {
  if (out_ != nullptr) out_->Line(text);
}

}  // namespace vantorel_sim
