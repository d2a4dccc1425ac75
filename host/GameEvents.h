#pragma once

// The game functions a plugin hooks (GameWrapper::HookEventWithCallerPost),
// by the names the host runs them under. Plugin and host spell each name
// from here, so that a hook and the function it waits for cannot drift apart.

// Run by the player's controller when the pickup button is pressed.
inline constexpr char kPickupEvent[] = "Function TAGame.PlayerController_TA.UsePickup";
