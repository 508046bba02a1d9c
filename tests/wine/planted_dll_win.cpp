// planted.dll: a DLL that only says that it was loaded. The security tests copy it into a game folder
// under the name of a DLL that Windows programs load (comctl32.dll, uxtheme.dll, ...), the way an
// attacker would plant one, and then look whether a program loaded it.
//
// On process attach it appends one line to planted.log in its own folder:
//   <path of the loading program's file>|<path of this DLL as loaded>
// and nothing else: it exports nothing and returns TRUE, so the program goes on as far as it can
// without the real DLL's functions. Only kernel32 is used, and nothing that could wait on another
// thread, since this runs under the loader lock.

#include <windows.h>

namespace {

// The text of GetModuleFileNameA for `module`, always terminated; empty on failure.
void ModulePath(HMODULE module, char (&path)[MAX_PATH]) {
    const DWORD n = GetModuleFileNameA(module, path, MAX_PATH);
    path[n < MAX_PATH ? n : MAX_PATH - 1] = '\0';
}

void Append(HANDLE file, const char* text) {
    DWORD written = 0;
    WriteFile(file, text, static_cast<DWORD>(lstrlenA(text)), &written, nullptr);
}

void RecordLoad(HMODULE self) {
    char dll[MAX_PATH];
    char program[MAX_PATH];
    ModulePath(self, dll);
    ModulePath(nullptr, program);

    char log[MAX_PATH];
    lstrcpynA(log, dll, MAX_PATH);
    char* slash = nullptr;
    for (char* p = log; *p != '\0'; ++p) {
        if (*p == '\\' || *p == '/') slash = p;
    }
    constexpr char kLogName[] = "planted.log";
    if (slash == nullptr || (slash - log) + sizeof kLogName >= MAX_PATH) return;
    lstrcpyA(slash + 1, kLogName);

    HANDLE file = CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    Append(file, program);
    Append(file, "|");
    Append(file, dll);
    Append(file, "\r\n");
    CloseHandle(file);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) RecordLoad(self);
    return TRUE;
}
