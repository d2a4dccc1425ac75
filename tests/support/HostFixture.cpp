#include "HostFixture.h"

#include <cmath>
#include <optional>

#include "PluginSettings.h"

namespace vantorel_test {

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
  for (const vantorel::Setting& setting : vantorel::kSettings) {
    if (name != setting.name) continue;
    const std::optional<double> value = vantorel_test::SlotValue(plugin(), setting);
    if (!value) ADD_FAILURE() << "the plugin holds no slot for " << name;
    return value.value_or(NAN);
  }
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
  simhost::SimCar& car = match().Edit()->AddCar(owner);
  car.playerInfo.team = static_cast<std::uint8_t>(team);
  car.location = location;
  car.rotation = rotation;
  return car;
}

}  // namespace vantorel_test
