#pragma once
#include "platform/controls.h"
#include "platform/form.h"
#include "platform/services.h"

namespace handoff {

// What PLAY does: hide the window and disable PLAY before anything can re-enter, serve the queue
// once, run the installer as often as the probe found necessary (each run awaited), start the game
// and close the window, which ends the launcher. Nothing that fails on the way stops these steps.
void PlayHandoff(platform::Services& services, platform::Form& window, platform::PaintedControl& playButton);

// How many installer runs the probe flags call for: 0, 1 or 2.
[[nodiscard]] int InstallerRunsNeeded(bool installed, bool visible, bool homePageSet);

}  // namespace handoff
