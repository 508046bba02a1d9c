#pragma once
// The launcher's state for one run: the one window, the settings read from toolbar.ini and what the
// registry probe found. Set once during start-up; read by the offer and the hand-off.
#include <string>

class TForm1;

extern TForm1* Form1;

// toolbar.ini lines 1, 2 and 3.
extern std::string StartPagePattern1;
extern std::string StartPagePattern2;
extern std::string ToolbarKeyName;

// Written only by the registry probe; false until it says otherwise.
extern bool ToolbarInstalled;
extern bool ToolbarVisible;
extern bool HomePageSet;
