#include "Session.h"

#include <mutex>

HostSession::CVarHandle& HostSession::HandleFor(simhost::Variable& variable) {
  std::lock_guard<std::mutex> lock(handlesMutex_);
  for (const auto& handle : handles_) {
    if (handle->variable == &variable) return *handle;
  }
  handles_.push_back(std::make_unique<CVarHandle>(CVarHandle{this, &variable}));
  return *handles_.back();
}
