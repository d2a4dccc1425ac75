#pragma once

#include "ActorWrapper.h"

// The match ball.
class HOST_API BallWrapper : public ActorWrapper {
 public:
  using ActorWrapper::ActorWrapper;
};
