#include "app/run_state.h"

TForm1* Form1 = nullptr;

std::string StartPagePattern1;
std::string StartPagePattern2;
std::string ToolbarKeyName;

bool ToolbarInstalled = false;
bool ToolbarVisible = false;
bool HomePageSet = false;
