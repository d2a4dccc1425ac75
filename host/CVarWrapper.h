#pragma once

#include <memory>

#include "ObjectWrapper.h"

// A handle to one console variable.
class HOST_API CVarWrapper : public ObjectWrapper {
 public:
  using ObjectWrapper::ObjectWrapper;

  // Shares the slot with the host, which writes the variable's value into it
  // at once and at every change from then on.
  void bindTo(std::shared_ptr<bool> slot);
  void bindTo(std::shared_ptr<int> slot);
  void bindTo(std::shared_ptr<float> slot);
};
