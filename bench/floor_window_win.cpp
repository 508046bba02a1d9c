// Floor of the installed path, second kind: one hidden window of the launcher's size, then the game
// start through the shell with that window as owner. The launcher's window must exist before it
// decides, so this is the least any launcher of this kind can do.
#include "floor_common_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    bench::UseCommonControlsIfAsked();
    bench::RegisterFloorClass(instance, "FloorWindow");
    HWND window = CreateWindowExA(0, "FloorWindow", "", WS_POPUP, 0, 0, bench::kWindowWidth, bench::kWindowHeight,
                                  nullptr, nullptr, instance, nullptr);
    bench::StartGame(window);
    if (window) DestroyWindow(window);
    return 0;
}
