#pragma once

#include <cstdint>

#include "ObjectWrapper.h"

// A player's replicated information. Team-mates report equal team numbers.
class HOST_API PlayerReplicationInfoWrapper : public ObjectWrapper {
 public:
  using ObjectWrapper::ObjectWrapper;

  std::uint8_t GetTeamNum() const;
};

// The game's own player information of a car's driver.
class HOST_API PriWrapper : public PlayerReplicationInfoWrapper {
 public:
  using PlayerReplicationInfoWrapper::PlayerReplicationInfoWrapper;
};
