#pragma once

#include "ActorWrapper.h"
#include "ArrayWrapper.h"
#include "BallWrapper.h"
#include "CarWrapper.h"

// A running game: its cars.
class HOST_API GameEventWrapper : public ActorWrapper {
 public:
  using ActorWrapper::ActorWrapper;

  ArrayWrapper<CarWrapper> GetCars() const;
};

// A game event as its server sees it: the local player's car and the ball.
class HOST_API ServerWrapper : public GameEventWrapper {
 public:
  using GameEventWrapper::GameEventWrapper;

  // The local player's car; null when there is none.
  CarWrapper GetGameCar() const;
  // Null on a null server and in a match without a ball.
  BallWrapper GetBall() const;
};
