// Floor of the hand-off: what PLAY does, with nothing of the launcher's own. It shows one window of
// the launcher's size (as the offer is shown before PLAY), hides it, runs the installer as the
// launcher does, waits for its end with no time-out at all (no message passes, no polling), then
// starts the game with that window as owner. The delay from the installer's end to the game's start
// that it shows is the platform's own.
//
// The window is shown first because showing one sets up what the game start later relies on: under
// Wine, the first activation readies the input method and with it COM, which the shell request would
// otherwise set up on its own time, after the wait.
#include "floor_common_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    bench::RegisterFloorClass(instance, "FloorWait");
    HWND window = CreateWindowExA(0, "FloorWait", "floor", WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0,
                                  bench::kWindowWidth, bench::kWindowHeight, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    ShowWindow(window, SW_HIDE);

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION created{};
    char commandLine[] = "ToolbarSetup.exe /s -silent";
    if (CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS,
                       nullptr, nullptr, &startup, &created)) {
        WaitForSingleObject(created.hProcess, INFINITE);
        CloseHandle(created.hThread);
        CloseHandle(created.hProcess);
    }
    bench::StartGame(window);
    DestroyWindow(window);
    return 0;
}
