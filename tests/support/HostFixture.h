#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "GameWrapper.h"
#include "Paths.h"
#include "RecordingListener.h"
#include "StatusAssertions.h"
#include "VantorelPlugin.h"
#include "simhost/Host.h"
#include "simhost/Match.h"

namespace vantorel_test {

// A simulated host for a test to load a plugin module into and to act on as
// the game and the player do: build the match, set console variables, press
// the pickup button, draw frames; and to look at what a user would see, the
// console lines and the drawing calls. The fixture owns the listener and the
// host; the host owns the match and the loaded module.
class HostFixture : public ::testing::Test {
 protected:
  HostFixture() : host_(listener_) {}

  // Loads the module at `path` through the host's own loader; a refusal
  // fails the test.
  void Load(const std::string& path = PluginModule());
  // Loads the module at `path`, which the host must refuse, and returns the
  // refusal message; a module that loads fails the test.
  std::string LoadRefused(const std::string& path);
  // Checks that the host holds nothing of a plugin any more: no module, no
  // object, no hook or drawable, and no slot bound to any of the console's
  // `variables` variables, which stay registered.
  void ExpectUnloaded(std::size_t variables);

  // The loaded plugin object as its class. Only the built plugin module's
  // object is a VantorelPlugin.
  VantorelPlugin& plugin() { return *static_cast<VantorelPlugin*>(host_.plugin()); }
  // The host's game as the loaded plugin sees it.
  GameWrapper& game() { return *host_.plugin()->gameWrapper; }
  simhost::Match& match() { return host_.match(); }
  // Lets go of the match's access before returning, so that it may feed a press.
  simhost::SimCar* localCar() { return match().Read()->localCar; }
  std::int32_t lastSwapIndex() { return plugin().lastSwapIndex.load(); }
  // The value the loaded plugin reads from the slot of setting `name`,
  // whatever the slot's type; a missing slot fails the test.
  double SlotValue(const std::string& name);

  // Sets a console variable as typed at the console; a refusal fails the
  // test.
  void Set(const std::string& name, const std::string& value);

  // Adds a car, whose fields the test then writes on its one thread.
  simhost::SimCar& AddCar(const std::string& owner, int team, Vector location = {},
                          Rotator rotation = {});
  // Adds the local player's car.
  simhost::SimCar& AddLocal(const std::string& owner, int team, Vector location = {},
                            Rotator rotation = {}) {
    simhost::SimCar& car = AddCar(owner, team, location, rotation);
    match().Edit()->localCar = &car;
    return car;
  }

  // Presses the pickup button in `car` and returns the lines it logged.
  Lines Press(simhost::SimCar* car) {
    listener_.Clear();
    host_.Press(car);
    return listener_.logs;
  }
  Lines Press() { return Press(localCar()); }

  // Draws one frame and returns its drawing calls as text (see Describe);
  // its log lines stay in logs().
  Lines Frame() {
    listener_.Clear();
    host_.Frame();
    return Describe(listener_.draws);
  }

  const Lines& logs() const { return listener_.logs; }

  RecordingListener listener_;
  simhost::Host host_;
};

// What an enabled press by "me" logs: the press, the start of its search
// for the `search` ("sequential car" or "best car"), then `rest`.
inline Lines PressLog(const std::string& search, const Lines& rest) {
  Lines lines{"Swap pressed. Owner: me", "Finding " + search};
  lines.insert(lines.end(), rest.begin(), rest.end());
  return lines;
}

// A HostFixture whose every test starts with the built plugin module loaded
// and nothing recorded yet.
class PluginFixture : public HostFixture {
 protected:
  void SetUp() override {
    Load();
    listener_.Clear();
  }
};

}  // namespace vantorel_test
