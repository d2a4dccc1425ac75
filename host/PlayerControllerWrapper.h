#pragma once

#include "CarWrapper.h"
#include "ObjectWrapper.h"

// The controller through which a player drives a car.
class HOST_API PlayerControllerWrapper : public ObjectWrapper {
 public:
  using ObjectWrapper::ObjectWrapper;

  // The car this controller drives; null when it drives none.
  CarWrapper GetCar() const;
};
