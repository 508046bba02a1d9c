// Floor of the installed path, first kind: a program that only starts the game through the shell.
// Under Wine most of a GUI program's start-up cost is its first window, which this floor does not
// make; it shows what the shell request alone costs.
#include "floor_common_win.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    bench::StartGame(nullptr);
    return 0;
}
