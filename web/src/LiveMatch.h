#pragma once

// The page's live match: free play on the simulated host with the plugin
// loaded. It is a script being played (free-play.scn, then every line the
// page sends), one frame at a time, while the page's rules (Driving.h) and
// the player's keys set the cars going between frames.

#include <cstdint>
#include <string>
#include <vector>

#include "Driving.h"
#include "SceneBuffer.h"
#include "ScriptPlayer.h"
#include "Transcript.h"
#include "files/Status.h"
#include "simhost/Host.h"

namespace vantorel_web {

// The transcript as the page's console shows it: the lines since the page
// last took them. [frame] and [draw] lines, 60 frames a second of them, are
// kept only while asked for; until then the drawing calls are not even
// written out (DrawingFilter).
class ConsoleLines : public vantorel_sim::LineSink {
 public:
  void Line(const std::string& text) override;
  void ShowDrawing(bool show) { showDrawing_ = show; }
  bool showDrawing() const { return showDrawing_; }
  std::string Take();

 private:
  std::string pending_;
  bool showDrawing_ = false;
};

// The host's listener: the transcript, without the drawing calls while the
// console does not show them.
class DrawingFilter : public simhost::HostListener {
 public:
  DrawingFilter(vantorel_sim::Transcript& transcript, const ConsoleLines& lines)
      : transcript_(transcript), lines_(lines) {}
  void OnLog(const std::string& text) override { transcript_.OnLog(text); }
  void OnHostMessage(const std::string& text) override { transcript_.OnHostMessage(text); }
  void OnColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue,
               std::uint8_t alpha) override {
    if (lines_.showDrawing()) transcript_.OnColor(red, green, blue, alpha);
  }
  void OnLine(Vector2 start, Vector2 end, float width) override {
    if (lines_.showDrawing()) transcript_.OnLine(start, end, width);
  }

 private:
  vantorel_sim::Transcript& transcript_;
  const ConsoleLines& lines_;
};

// One live match, owning its host, transcript and player. The host's
// configuration file lives in the module's memory; the page keeps its text.
class LiveMatch {
 public:
  // The most entries the car list takes.
  static constexpr int kMaxCars = 1024;

  // Opens free play on a host whose configuration file holds `savedConfig`
  // (empty: none yet), with `vantorel_enable` and `vantorel_render_enable`
  // at 1 unless the file says otherwise. status() says whether it opened.
  explicit LiveMatch(const std::string& savedConfig);
  const files::Status& status() const { return status_; }

  // One step of 1/60 s: the rules, the host's motion, a drawn frame.
  void Step(Controls controls);
  // Plays one script line as the program would, a console line
  // `NAME VALUE` among them; a bad line changes nothing and says why.
  // `NAME VALUE` is followed by a [cvar] line with the value then held.
  files::Status Command(const std::string& line);
  // Appends cars, alternately to each team, at places of a fixed sequence,
  // up to kMaxCars entries in all. Returns the entries there are.
  int AddCars(int count);

  ConsoleLines& lines() { return lines_; }

  // The last frame's scene, with a facing point for each car.
  void Capture(SceneBuffer* buffer);
  // Where the host's camera puts `location` on the canvas.
  Vector2 Project(const Vector& location);
  // Every console variable, as JSON: name, value, default, description,
  // kind (the type of the slot the plugin bound: bool, int or float), min
  // and max (null when unbounded), saved.
  std::string Variables();
  // Saves the configuration file as a run's end saves it, and gives its
  // text.
  std::string SaveConfig();
  // The match as it stands, as a script: played, it sets up the same
  // match with the same console values.
  std::string SceneScript();
  // The cars as ChoiceMap::CopyMatch reads them: [0] the entries of the
  // car list, [1] the local player's car's index (-1: none), then 8 words
  // an entry: 0 for a null entry, 1 for a car, 3 for a car with player
  // information; its team; its location's X, Y and Z as float bits; its
  // rotation's pitch, yaw and roll.
  std::vector<std::int32_t> CarWords();

 private:
  ConsoleLines lines_;
  vantorel_sim::Transcript transcript_{&lines_};
  DrawingFilter listener_{transcript_, lines_};
  simhost::Host host_{listener_, simhost::Locking::kUnlocked};
  vantorel_sim::ScriptPlayer player_;
  files::Status status_;
  int added_ = 0;
};

}  // namespace vantorel_web
