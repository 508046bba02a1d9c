// bench_probe.exe: the benchmark's stopwatch inside Wine. It starts programs and watches them from a
// second process, the way the user's desktop sees them, and prints one JSON line per measurement.
// Times come from QueryPerformanceCounter, in milliseconds with fractions.
//
//   exit --dir D [--rounds N] [--warmup N] [--settle MS] EXE...
//       starts each EXE (current directory D) in turn and times it from CreateProcessA to its end:
//       {"mode":"exit","exe":E,"round":R,"warmup":B,"ms":T,"exit":N}. Before each start it waits
//       until no game.exe runs and then SETTLE ms more, so one run's game does not slow the next.
//       The order of the programs turns by one each round.
//   show --dir D --size WxH [--rounds N] [--warmup N] [--settle MS] EXE...
//       starts each EXE and times it to the moment a window of size WxH of the process is visible
//       (sampled about every millisecond) and to the moment the process is idle, waiting for input
//       (WaitForInputIdle: the window has been shown and painted); reads its memory counters
//       there, then closes the window (WM_CLOSE) and waits for the end:
//       {"mode":"show","exe":E,"round":R,"warmup":B,"visible_ms":T,"idle_ms":T,"peak_ws":N,
//        "ws":N,"private":N,"exit":N}
//   handoff --dir D --installer EXE --game EXE [--timeout MS] EXE
//       starts EXE in a job object, prints "ready", and times from the installer's end to the game
//       process's creation, as the wineserver reports both through the job's completion port; ends
//       when every process of the job has ended: {"mode":"handoff","exe":E,"end_to_game_ms":T}
//   passes --process EXE --class C [--seconds S] [--gap MS]
//       counts the message passes of the process's thread that owns the window of class C (hidden
//       windows too): sends WM_NULL, which only a message pass answers, waits GAP ms after each
//       answer, and sends the next. {"mode":"passes","count":N,"seconds":T,"per_second":R,
//       "interval_median_ms":T,"interval_min_ms":T,"interval_max_ms":T}
//   close --process EXE --class C --installer EXE [--delay MS]
//       waits DELAY ms, posts WM_CLOSE to that window, and times the installer's end and then the
//       process's end: {"mode":"close","close_to_installer_end_ms":T,"close_to_exit_ms":T}
// Exit status 0 on success, 1 when what it waited for did not come, 2 on a usage error.

#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "handles_win.h"
#include "json_out.h"

namespace {

using testhelp::JsonObject;
using testhelp::UniqueHandle;

double NowMs() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / frequency;
}

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

void Print(const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

class Args {
public:
    Args(int argc, char** argv) : items_(argv + 1, argv + argc) {}

    [[nodiscard]] std::optional<std::string> Value(const char* name) const {
        for (std::size_t i = 0; i + 1 < items_.size(); ++i)
            if (items_[i] == name) return items_[i + 1];
        return std::nullopt;
    }
    [[nodiscard]] long Number(const char* name, long fallback) const {
        const auto v = Value(name);
        return v ? std::strtol(v->c_str(), nullptr, 10) : fallback;
    }
    // Words that are neither an option nor an option's value, after the subcommand.
    [[nodiscard]] std::vector<std::string> Positional() const {
        std::vector<std::string> out;
        for (std::size_t i = 1; i < items_.size(); ++i) {
            if (items_[i].rfind("--", 0) == 0) {
                ++i;
                continue;
            }
            out.push_back(items_[i]);
        }
        return out;
    }
    [[nodiscard]] std::string Command() const { return items_.empty() ? std::string() : items_[0]; }

private:
    std::vector<std::string> items_;
};

int Usage(const char* what) {
    std::fprintf(stderr, "usage: %s\n", what);
    return 2;
}

std::set<DWORD> PidsNamed(const std::string& exe) {
    std::set<DWORD> pids;
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot || snapshot.Get() == INVALID_HANDLE_VALUE) return pids;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL ok = Process32First(snapshot.Get(), &entry); ok; ok = Process32Next(snapshot.Get(), &entry))
        if (_stricmp(entry.szExeFile, exe.c_str()) == 0) pids.insert(entry.th32ProcessID);
    return pids;
}

// Waits until no process of that name runs (the previous run's game), up to the time-out.
void WaitNoneNamed(const std::string& exe, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!PidsNamed(exe).empty() && GetTickCount64() < deadline) Sleep(10);
}

struct Started {
    UniqueHandle process;
    UniqueHandle thread;
    DWORD threadId = 0;
    double startMs = 0;
};

std::optional<Started> Start(const std::string& dir, const std::string& exe) {
    const std::string path = dir + "\\" + exe;
    std::string commandLine = "\"" + path + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION created{};
    Started started;
    started.startMs = NowMs();
    if (!CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &startup,
                        &created)) {
        std::fprintf(stderr, "CreateProcessA %s: error %lu\n", path.c_str(), GetLastError());
        return std::nullopt;
    }
    started.process.Reset(created.hProcess);
    started.thread.Reset(created.hThread);
    started.threadId = created.dwThreadId;
    return started;
}

// The rounds of a run: warm-up rounds (negative numbers) first, the order of the programs turned by
// one each round so that none always follows the same one.
template <typename Measure>
void Rounds(const Args& args, const std::vector<std::string>& exes, Measure measure) {
    const long rounds = args.Number("--rounds", 10);
    const long warmup = args.Number("--warmup", 1);
    const DWORD settle = static_cast<DWORD>(args.Number("--settle", 200));
    for (long round = -warmup; round < rounds; ++round) {
        for (std::size_t i = 0; i < exes.size(); ++i) {
            const std::size_t turn = static_cast<std::size_t>((round + warmup) % static_cast<long>(exes.size()));
            const std::string& exe = exes[(i + turn) % exes.size()];
            WaitNoneNamed("game.exe", 10000);
            Sleep(settle);
            measure(exe, JsonObject().Str("exe", exe).Int("round", round).Bool("warmup", round < 0));
        }
    }
}

int CmdExit(const Args& args) {
    const auto dir = args.Value("--dir");
    const auto exes = args.Positional();
    if (!dir || exes.empty()) return Usage("exit --dir D EXE...");
    int status = 0;
    Rounds(args, exes, [&](const std::string& exe, JsonObject line) {
        auto started = Start(*dir, exe);
        if (!started) {
            status = 1;
            return;
        }
        const DWORD waited = WaitForSingleObject(started->process.Get(), 30000);
        const double ms = NowMs() - started->startMs;
        DWORD exitCode = STILL_ACTIVE;
        GetExitCodeProcess(started->process.Get(), &exitCode);
        if (waited != WAIT_OBJECT_0) {
            TerminateProcess(started->process.Get(), 1);
            status = 1;
        }
        Print(JsonObject(line).Str("mode", "exit").Raw("ms", Number(ms)).Int("exit", exitCode).Text());
    });
    return status;
}

struct WindowSearch {
    int width = 0;
    int height = 0;
    HWND found = nullptr;
};

BOOL CALLBACK MatchVisible(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    RECT r;
    if (IsWindowVisible(window) && GetWindowRect(window, &r) && r.right - r.left == search->width &&
        r.bottom - r.top == search->height) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

int CmdShow(const Args& args) {
    const auto dir = args.Value("--dir");
    const auto size = args.Value("--size");
    const auto exes = args.Positional();
    int width = 0, height = 0;
    if (!dir || !size || exes.empty() || std::sscanf(size->c_str(), "%dx%d", &width, &height) != 2)
        return Usage("show --dir D --size WxH EXE...");
    int status = 0;
    Rounds(args, exes, [&](const std::string& exe, JsonObject line) {
        auto started = Start(*dir, exe);
        if (!started) {
            status = 1;
            return;
        }
        WindowSearch search{width, height};
        const double deadline = started->startMs + 20000;
        while (!search.found && NowMs() < deadline) {
            EnumThreadWindows(started->threadId, MatchVisible, reinterpret_cast<LPARAM>(&search));
            if (search.found || WaitForSingleObject(started->process.Get(), 1) == WAIT_OBJECT_0) break;
        }
        const double visibleMs = NowMs() - started->startMs;
        if (!search.found) {
            std::fprintf(stderr, "%s: no visible %dx%d window\n", exe.c_str(), width, height);
            TerminateProcess(started->process.Get(), 1);
            status = 1;
            return;
        }
        WaitForInputIdle(started->process.Get(), 10000);
        const double idleMs = NowMs() - started->startMs;
        PROCESS_MEMORY_COUNTERS_EX memory{};
        memory.cb = sizeof memory;
        const bool haveMemory = GetProcessMemoryInfo(started->process.Get(),
                                                     reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                                                     sizeof memory) != FALSE;
        PostMessageA(search.found, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(started->process.Get(), 10000) != WAIT_OBJECT_0) {
            TerminateProcess(started->process.Get(), 1);
            status = 1;
        }
        DWORD exitCode = STILL_ACTIVE;
        GetExitCodeProcess(started->process.Get(), &exitCode);
        line.Str("mode", "show").Raw("visible_ms", Number(visibleMs)).Raw("idle_ms", Number(idleMs));
        if (haveMemory) {
            line.Int("peak_ws", static_cast<long long>(memory.PeakWorkingSetSize))
                .Int("ws", static_cast<long long>(memory.WorkingSetSize))
                .Int("private", static_cast<long long>(memory.PrivateUsage));
        }
        Print(line.Int("exit", exitCode).Text());
    });
    return status;
}

std::string ImageName(DWORD pid) {
    UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    char path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (!process || !QueryFullProcessImageNameA(process.Get(), 0, path, &size)) return {};
    const char* slash = std::strrchr(path, '\\');
    return slash ? slash + 1 : path;
}

// Starts EXE inside a job whose completion port reports every process of the job as it is created
// and as it ends. The wineserver posts those reports at the moment it creates or ends the process, so
// the two times need no sampling at all; the probe reads the port without pause.
int CmdHandoff(const Args& args) {
    const auto dir = args.Value("--dir");
    const auto installer = args.Value("--installer");
    const auto game = args.Value("--game");
    const auto exes = args.Positional();
    if (!dir || !installer || !game || exes.size() != 1) return Usage("handoff --dir D --installer EXE --game EXE EXE");
    const DWORD timeout = static_cast<DWORD>(args.Number("--timeout", 60000));
    UniqueHandle job(CreateJobObjectA(nullptr, nullptr));
    UniqueHandle port(CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1));
    JOBOBJECT_ASSOCIATE_COMPLETION_PORT association{};
    association.CompletionKey = job.Get();
    association.CompletionPort = port.Get();
    if (!job || !port ||
        !SetInformationJobObject(job.Get(), JobObjectAssociateCompletionPortInformation, &association,
                                 sizeof association)) {
        std::fprintf(stderr, "job: error %lu\n", GetLastError());
        return 1;
    }
    const std::string path = *dir + "\\" + exes[0];
    std::string commandLine = "\"" + path + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION created{};
    if (!CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        dir->c_str(), &startup, &created)) {
        std::fprintf(stderr, "CreateProcessA %s: error %lu\n", path.c_str(), GetLastError());
        return 1;
    }
    UniqueHandle process(created.hProcess);
    UniqueHandle thread(created.hThread);
    if (!AssignProcessToJobObject(job.Get(), process.Get())) {
        std::fprintf(stderr, "AssignProcessToJobObject: error %lu\n", GetLastError());
        TerminateProcess(process.Get(), 1);
        return 1;
    }
    ResumeThread(thread.Get());
    Print("ready");

    // A new process has no image name yet when it is reported, so names are read as processes end;
    // the reports are kept until the job is empty and matched up afterwards.
    struct Report {
        DWORD message;
        DWORD pid;
        double at;
        std::string name;
    };
    std::vector<Report> reports;
    for (;;) {
        DWORD message = 0;
        ULONG_PTR key = 0;
        OVERLAPPED* detail = nullptr;
        if (!GetQueuedCompletionStatus(port.Get(), &message, &key, &detail, timeout)) {
            std::fprintf(stderr, "no further job report within %lu ms\n", timeout);
            return 1;
        }
        const double at = NowMs();
        if (message == JOB_OBJECT_MSG_ACTIVE_PROCESS_ZERO) break;
        const auto pid = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(detail));
        const bool ended = message == JOB_OBJECT_MSG_EXIT_PROCESS || message == JOB_OBJECT_MSG_ABNORMAL_EXIT_PROCESS;
        reports.push_back({ended ? JOB_OBJECT_MSG_EXIT_PROCESS : message, pid, at, ended ? ImageName(pid) : ""});
    }
    const auto find = [&](DWORD message, const std::string& name, double after) -> const Report* {
        for (const Report& r : reports) {
            if (r.message != JOB_OBJECT_MSG_EXIT_PROCESS || _stricmp(r.name.c_str(), name.c_str()) != 0) continue;
            if (message == JOB_OBJECT_MSG_EXIT_PROCESS && r.at >= after) return &r;
            for (const Report& s : reports)
                if (s.message == message && s.pid == r.pid && s.at >= after) return &s;
        }
        return nullptr;
    };
    const Report* installerEnd = find(JOB_OBJECT_MSG_EXIT_PROCESS, *installer, 0);
    const Report* gameStart = installerEnd ? find(JOB_OBJECT_MSG_NEW_PROCESS, *game, installerEnd->at) : nullptr;
    if (!gameStart) {
        std::fprintf(stderr, "no %s end followed by a %s start in %zu job reports\n", installer->c_str(),
                     game->c_str(), reports.size());
        return 1;
    }
    const double installerEndAt = installerEnd->at;
    const double gameStartAt = gameStart->at;
    Print(JsonObject()
              .Str("mode", "handoff")
              .Str("exe", exes[0])
              .Raw("end_to_game_ms", Number(gameStartAt - installerEndAt))
              .Text());
    return 0;
}

struct ClassSearch {
    std::set<DWORD> pids;
    std::string className;
    HWND found = nullptr;
};

BOOL CALLBACK MatchClass(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<ClassSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char name[256] = {};
    if (search->pids.count(pid) && GetClassNameA(window, name, sizeof name) && search->className == name) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindWindowOf(const std::string& exe, const std::string& className) {
    ClassSearch search{PidsNamed(exe), className};
    EnumWindows(MatchClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

int CmdPasses(const Args& args) {
    const auto exe = args.Value("--process");
    const auto className = args.Value("--class");
    if (!exe || !className) return Usage("passes --process EXE --class C");
    const double seconds = static_cast<double>(args.Number("--seconds", 4));
    const DWORD gap = static_cast<DWORD>(args.Number("--gap", 30));
    HWND window = FindWindowOf(*exe, *className);
    if (!window) {
        std::fprintf(stderr, "no window of class %s in %s\n", className->c_str(), exe->c_str());
        return 1;
    }
    // The first answer only marks the phase; the passes are counted from there.
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &result)) return 1;
    const double first = NowMs();
    std::vector<double> answers{first};
    while (NowMs() - first < seconds * 1000) {
        Sleep(gap);
        if (!SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &result)) break;
        answers.push_back(NowMs());
    }
    std::vector<double> intervals;
    for (std::size_t i = 1; i < answers.size(); ++i) intervals.push_back(answers[i] - answers[i - 1]);
    if (intervals.empty()) return 1;
    const double span = (answers.back() - answers.front()) / 1000;
    Print(JsonObject()
              .Str("mode", "passes")
              .Int("count", static_cast<long long>(intervals.size()))
              .Raw("seconds", Number(span))
              .Raw("per_second", Number(static_cast<double>(intervals.size()) / span))
              .Raw("interval_median_ms", Number(Median(intervals)))
              .Raw("interval_min_ms", Number(*std::min_element(intervals.begin(), intervals.end())))
              .Raw("interval_max_ms", Number(*std::max_element(intervals.begin(), intervals.end())))
              .Text());
    return 0;
}

int CmdClose(const Args& args) {
    const auto exe = args.Value("--process");
    const auto className = args.Value("--class");
    const auto installer = args.Value("--installer");
    if (!exe || !className || !installer) return Usage("close --process EXE --class C --installer EXE");
    HWND window = FindWindowOf(*exe, *className);
    const auto installers = PidsNamed(*installer);
    const auto owners = PidsNamed(*exe);
    if (!window || installers.empty() || owners.empty()) {
        std::fprintf(stderr, "nothing to close: window %p, %zu installers\n", static_cast<void*>(window),
                     installers.size());
        return 1;
    }
    UniqueHandle installerProcess(OpenProcess(SYNCHRONIZE, FALSE, *installers.begin()));
    DWORD ownerPid = 0;
    GetWindowThreadProcessId(window, &ownerPid);
    UniqueHandle ownerProcess(OpenProcess(SYNCHRONIZE, FALSE, ownerPid));
    if (!installerProcess || !ownerProcess) return 1;
    Sleep(static_cast<DWORD>(args.Number("--delay", 0)));
    const double posted = NowMs();
    PostMessageA(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(installerProcess.Get(), 10000) != WAIT_OBJECT_0) return 1;
    const double installerEnded = NowMs();
    if (WaitForSingleObject(ownerProcess.Get(), 10000) != WAIT_OBJECT_0) return 1;
    const double ownerEnded = NowMs();
    Print(JsonObject()
              .Str("mode", "close")
              .Raw("close_to_installer_end_ms", Number(installerEnded - posted))
              .Raw("close_to_exit_ms", Number(ownerEnded - posted))
              .Text());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const Args args(argc, argv);
    const std::string command = args.Command();
    if (command == "exit") return CmdExit(args);
    if (command == "show") return CmdShow(args);
    if (command == "handoff") return CmdHandoff(args);
    if (command == "passes") return CmdPasses(args);
    if (command == "close") return CmdClose(args);
    return Usage("bench_probe (exit|show|handoff|passes|close) ...");
}
