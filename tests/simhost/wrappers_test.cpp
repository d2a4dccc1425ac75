#include <gtest/gtest.h>

#include <memory>

#include "ArrayWrapper.h"
#include "CarState.h"
#include "BallWrapper.h"
#include "BoostWrapper.h"
#include "CVarManagerWrapper.h"
#include "CVarWrapper.h"
#include "CameraWrapper.h"
#include "CanvasWrapper.h"
#include "CarWrapper.h"
#include "GameWrapper.h"
#include "simhost/Match.h"
#include "PlayerControllerWrapper.h"
#include "PriWrapper.h"
#include "ServerWrapper.h"

namespace {

using simhost::Match;
using simhost::SimActor;
using simhost::SimCar;

std::uintptr_t Address(const SimActor* actor) { return reinterpret_cast<std::uintptr_t>(actor); }

void ExpectZero(Vector v) {
  EXPECT_EQ(v.X, 0.0f);
  EXPECT_EQ(v.Y, 0.0f);
  EXPECT_EQ(v.Z, 0.0f);
}

void ExpectZero(Rotator r) {
  EXPECT_EQ(r.Pitch, 0);
  EXPECT_EQ(r.Yaw, 0);
  EXPECT_EQ(r.Roll, 0);
}

TEST(NullWrappers, GettersGiveZeroValues) {
  const CarWrapper car;
  EXPECT_TRUE(car.IsNull());
  ExpectZero(car.GetLocation());
  ExpectZero(car.GetVelocity());
  ExpectZero(car.GetAngularVelocity());
  ExpectZero(car.GetRotation());
  EXPECT_EQ(car.GetOwnerName(), "");
  EXPECT_TRUE(car.GetBoostComponent().IsNull());
  EXPECT_TRUE(car.GetPRI().IsNull());

  EXPECT_EQ(PriWrapper().GetTeamNum(), 255);
  EXPECT_EQ(PlayerReplicationInfoWrapper().GetTeamNum(), 255);
  EXPECT_EQ(BoostWrapper().GetCurrentBoostAmount(), 0.0f);
  EXPECT_TRUE(PlayerControllerWrapper().GetCar().IsNull());

  const ServerWrapper server;
  EXPECT_TRUE(server.IsNull());
  EXPECT_TRUE(server.GetGameCar().IsNull());
  EXPECT_TRUE(server.GetBall().IsNull());
  ArrayWrapper<CarWrapper> cars = server.GetCars();
  EXPECT_EQ(cars.memory_address, 0u);
  EXPECT_EQ(cars.Count(), 0);
  EXPECT_TRUE(cars.Get(0).IsNull());
  EXPECT_TRUE(cars.Get(-1).IsNull());

  EXPECT_TRUE(BallWrapper().IsNull());
  ExpectZero(BallWrapper().GetLocation());
  ExpectZero(CameraWrapper().GetRotation());

  const CanvasWrapper canvas;
  EXPECT_EQ(canvas.GetSize().X, 0);
  EXPECT_EQ(canvas.GetSize().Y, 0);
  EXPECT_EQ(canvas.Project(Vector{1, 2, 3}).X, 0);
  EXPECT_EQ(canvas.Project(Vector{1, 2, 3}).Y, 0);
}

TEST(NullWrappers, SettersDoNothing) {
  CarWrapper car;
  car.SetLocation(Vector{1, 2, 3});
  car.SetVelocity(Vector{1, 2, 3});
  car.SetAngularVelocity(Vector{1, 2, 3}, false);
  car.SetAngularVelocity(Vector{1, 2, 3}, true);
  car.SetRotation(Rotator{1, 2, 3});
  BoostWrapper boost;
  boost.SetBoostAmount(0.5f);
  CanvasWrapper canvas;
  canvas.SetColor(1, 2, 3, 4);
  canvas.DrawLine(Vector2{1, 2}, Vector2{3, 4}, 1.0f);
  ExpectZero(car.GetLocation());
  EXPECT_EQ(boost.GetCurrentBoostAmount(), 0.0f);
}

TEST(NullWrappers, HostObjectsWithoutSessionAnswerNothing) {
  GameWrapper game(nullptr);
  EXPECT_FALSE(game.IsInGame());
  EXPECT_FALSE(game.IsInOnlineGame());
  EXPECT_TRUE(game.GetGameEventAsServer().IsNull());
  EXPECT_TRUE(game.GetOnlineGame().IsNull());
  EXPECT_TRUE(game.GetCamera().IsNull());
  game.HookEventWithCallerPost<PlayerControllerWrapper>(
      "x", [](PlayerControllerWrapper, void*, std::string) {});
  game.UnhookEvent("x");
  game.RegisterDrawable([](CanvasWrapper) {});
  game.UnregisterDrawables();

  CVarManagerWrapper console(nullptr);
  CVarWrapper variable = console.registerCvar("x", "1");
  EXPECT_TRUE(variable.IsNull());
  variable.bindTo(std::make_shared<bool>(false));
  variable.bindTo(std::make_shared<int>(0));
  variable.bindTo(std::make_shared<float>(0.0f));
  console.log("nowhere");
}

TEST(Wrappers, CarGettersAndSettersReachTheMatch) {
  Match match;
  SimCar& sim = match.Edit()->AddCar("Zindar");
  sim.location = Vector{1, 2, 3};
  sim.velocity = Vector{4, 5, 6};
  sim.angularVelocity = Vector{7, 8, 9};
  sim.rotation = Rotator{10, 11, 12};
  sim.boostComponent.amount = 0.75f;
  sim.playerInfo.team = 1;

  CarWrapper car(Address(&sim));
  EXPECT_FALSE(car.IsNull());
  EXPECT_EQ(car.GetOwnerName(), "Zindar");
  EXPECT_EQ(car.GetLocation().Z, 3.0f);
  EXPECT_EQ(car.GetVelocity().Y, 5.0f);
  EXPECT_EQ(car.GetAngularVelocity().X, 7.0f);
  EXPECT_EQ(car.GetRotation().Roll, 12);
  EXPECT_EQ(car.GetPRI().GetTeamNum(), 1);
  EXPECT_EQ(car.GetBoostComponent().GetCurrentBoostAmount(), 0.75f);

  car.SetLocation(Vector{-1, -2, -3});
  car.SetVelocity(Vector{-4, -5, -6});
  car.SetAngularVelocity(Vector{-7, -8, -9}, false);
  car.SetRotation(Rotator{-10, -11, -12});
  car.GetBoostComponent().SetBoostAmount(0.25f);
  EXPECT_EQ(sim.location.X, -1.0f);
  EXPECT_EQ(sim.velocity.Z, -6.0f);
  EXPECT_EQ(sim.angularVelocity.Y, -8.0f);
  EXPECT_EQ(sim.rotation.Pitch, -10);
  EXPECT_EQ(sim.boostComponent.amount, 0.25f);

  // Two wrappers of one car hold the same address.
  EXPECT_EQ(CarWrapper(Address(&sim)).memory_address, car.memory_address);
}

// A plugin that passed the wrong flag would add to a car's spin in a real
// game: the simulated host must tell the two apart.
TEST(Wrappers, AngularVelocityIsAddedOnlyWhenAsked) {
  Match match;
  SimCar& sim = match.Edit()->AddCar("A");
  sim.angularVelocity = Vector{1.5f, -0.0f, 16777216.0f};
  CarWrapper car(Address(&sim));

  car.SetAngularVelocity(Vector{0.25f, -0.0f, 1.0f}, true);
  // Component by component, in 32-bit floats: 2^24 + 1 rounds back to 2^24.
  EXPECT_TRUE(vantorel_test::SameBits(sim.angularVelocity, Vector{1.75f, -0.0f, 16777216.0f}));
  car.SetAngularVelocity(Vector{-1.75f, 0.0f, -16777216.0f}, true);
  EXPECT_TRUE(vantorel_test::SameBits(sim.angularVelocity, Vector{0.0f, 0.0f, 0.0f}));

  car.SetAngularVelocity(Vector{-7.0f, -0.0f, 9.0f}, false);
  EXPECT_TRUE(vantorel_test::SameBits(sim.angularVelocity, Vector{-7.0f, -0.0f, 9.0f}));
  car.SetAngularVelocity(Vector{3.0f, 4.0f, 5.0f}, false);
  EXPECT_TRUE(vantorel_test::SameBits(sim.angularVelocity, Vector{3.0f, 4.0f, 5.0f}));
}

TEST(Wrappers, CarWithoutPlayerInfoOrBoost) {
  Match match;
  SimCar& sim = match.Edit()->AddCar("Bot");
  sim.hasPlayerInfo = false;
  sim.hasBoostComponent = false;
  CarWrapper car(Address(&sim));
  EXPECT_TRUE(car.GetPRI().IsNull());
  EXPECT_EQ(car.GetPRI().GetTeamNum(), 255);
  EXPECT_TRUE(car.GetBoostComponent().IsNull());
  EXPECT_EQ(car.GetBoostComponent().GetCurrentBoostAmount(), 0.0f);
}

TEST(Wrappers, TeamNumberIsTheWholeByte) {
  Match match;
  SimCar& sim = match.Edit()->AddCar("A");
  sim.playerInfo.team = 200;
  EXPECT_EQ(CarWrapper(Address(&sim)).GetPRI().GetTeamNum(), 200);
}

TEST(Wrappers, CarListWithNullEntries) {
  Match match;
  SimCar& a = match.Edit()->AddCar("A");
  match.Edit()->AddNullCar();
  SimCar& b = match.Edit()->AddCar("B");
  const ServerWrapper server(Address(&match.Read()->server));
  ArrayWrapper<CarWrapper> cars = server.GetCars();
  ASSERT_EQ(cars.Count(), 3);
  EXPECT_EQ(cars.Get(0).memory_address, Address(&a));
  EXPECT_TRUE(cars.Get(1).IsNull());
  EXPECT_EQ(cars.Get(2).memory_address, Address(&b));
  EXPECT_TRUE(cars.Get(3).IsNull());
  EXPECT_TRUE(cars.Get(-1).IsNull());
  EXPECT_TRUE(cars.Get(2147483647).IsNull());
  EXPECT_EQ(match.Read()->FindCar("B"), &b);
  EXPECT_EQ(match.Read()->FindCar("C"), nullptr);
  // A second car of one name: the first is still the one found.
  SimCar& second = match.Edit()->AddCar("A");
  EXPECT_EQ(match.Read()->FindCar("A"), &a);
  EXPECT_NE(&second, &a);
  // A car that leaves keeps its slot, null, and its name passes to the next.
  const std::unique_ptr<SimCar> gone = match.Edit()->RemoveCar(0);
  EXPECT_EQ(gone.get(), &a);
  EXPECT_EQ(cars.Count(), 4);
  EXPECT_TRUE(cars.Get(0).IsNull());
  EXPECT_EQ(match.Read()->FindCar("A"), &second);
  EXPECT_NE(match.Edit()->RemoveCar(3), nullptr);
  EXPECT_EQ(match.Read()->FindCar("A"), nullptr);
}

TEST(Wrappers, ServerGivesLocalCarAndBall) {
  Match match;
  SimCar& a = match.Edit()->AddCar("A");
  const ServerWrapper server(Address(&match.Read()->server));
  EXPECT_TRUE(server.GetGameCar().IsNull());
  match.Edit()->localCar = &a;
  EXPECT_EQ(server.GetGameCar().memory_address, Address(&a));
  match.Edit()->ball.location = Vector{0, 0, 93};
  EXPECT_EQ(server.GetBall().GetLocation().Z, 93.0f);
  match.Edit()->hasBall = false;
  EXPECT_TRUE(server.GetBall().IsNull());
}

TEST(Wrappers, ControllerDrivesItsCar) {
  Match match;
  SimCar& a = match.Edit()->AddCar("A");
  simhost::SimController controller{&match, &a};
  EXPECT_EQ(PlayerControllerWrapper(reinterpret_cast<std::uintptr_t>(&controller))
                .GetCar()
                .GetOwnerName(),
            "A");
  simhost::SimController empty{&match, nullptr};
  EXPECT_TRUE(
      PlayerControllerWrapper(reinterpret_cast<std::uintptr_t>(&empty)).GetCar().IsNull());
}

}  // namespace
