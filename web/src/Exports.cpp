// The module's interface to the page's JavaScript (web/page/module.js):
// plain C functions over the classes of this folder. Text comes in as
// UTF-8 that the caller frees; text goes out as a pointer to UTF-8 bytes
// and vantorel_text_size(), both good until the next call that gives text.
// Each module instance plays one part: the live match, the choice map, or
// scripts and the benchmark, one host after another.

#include <emscripten.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ChoiceMap.h"
#include "FrameBenchmark.h"
#include "LinkedPlugin.h"
#include "LiveMatch.h"
#include "SceneBuffer.h"
#include "ScriptRun.h"

namespace {

using vantorel_web::ChoiceMap;
using vantorel_web::LiveMatch;

std::string text;
vantorel_web::ProgramResult played;
std::vector<vantorel_web::RecordedFrame> recorded;
vantorel_web::SceneBuffer scene;
std::unique_ptr<LiveMatch> live;
std::unique_ptr<ChoiceMap> choice;
std::vector<std::int32_t> words;
std::vector<std::int32_t> cells(ChoiceMap::kRows * ChoiceMap::kColumns, -1);

const char* Text(std::string value) {
  text = std::move(value);
  return text.c_str();
}

// 0, or 1 with the failure's message as the text.
int Outcome(const files::Status& status) {
  Text(status.message());
  return status.ok() ? 0 : 1;
}

}  // namespace

// The program starts by linking its plugin module, before any host loads it.
int main() {
  vantorel_web::LinkPlugin();
  return 0;
}

extern "C" {

EMSCRIPTEN_KEEPALIVE std::size_t vantorel_text_size() { return text.size(); }
// The last text given again: a failure's message, after a call that gave 1.
EMSCRIPTEN_KEEPALIVE const char* vantorel_last_text() { return text.c_str(); }

// --- scripts

EMSCRIPTEN_KEEPALIVE int vantorel_play(const char* name, const char* script) {
  played = vantorel_web::PlayScript(name, script);
  return played.code;
}
EMSCRIPTEN_KEEPALIVE const char* vantorel_play_out() { return Text(played.out); }
EMSCRIPTEN_KEEPALIVE const char* vantorel_play_err() { return Text(played.err); }

EMSCRIPTEN_KEEPALIVE int vantorel_record(const char* script, int maxFrames) {
  recorded = vantorel_web::RecordFrames(script, static_cast<std::size_t>(maxFrames));
  return static_cast<int>(recorded.size());
}
EMSCRIPTEN_KEEPALIVE float vantorel_recorded_seconds(int frame) {
  return recorded[static_cast<std::size_t>(frame)].seconds;
}
EMSCRIPTEN_KEEPALIVE const std::int32_t* vantorel_recorded_scene(int frame) {
  scene.Fill(recorded[static_cast<std::size_t>(frame)].scene, nullptr);
  return scene.words();
}

// The names of the cars of the last scene given, one a line.
EMSCRIPTEN_KEEPALIVE const char* vantorel_scene_names() { return Text(scene.names()); }

EMSCRIPTEN_KEEPALIVE double vantorel_time_frames(int cars, int frames) {
  return vantorel_web::TimeFrames(cars, frames);
}

// --- the live match

EMSCRIPTEN_KEEPALIVE int vantorel_live_open(const char* savedConfig) {
  live.reset();
  live = std::make_unique<LiveMatch>(savedConfig);
  return Outcome(live->status());
}
EMSCRIPTEN_KEEPALIVE void vantorel_live_step(int throttle, int steer) {
  live->Step(vantorel_web::Controls{throttle, steer});
}
EMSCRIPTEN_KEEPALIVE int vantorel_live_command(const char* line) {
  return Outcome(live->Command(line));
}
EMSCRIPTEN_KEEPALIVE int vantorel_live_add_cars(int count) { return live->AddCars(count); }
EMSCRIPTEN_KEEPALIVE void vantorel_live_show_drawing(int show) {
  live->lines().ShowDrawing(show != 0);
}
EMSCRIPTEN_KEEPALIVE const char* vantorel_live_lines() { return Text(live->lines().Take()); }
EMSCRIPTEN_KEEPALIVE const std::int32_t* vantorel_live_scene() {
  live->Capture(&scene);
  return scene.words();
}
EMSCRIPTEN_KEEPALIVE const char* vantorel_live_variables() { return Text(live->Variables()); }
EMSCRIPTEN_KEEPALIVE const char* vantorel_live_save_config() { return Text(live->SaveConfig()); }
EMSCRIPTEN_KEEPALIVE const char* vantorel_live_scene_script() { return Text(live->SceneScript()); }
// The canvas point of a world location, as two words.
EMSCRIPTEN_KEEPALIVE const std::int32_t* vantorel_live_project(float x, float y, float z) {
  const Vector2 point = live->Project(Vector{x, y, z});
  words = {point.X, point.Y};
  return words.data();
}
// The cars for vantorel_choice_copy; vantorel_words_size() words.
EMSCRIPTEN_KEEPALIVE const std::int32_t* vantorel_live_car_words() {
  words = live->CarWords();
  return words.data();
}
EMSCRIPTEN_KEEPALIVE std::size_t vantorel_words_size() { return words.size(); }

// --- the choice map

EMSCRIPTEN_KEEPALIVE int vantorel_choice_open() {
  choice = std::make_unique<ChoiceMap>();
  return Outcome(choice->status());
}
EMSCRIPTEN_KEEPALIVE void vantorel_choice_copy(const std::int32_t* carWords) {
  choice->CopyMatch(carWords);
}
EMSCRIPTEN_KEEPALIVE void vantorel_choice_set(const char* name, const char* value) {
  choice->Set(name, value);
}
// Fills cells [first, last); gives every cell, row by row.
EMSCRIPTEN_KEEPALIVE const std::int32_t* vantorel_choice_fill(int first, int last) {
  choice->Fill(first, last, cells.data());
  return cells.data();
}
// The grid and the field: rows, columns, half width, half length, the
// ball's height.
EMSCRIPTEN_KEEPALIVE float vantorel_layout(int which) {
  const float layout[] = {ChoiceMap::kRows, ChoiceMap::kColumns, vantorel_web::kHalfWidth,
                          vantorel_web::kHalfLength, ChoiceMap::kBallHeight};
  return layout[which];
}

}  // extern "C"
