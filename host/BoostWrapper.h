#pragma once

#include "ActorWrapper.h"

// A car's boost component: the car's boost amount lives here.
class HOST_API BoostWrapper : public ActorWrapper {
 public:
  using ActorWrapper::ActorWrapper;

  float GetCurrentBoostAmount() const;
  void SetBoostAmount(float amount);
};
