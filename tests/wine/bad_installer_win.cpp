// bad_installer.exe: an installer that misbehaves, for the bad-input tests. A test copies it into a
// game folder as ToolbarSetup.exe; a control file beside it, <stem>.mode, says how it misbehaves:
//   crash       writes through a null pointer (an access violation, which ends the process; the
//               test prefix has Wine's crash dialog turned off)
//   grandchild  starts grandchild.exe from its own folder (not awaited, no handles inherited) and
//               ends at once with exit code 0, leaving the grandchild running
// Before that it appends a start line to record.log beside itself, in the recorder's format plus
// the mode: {"event":"start","exe":...,"cmdline":...,"cwd":...,"pid":N,"ppid":N,"time_ms":N,
// "mode":...}. It has no window and no console.

#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0602  // GetSystemTimePreciseAsFileTime

#include <windows.h>
#include <tlhelp32.h>

#include <string>

#include "handles_win.h"
#include "json_out.h"

namespace {

using testhelp::JsonObject;
using testhelp::UniqueFile;
using testhelp::UniqueHandle;

long long NowUnixMs() {
    FILETIME ft{};
    GetSystemTimePreciseAsFileTime(&ft);
    ULARGE_INTEGER t{};
    t.LowPart = ft.dwLowDateTime;
    t.HighPart = ft.dwHighDateTime;
    constexpr unsigned long long kUnixEpochIn100ns = 116444736000000000ULL;
    return static_cast<long long>((t.QuadPart - kUnixEpochIn100ns) / 10000ULL);
}

std::string OwnPath() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, n < MAX_PATH ? n : 0);
}

std::string CurrentDirectory() {
    char dir[MAX_PATH];
    const DWORD n = GetCurrentDirectoryA(MAX_PATH, dir);
    return std::string(dir, n < MAX_PATH ? n : 0);
}

DWORD ParentPid() {
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot || snapshot.Get() == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    const DWORD self = GetCurrentProcessId();
    for (BOOL ok = Process32First(snapshot.Get(), &entry); ok; ok = Process32Next(snapshot.Get(), &entry)) {
        if (entry.th32ProcessID == self) return entry.th32ParentProcessID;
    }
    return 0;
}

std::string ReadMode(const std::string& path) {
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {};
    char buffer[64];
    DWORD read = 0;
    if (!ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr)) return {};
    std::string mode(buffer, read);
    while (!mode.empty() && (mode.back() == '\n' || mode.back() == '\r' || mode.back() == ' ')) mode.pop_back();
    return mode;
}

// One write per line, retried briefly while another stand-in holds the shared log.
void AppendLine(const std::string& logPath, const std::string& line) {
    const std::string data = line + "\r\n";
    for (int attempt = 0; attempt < 200; ++attempt) {
        UniqueFile file(CreateFileA(logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            DWORD written = 0;
            WriteFile(file.Get(), data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
            return;
        }
        Sleep(10);
    }
}

void Crash() {
    volatile int* volatile nowhere = nullptr;
    *nowhere = 1;
}

void StartGrandchild(const std::string& folder) {
    const std::string program = folder + "\\grandchild.exe";
    std::string commandLine = "\"" + program + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION created{};
    if (CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &created)) {
        CloseHandle(created.hThread);
        CloseHandle(created.hProcess);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const long long started = NowUnixMs();
    const std::string ownPath = OwnPath();
    const auto slash = ownPath.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? std::string(".") : ownPath.substr(0, slash);
    const std::string fileName = slash == std::string::npos ? ownPath : ownPath.substr(slash + 1);
    const auto dot = fileName.find_last_of('.');
    const std::string stem = dot == std::string::npos ? fileName : fileName.substr(0, dot);
    const std::string mode = ReadMode(folder + "\\" + stem + ".mode");

    AppendLine(folder + "\\record.log", JsonObject()
                                            .Str("event", "start")
                                            .Str("exe", fileName)
                                            .Str("cmdline", GetCommandLineA())
                                            .Str("cwd", CurrentDirectory())
                                            .Int("pid", static_cast<long long>(GetCurrentProcessId()))
                                            .Int("ppid", static_cast<long long>(ParentPid()))
                                            .Int("time_ms", started)
                                            .Str("mode", mode)
                                            .Text());
    if (mode == "crash") Crash();
    if (mode == "grandchild") StartGrandchild(folder);
    return 0;
}
