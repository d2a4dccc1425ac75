#pragma once

#include "ObjectWrapper.h"
#include "Vector.h"

// An object placed in the world: car, ball, boost component, camera, game
// event. Getters on a null actor give zero values; setters on one do nothing.
class HOST_API ActorWrapper : public ObjectWrapper {
 public:
  using ObjectWrapper::ObjectWrapper;

  Vector GetLocation() const;
  void SetLocation(Vector location);
  Vector GetVelocity() const;
  void SetVelocity(Vector velocity);
  Vector GetAngularVelocity() const;
  // The flag is the engine's "add to current" switch; the plugin always
  // passes false, which sets the value as given.
  void SetAngularVelocity(Vector angularVelocity, bool addToCurrent);
  Rotator GetRotation() const;
  void SetRotation(Rotator rotation);
};
