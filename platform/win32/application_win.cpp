#include "platform/win32/application_win.h"

#include <commctrl.h>

#include "platform/io_error.h"
#include "platform/win32/form_window_win.h"

namespace platform::win32 {

WinApplication::WinApplication() = default;

WinApplication::~WinApplication() {
    mainWindow_.reset();  // the window goes before the form it shows
    mainForm_.reset();
}

void WinApplication::Initialize() {
    // Keep DLLs planted in the game folder out: only the system folder is searched.
    using SetDirectories = BOOL(WINAPI*)(DWORD);
    if (HMODULE kernel = GetModuleHandleA("kernel32.dll")) {
        if (auto set = reinterpret_cast<SetDirectories>(
                reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories"))))
            set(LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
}

void WinApplication::AdoptMainForm(std::unique_ptr<Form> form) {
    mainForm_ = std::move(form);
    mainWindow_ = std::make_unique<FormWindow>(*mainForm_, *this);
}

void WinApplication::Run() {
    if (!mainForm_) return;
    mainForm_->Show();
    MSG message;
    while (!terminated_) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            terminated_ = true;
            break;
        }
        Dispatch(message);
    }
}

bool WinApplication::Dispatch(MSG& message) {
    if (message.message == WM_QUIT) {
        terminated_ = true;
        return false;
    }
    if (!(mainWindow_ && mainWindow_->TranslateDialogKeys(message))) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return true;
}

void WinApplication::Terminate() { PostQuitMessage(0); }

void WinApplication::ProcessMessages() {
    MSG message;
    // The whole queue is served; a quit message only sets the flag, and the draining goes on.
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) Dispatch(message);
}

void WinApplication::ShowException(const std::exception& error) {
    const std::string text = ExceptionBoxText(error.what());
    HWND owner = mainWindow_ ? reinterpret_cast<HWND>(mainWindow_->Handle()) : nullptr;
    MessageBoxA(owner, text.c_str(), title_.c_str(), MB_OK | MB_ICONERROR);
}

Picture LoadPictureResource(const std::string& name) {
    HRSRC found = FindResourceA(nullptr, name.c_str(), MAKEINTRESOURCEA(10));  // RT_RCDATA
    if (!found) return {};
    HGLOBAL loaded = LoadResource(nullptr, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return {};
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return ParseBmp({bytes, SizeofResource(nullptr, found)}).value_or(Picture{});
}

}  // namespace platform::win32
