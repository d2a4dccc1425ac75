#pragma once

#include "ObjectWrapper.h"
#include "Vector.h"

// The surface of one drawn frame. Valid only during the draw callback it is
// handed to.
class HOST_API CanvasWrapper : public ObjectWrapper {
 public:
  using ObjectWrapper::ObjectWrapper;

  // Width and height in pixels.
  Vector2 GetSize() const;
  // The canvas point at which a world location appears.
  Vector2 Project(Vector location) const;
  // The colour of the lines drawn after it; one byte each.
  void SetColor(char red, char green, char blue, char alpha);
  void DrawLine(Vector2 start, Vector2 end, float width);
};
