#pragma once
#include "platform/shell.h"

namespace launch {

// Starts game.exe through the shell and returns at once; the game is not awaited and no failure is
// reported.
void StartGame(platform::Shell& shell, platform::WindowHandle owner);

}  // namespace launch
