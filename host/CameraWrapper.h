#pragma once

#include "ActorWrapper.h"

// The local player's camera.
class HOST_API CameraWrapper : public ActorWrapper {
 public:
  using ActorWrapper::ActorWrapper;
};
