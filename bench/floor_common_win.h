// What the floor programs share: the game start, made exactly as the launcher makes it.
#pragma once

#include <windows.h>
#include <shellapi.h>
#include <commctrl.h>

namespace bench {

inline constexpr int kWindowWidth = 502;  // the launcher's window, outer size, in both looks
inline constexpr int kWindowHeight = 408;

// One shell request for game.exe in the current directory, not awaited; the result is not examined,
// as the launcher does not examine it either.
inline void StartGame(HWND owner) {
    ShellExecuteA(owner, "open", "game.exe", "target=\"_blank\"", "", SW_SHOWNORMAL);
}

// The *_v6 builds of a floor carry the launcher's manifest (common controls 6, as the launcher's
// check boxes need) and ready the common controls as the launcher does at start; the plain builds
// do neither. The difference between the two is what that manifest costs under Wine.
inline void UseCommonControlsIfAsked() {
#ifdef FLOOR_COMMON_CONTROLS_6
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
#endif
}

// A window class whose procedure only ends the message loop when its window goes.
inline ATOM RegisterFloorClass(HINSTANCE instance, const char* name) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (message == WM_DESTROY) {
            PostQuitMessage(0);
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    };
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = name;
    return RegisterClassExA(&windowClass);
}

}  // namespace bench
