#pragma once

#include <string>

#include "simhost/HostListener.h"
#include "simhost/Match.h"

namespace vantorel_sim {

// How the transcript writes the host's values, as a script writes them too:
// vectors "X,Y,Z" with each float as FormatFloat prints it, rotators
// "P,Y,R" and canvas points "X,Y" in decimal.
std::string FormatVector(const Vector& v);
std::string FormatRotator(const Rotator& r);
std::string FormatPoint(const Vector2& p);

// Where the transcript's lines go: standard output, or a test's memory.
class LineSink {
 public:
  virtual ~LineSink() = default;
  // One whole line, without its line break.
  virtual void Line(const std::string& text) = 0;
};

// vantorel-sim's standard output: one line per event, in the order things
// happen. As the host's listener it prints the plugin's log, the host's own
// messages and the plugin's drawing; the script player adds the rest.
// Writes to a sink it does not own; a null sink swallows everything, for a
// rehearsal of the script.
class Transcript : public simhost::HostListener {
 public:
  explicit Transcript(LineSink* out) : out_(out) {}

  void OnLog(const std::string& text) override;
  void OnHostMessage(const std::string& text) override;
  void OnColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue,
               std::uint8_t alpha) override;
  void OnLine(Vector2 start, Vector2 end, float width) override;

  // `owner` null: a press from a controller without a car.
  void Press(const std::string* owner);
  void Frame(long long number);
  // One entry of the car list; `car` null for a null entry.
  void Car(std::size_t index, const simhost::SimCar* car);
  void Variable(const std::string& name, const std::string& value);

 private:
  void Line(const std::string& text);

  LineSink* out_;
};

}  // namespace vantorel_sim
