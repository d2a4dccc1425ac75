#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "ArrayWrapper.h"
#include "BakkesModPlugin.h"
#include "CanvasWrapper.h"
#include "CarWrapper.h"
#include "PlayerControllerWrapper.h"
#include "ServerWrapper.h"

// Vantorel: on a press of the pickup button in a game hosted here, the local
// player's car exchanges places (and, as configured, motion, rotation and
// boost) with a team-mate's car; an optional overlay marks, every frame, the
// car the next press would choose.
//
// One object per loaded module, owned by the module's static holder (see
// getPlugin). The callbacks it hands the host hold a plain pointer to it, so
// the host must run onUnload before it deletes the object.
//
// The setting slots are owned jointly with the host, which writes each
// console variable's value into its slot; the plugin reads a slot at the
// moment it needs the value. Settings.h describes each console variable.
class VantorelPlugin final : public BakkesMod::Plugin::BakkesModPlugin {
 public:
  void onLoad() override;
  void onUnload() override;

  // The pickup-button hook: exchanges the caller's car with the candidate.
  void SwapCar(PlayerControllerWrapper caller, void* params, std::string eventName);
  // The drawable: marks the car the next press would choose.
  void Render(CanvasWrapper canvas);
  // The index in `carArray` of the car to switch to from `currentCar`; 0 when
  // no car qualifies, -1 after a failure.
  std::int32_t FindCandidateSwitchCar(ArrayWrapper<CarWrapper>& carArray,
                                      CarWrapper& currentCar, bool logDetails);

  std::shared_ptr<bool> enabled;
  std::shared_ptr<bool> setRotation;
  std::shared_ptr<bool> setVelocities;
  std::shared_ptr<bool> setBoost;
  // Written by a press, read by the next press and by every frame; the host
  // may run the two on different threads, so it is stored and loaded as one
  // indivisible 32-bit value, without a lock.
  std::atomic<std::int32_t> lastSwapIndex{0};
  std::shared_ptr<bool> sequentialSwap;
  std::shared_ptr<float> distanceWeight;
  std::shared_ptr<bool> renderEnabled;
  // Registered and saved like the other settings, but read by nothing: no
  // marker is drawn for the car the player drives.
  std::shared_ptr<bool> renderSelected;
  std::shared_ptr<bool> renderNext;
  std::shared_ptr<int> renderThickness;
  std::shared_ptr<int> renderIconSize;
  std::shared_ptr<int> renderIconHeight;

 private:
  // The two ways FindCandidateSwitchCar chooses, as sequentialSwap says:
  // the first team-mate after the last swap's car in list order, or the
  // team-mate best placed to take over from the player.
  std::int32_t FindNextTeammate(ArrayWrapper<CarWrapper>& carArray, CarWrapper& currentCar,
                                bool logDetails);
  std::int32_t FindBestTeammate(ArrayWrapper<CarWrapper>& carArray, CarWrapper& currentCar,
                                bool logDetails);
  // The server of the game in play, `hosted` being what IsInGame just said:
  // the hosted game's, else the online game's, so that the overlay of an
  // online game ranks against its own ball.
  ServerWrapper ServerOfTheCurrentGame(bool hosted) const;
};
