#include "HostFixture.h"

#include <cmath>
#include <memory>

namespace vantorel_test {

namespace {

template <typename T>
double ValueOf(const std::shared_ptr<T>& slot, const std::string& name) {
  if (slot) return static_cast<double>(*slot);
  ADD_FAILURE() << "the plugin holds no slot for " << name;
  return NAN;
}

}  // namespace

void HostFixture::Load(const std::string& path) {
  ASSERT_TRUE(Succeeded(host_.LoadPlugin(path)));
  ASSERT_NE(host_.plugin(), nullptr);
}

std::string HostFixture::LoadRefused(const std::string& path) {
  const files::Status refused = host_.LoadPlugin(path);
  EXPECT_FALSE(refused.ok()) << path;
  EXPECT_FALSE(host_.pluginLoaded());
  return refused.message();
}

void HostFixture::ExpectUnloaded(std::size_t variables) {
  EXPECT_FALSE(host_.pluginLoaded());
  EXPECT_EQ(host_.plugin(), nullptr);
  EXPECT_EQ(host_.hookCount(), 0u);
  EXPECT_EQ(host_.drawableCount(), 0u);
  ASSERT_EQ(host_.console().variables().size(), variables);
  for (const auto& variable : host_.console().variables()) {
    EXPECT_TRUE(variable->bindings.empty()) << variable->name;
  }
}

double HostFixture::SlotValue(const std::string& name) {
  const VantorelPlugin& p = plugin();
  if (name == "vantorel_enable") return ValueOf(p.enabled, name);
  if (name == "vantorel_set_velocities") return ValueOf(p.setVelocities, name);
  if (name == "vantorel_set_rotation") return ValueOf(p.setRotation, name);
  if (name == "vantorel_set_boost") return ValueOf(p.setBoost, name);
  if (name == "vantorel_sequential_swap") return ValueOf(p.sequentialSwap, name);
  if (name == "vantorel_swap_distanceweight") return ValueOf(p.distanceWeight, name);
  if (name == "vantorel_render_enable") return ValueOf(p.renderEnabled, name);
  if (name == "vantorel_render_selected") return ValueOf(p.renderSelected, name);
  if (name == "vantorel_render_next") return ValueOf(p.renderNext, name);
  if (name == "vantorel_render_thickness") return ValueOf(p.renderThickness, name);
  if (name == "vantorel_render_iconsize") return ValueOf(p.renderIconSize, name);
  if (name == "vantorel_render_iconheight") return ValueOf(p.renderIconHeight, name);
  ADD_FAILURE() << "no setting " << name;
  return NAN;
}

void HostFixture::Set(const std::string& name, const std::string& value) {
  simhost::Variable* variable = host_.console().Find(name);
  ASSERT_NE(variable, nullptr) << name;
  ASSERT_TRUE(host_.console().Set(*variable, value)) << name << " " << value;
}

simhost::SimCar& HostFixture::AddCar(const std::string& owner, int team, Vector location,
                                     Rotator rotation) {
  simhost::SimCar& car = match().AddCar(owner);
  car.playerInfo.team = static_cast<std::uint8_t>(team);
  car.location = location;
  car.rotation = rotation;
  return car;
}

}  // namespace vantorel_test
