// Every host wrapper method, over the simulated match.
//
// A wrapper's address is that of the simulated object it stands for:
//   ActorWrapper and all its subclasses  SimActor (the SimCar, SimBall,
//                                        SimCamera, SimBoost or SimServer
//                                        seen as its SimActor base)
//   PlayerReplicationInfoWrapper/Pri     SimPlayerInfo
//   PlayerControllerWrapper              SimController
//   ArrayWrapper<CarWrapper>             Match (its car list)
//   CanvasWrapper                        SimCanvas
//   CVarWrapper                          HostSession::CVarHandle
// Null wrappers hold 0: their getters give zero values (255 for a team
// number, an empty owner name, null wrappers) and their setters do nothing.
// A call that reads or writes match state does it through an access to the
// match (Match::Read or Match::Edit), held for the call's duration and no
// longer: it takes the match's lock as the match's policy says.

#include <cstring>
#include <limits>
#include <utility>

#include "ArrayWrapper.h"
#include "BallWrapper.h"
#include "BoostWrapper.h"
#include "CVarManagerWrapper.h"
#include "CVarWrapper.h"
#include "CameraWrapper.h"
#include "CanvasWrapper.h"
#include "CarWrapper.h"
#include "GameWrapper.h"
#include "ObjectWrapper.h"
#include "PlayerControllerWrapper.h"
#include "PriWrapper.h"
#include "ServerWrapper.h"

#include "Callbacks.h"
#include "Session.h"
#include "SimCanvas.h"
#include "WrapperAddress.h"
#include "simhost/Console.h"
#include "simhost/Match.h"
#include "simhost/Projection.h"

using simhost::AddressOf;
using simhost::Match;
using simhost::ObjectAt;
using simhost::SimActor;

namespace {

SimActor* Actor(std::uintptr_t address) { return ObjectAt<SimActor>(address); }

std::uintptr_t ActorAddress(const SimActor* actor) { return AddressOf(actor); }

// One quantity of an actor, read or written through its match's access; a
// null wrapper reads zero and writes nothing.
template <typename T>
T ReadActor(std::uintptr_t address, T SimActor::*field) {
  if (!address) return T{};
  const SimActor* actor = Actor(address);
  const auto access = actor->match->Read();
  return actor->*field;
}

template <typename T>
void WriteActor(std::uintptr_t address, T SimActor::*field, T value) {
  if (!address) return;
  SimActor* actor = Actor(address);
  const auto access = actor->match->Edit();
  actor->*field = value;
}

}  // namespace

// ---------------------------------------------------------------------------
// ObjectWrapper, ActorWrapper

bool ObjectWrapper::IsNull() const { return memory_address == 0; }

Vector ActorWrapper::GetLocation() const { return ReadActor(memory_address, &SimActor::location); }

void ActorWrapper::SetLocation(Vector location) {
  WriteActor(memory_address, &SimActor::location, location);
}

Vector ActorWrapper::GetVelocity() const { return ReadActor(memory_address, &SimActor::velocity); }

void ActorWrapper::SetVelocity(Vector velocity) {
  WriteActor(memory_address, &SimActor::velocity, velocity);
}

Vector ActorWrapper::GetAngularVelocity() const {
  return ReadActor(memory_address, &SimActor::angularVelocity);
}

void ActorWrapper::SetAngularVelocity(Vector angularVelocity, bool addToCurrent) {
  if (!memory_address) return;
  SimActor* actor = Actor(memory_address);
  const auto access = actor->match->Edit();
  // As the game does: with the flag, the spin given comes on top of the
  // spin the actor has, each component a 32-bit float sum.
  Vector& spin = actor->angularVelocity;
  if (addToCurrent) {
    spin.X += angularVelocity.X;
    spin.Y += angularVelocity.Y;
    spin.Z += angularVelocity.Z;
  } else {
    spin = angularVelocity;
  }
}

Rotator ActorWrapper::GetRotation() const { return ReadActor(memory_address, &SimActor::rotation); }

void ActorWrapper::SetRotation(Rotator rotation) {
  WriteActor(memory_address, &SimActor::rotation, rotation);
}

// ---------------------------------------------------------------------------
// Boost, player information, cars, controllers

float BoostWrapper::GetCurrentBoostAmount() const {
  if (!memory_address) return 0.0f;
  const auto* boost = static_cast<const simhost::SimBoost*>(Actor(memory_address));
  const auto access = boost->match->Read();
  return boost->amount;
}

void BoostWrapper::SetBoostAmount(float amount) {
  if (!memory_address) return;
  auto* boost = static_cast<simhost::SimBoost*>(Actor(memory_address));
  const auto access = boost->match->Edit();
  boost->amount = amount;
}

std::uint8_t PlayerReplicationInfoWrapper::GetTeamNum() const {
  if (!memory_address) return 255;
  const auto* info = ObjectAt<simhost::SimPlayerInfo>(memory_address);
  const auto access = info->match->Read();
  return info->team;
}

BoostWrapper VehicleWrapper::GetBoostComponent() const {
  if (!memory_address) return BoostWrapper();
  auto* car = static_cast<simhost::SimCar*>(Actor(memory_address));
  const auto access = car->match->Read();
  return BoostWrapper(car->hasBoostComponent ? ActorAddress(&car->boostComponent) : 0);
}

PriWrapper VehicleWrapper::GetPRI() const {
  if (!memory_address) return PriWrapper();
  auto* car = static_cast<simhost::SimCar*>(Actor(memory_address));
  const auto access = car->match->Read();
  return PriWrapper(car->hasPlayerInfo ? AddressOf(&car->playerInfo) : 0);
}

std::string CarWrapper::GetOwnerName() const {
  if (!memory_address) return std::string();
  const auto* car = static_cast<const simhost::SimCar*>(Actor(memory_address));
  const auto access = car->match->Read();
  return car->owner;
}

CarWrapper PlayerControllerWrapper::GetCar() const {
  if (!memory_address) return CarWrapper();
  const auto* controller = ObjectAt<simhost::SimController>(memory_address);
  const auto access = controller->match->Read();
  return CarWrapper(ActorAddress(controller->car));
}

// ---------------------------------------------------------------------------
// The car list, game events, servers

std::int32_t ArrayWrapper<CarWrapper>::Count() const {
  if (!memory_address) return 0;
  const std::size_t size = ObjectAt<Match>(memory_address)->Read()->cars().size();
  constexpr auto kMost = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
  return static_cast<std::int32_t>(size < kMost ? size : kMost);
}

CarWrapper ArrayWrapper<CarWrapper>::Get(std::int32_t index) const {
  if (!memory_address || index < 0) return CarWrapper();
  const auto at = static_cast<std::size_t>(index);
  const auto state = ObjectAt<Match>(memory_address)->Read();
  const auto& cars = state->cars();
  return CarWrapper(at < cars.size() ? ActorAddress(cars[at].get()) : 0);
}

ArrayWrapper<CarWrapper> GameEventWrapper::GetCars() const {
  if (!memory_address) return ArrayWrapper<CarWrapper>();
  // The match a game event belongs to never changes: no lock needed.
  return ArrayWrapper<CarWrapper>(AddressOf(Actor(memory_address)->match));
}

CarWrapper ServerWrapper::GetGameCar() const {
  if (!memory_address) return CarWrapper();
  return CarWrapper(ActorAddress(Actor(memory_address)->match->Read()->localCar));
}

BallWrapper ServerWrapper::GetBall() const {
  if (!memory_address) return BallWrapper();
  const auto state = Actor(memory_address)->match->Read();
  return BallWrapper(state->hasBall ? ActorAddress(&state->ball) : 0);
}

// ---------------------------------------------------------------------------
// GameWrapper

namespace {

// Whether the session's match is in a game of `mode`.
bool PlaysIn(const HostSession* session, simhost::GameMode mode) {
  if (!session) return false;
  return session->match->Read()->mode == mode;
}

// The match's server, while its game is of `mode` and the server not made
// null; a null server otherwise.
ServerWrapper ServerIn(const HostSession* session, simhost::GameMode mode) {
  if (!session) return ServerWrapper();
  const auto state = session->match->Read();
  const bool present = state->mode == mode && !state->serverNull;
  return ServerWrapper(present ? ActorAddress(&state->server) : 0);
}

}  // namespace

bool GameWrapper::IsInGame() const { return PlaysIn(session_, simhost::GameMode::kHosted); }

bool GameWrapper::IsInOnlineGame() const { return PlaysIn(session_, simhost::GameMode::kOnline); }

ServerWrapper GameWrapper::GetGameEventAsServer() const {
  return ServerIn(session_, simhost::GameMode::kHosted);
}

ServerWrapper GameWrapper::GetOnlineGame() const {
  return ServerIn(session_, simhost::GameMode::kOnline);
}

CameraWrapper GameWrapper::GetCamera() const {
  if (!session_) return CameraWrapper();
  const auto state = session_->match->Read();
  return CameraWrapper(state->hasCamera ? ActorAddress(&state->camera) : 0);
}

void GameWrapper::HookPlayerControllerPost(std::string eventName, CallerHook callback) {
  if (!session_ || !session_->active.load() || !callback) return;
  session_->callbacks->AddHook(session_->id, std::move(eventName), std::move(callback));
}

void GameWrapper::UnhookEvent(std::string eventName) {
  if (!session_) return;
  session_->callbacks->RemoveHooks(session_->id, eventName);
}

void GameWrapper::RegisterDrawable(Drawable callback) {
  if (!session_ || !session_->active.load() || !callback) return;
  session_->callbacks->AddDrawable(session_->id, std::move(callback));
}

void GameWrapper::UnregisterDrawables() {
  if (!session_) return;
  session_->callbacks->RemoveDrawables(session_->id);
}

// ---------------------------------------------------------------------------
// Console

CVarWrapper CVarManagerWrapper::registerCvar(std::string name, std::string defaultValue,
                                             std::string description, bool searchable,
                                             bool hasMin, float min, bool hasMax, float max,
                                             bool saveToConfig) {
  if (!session_) return CVarWrapper();
  simhost::Variable& variable = session_->console->Register(
      name, defaultValue, description, searchable, hasMin, min, hasMax, max, saveToConfig);
  return CVarWrapper(AddressOf(&session_->HandleFor(variable)));
}

void CVarManagerWrapper::log(std::string text) {
  if (!session_) return;
  session_->console->Log(text);
}

namespace {

template <typename T>
void Bind(std::uintptr_t address, std::shared_ptr<T> slot) {
  if (!address || !slot) return;
  auto* handle = ObjectAt<HostSession::CVarHandle>(address);
  HostSession* session = handle->session;
  if (!session->active.load()) return;
  session->console->Bind(*handle->variable, simhost::Binding{session->id, std::move(slot)});
}

}  // namespace

void CVarWrapper::bindTo(std::shared_ptr<bool> slot) { Bind(memory_address, std::move(slot)); }
void CVarWrapper::bindTo(std::shared_ptr<int> slot) { Bind(memory_address, std::move(slot)); }
void CVarWrapper::bindTo(std::shared_ptr<float> slot) { Bind(memory_address, std::move(slot)); }

// ---------------------------------------------------------------------------
// Canvas: the recording canvas of the frame being drawn

Vector2 CanvasWrapper::GetSize() const {
  if (!memory_address) return Vector2{};
  return ObjectAt<simhost::SimCanvas>(memory_address)->match->Read()->canvasSize;
}

Vector2 CanvasWrapper::Project(Vector location) const {
  if (!memory_address) return Vector2{};
  const auto* canvas = ObjectAt<simhost::SimCanvas>(memory_address);
  return simhost::ProjectOnCanvas(*canvas->match->Read(), location);
}

void CanvasWrapper::SetColor(char red, char green, char blue, char alpha) {
  if (!memory_address) return;
  const auto* canvas = ObjectAt<simhost::SimCanvas>(memory_address);
  simhost::DrawCall call;
  call.kind = simhost::DrawCall::Kind::kColor;
  call.color[0] = static_cast<std::uint8_t>(red);
  call.color[1] = static_cast<std::uint8_t>(green);
  call.color[2] = static_cast<std::uint8_t>(blue);
  call.color[3] = static_cast<std::uint8_t>(alpha);
  if (canvas->frame) canvas->frame->push_back(call);
  if (canvas->listener) {
    std::lock_guard<std::mutex> lock(*canvas->listenerLock);
    canvas->listener->OnColor(call.color[0], call.color[1], call.color[2], call.color[3]);
  }
}

void CanvasWrapper::DrawLine(Vector2 start, Vector2 end, float width) {
  if (!memory_address) return;
  const auto* canvas = ObjectAt<simhost::SimCanvas>(memory_address);
  simhost::DrawCall call;
  call.kind = simhost::DrawCall::Kind::kLine;
  call.start = start;
  call.end = end;
  call.width = width;
  if (canvas->frame) canvas->frame->push_back(call);
  if (canvas->listener) {
    std::lock_guard<std::mutex> lock(*canvas->listenerLock);
    canvas->listener->OnLine(start, end, width);
  }
}
