// Floor of the offer path: one window of the launcher's size and frame (caption, system menu,
// minimise box, no sizing border), centred on the desktop and shown; it ends when it is closed.
// No pictures, no controls: the least a program that shows such a window does.
#include "floor_common_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    bench::UseCommonControlsIfAsked();
    bench::RegisterFloorClass(instance, "FloorOffer");
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const int x = work.left + (work.right - work.left - bench::kWindowWidth) / 2;
    const int y = work.top + (work.bottom - work.top - bench::kWindowHeight) / 2;
    HWND window = CreateWindowExA(0, "FloorOffer", "floor", WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN, x,
                                  y, bench::kWindowWidth, bench::kWindowHeight, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, SW_SHOWNORMAL);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
