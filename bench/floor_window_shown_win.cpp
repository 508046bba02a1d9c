// Floor of the installed path with what the launcher's start-up must still do after its decision:
// floor (b) with the launcher's manifest (built only as a *_v6 program), whose window has the
// launcher's initial look (borderless, colour key black) and is shown, activated, once the game has
// been started, then destroyed. The launcher shows its window in its initial look at that point too,
// before its message loop takes the quit request; this floor tells that cost apart from the
// launcher's own work.
#include "floor_common_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    bench::UseCommonControlsIfAsked();
    bench::RegisterFloorClass(instance, "FloorWindow");
    HWND window = CreateWindowExA(WS_EX_LAYERED, "FloorWindow", "", WS_POPUP, 0, 0, bench::kWindowWidth,
                                  bench::kWindowHeight, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    SetLayeredWindowAttributes(window, RGB(0, 0, 0), 0, LWA_COLORKEY);
    bench::StartGame(window);
    ShowWindow(window, SW_SHOWNORMAL);
    DestroyWindow(window);
    return 0;
}
