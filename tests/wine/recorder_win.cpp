// recorder.exe: stands in for game.exe and ToolbarSetup.exe in the end-to-end tests. A test copies it
// into a game folder under those names; each copy then tells the test when and how it was started.
//
// On start it appends one JSON line to record.log in the folder of its own program file:
//   {"event":"start","exe":<own file name>,"cmdline":<GetCommandLineA>,"cwd":<current directory>,
//    "pid":N,"ppid":N,"time_ms":<ms since 1970, comparable across processes>}
// and when it ends normally a second one: {"event":"end","exe":...,"pid":N,"time_ms":N,"exit":N}.
// A process that is killed writes no end line, which is how a test sees that it was killed.
//
// Control files beside the program, named after its own stem (for game.exe: game.sleep, game.exit):
//   <stem>.sleep  milliseconds to run before ending, or "forever"; absent: end at once
//   <stem>.exit   the exit code (decimal or 0x hex); absent: 0
// It has no window and no console, so it changes nothing a window test looks at.

// GetSystemTimePreciseAsFileTime needs Windows 8 headers; the build targets Windows 7 otherwise.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0602

#include <windows.h>
#include <tlhelp32.h>

#include <cstdlib>
#include <optional>
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
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::string CurrentDirectory() {
    const DWORD n = GetCurrentDirectoryA(0, nullptr);
    std::string dir(n, '\0');
    const DWORD written = GetCurrentDirectoryA(n, dir.data());
    dir.resize(written);
    return dir;
}

DWORD ParentPid() {
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot || snapshot.Get() == INVALID_HANDLE_VALUE) {
        return 0;
    }
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    const DWORD self = GetCurrentProcessId();
    for (BOOL ok = Process32First(snapshot.Get(), &entry); ok; ok = Process32Next(snapshot.Get(), &entry)) {
        if (entry.th32ProcessID == self) {
            return entry.th32ParentProcessID;
        }
    }
    return 0;
}

std::optional<std::string> ReadSmallFile(const std::string& path) {
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return std::nullopt;
    }
    char buffer[256];
    DWORD read = 0;
    if (!ReadFile(file.Get(), buffer, sizeof buffer - 1, &read, nullptr)) {
        return std::nullopt;
    }
    std::string text(buffer, read);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

// Appends one line with a single write so that the game and the installer, which share the log, never
// interleave within a line. Another copy may hold the file for a moment: retry briefly.
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

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const long long started = NowUnixMs();
    const std::string ownPath = OwnPath();
    const auto slash = ownPath.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? std::string(".") : ownPath.substr(0, slash);
    const std::string fileName = slash == std::string::npos ? ownPath : ownPath.substr(slash + 1);
    const auto dot = fileName.find_last_of('.');
    const std::string stem = dot == std::string::npos ? fileName : fileName.substr(0, dot);
    const std::string logPath = folder + "\\record.log";
    const auto pid = static_cast<long long>(GetCurrentProcessId());

    AppendLine(logPath, JsonObject()
                            .Str("event", "start")
                            .Str("exe", fileName)
                            .Str("cmdline", GetCommandLineA())
                            .Str("cwd", CurrentDirectory())
                            .Int("pid", pid)
                            .Int("ppid", static_cast<long long>(ParentPid()))
                            .Int("time_ms", started)
                            .Text());

    if (const auto sleep = ReadSmallFile(folder + "\\" + stem + ".sleep")) {
        if (*sleep == "forever") {
            Sleep(INFINITE);
        }
        Sleep(static_cast<DWORD>(std::strtoul(sleep->c_str(), nullptr, 0)));
    }
    UINT exitCode = 0;
    if (const auto code = ReadSmallFile(folder + "\\" + stem + ".exit")) {
        exitCode = static_cast<UINT>(std::strtoul(code->c_str(), nullptr, 0));
    }

    AppendLine(logPath, JsonObject()
                            .Str("event", "end")
                            .Str("exe", fileName)
                            .Int("pid", pid)
                            .Int("time_ms", NowUnixMs())
                            .Int("exit", static_cast<long long>(exitCode))
                            .Text());
    ExitProcess(exitCode);
}
