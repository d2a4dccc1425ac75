#pragma once

#include <string>

#include "ActorWrapper.h"
#include "BoostWrapper.h"
#include "PriWrapper.h"

// Anything with wheels and a driver.
class HOST_API VehicleWrapper : public ActorWrapper {
 public:
  using ActorWrapper::ActorWrapper;

  BoostWrapper GetBoostComponent() const;
  PriWrapper GetPRI() const;
};

// A car of the match.
class HOST_API CarWrapper : public VehicleWrapper {
 public:
  using VehicleWrapper::VehicleWrapper;

  std::string GetOwnerName() const;
};
