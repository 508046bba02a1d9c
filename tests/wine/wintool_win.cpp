// wintool.exe: the end-to-end tests' eyes and hands inside Wine. A second Win32 program sees the
// launcher's windows the way the user's desktop does, and can do to them what another program can.
//
// Every subcommand prints its result on stdout, as one JSON value or as key=value lines, and exits 0
// when it did what was asked, 1 when what it waited for did not come, 2 on a usage error, 3 when a
// system call failed (the error code is printed). Texts are ANSI bytes; read stdout as Latin-1.
//
//   windows [--class C] [--caption T] [--process EXE] [--pid N] [--visible] [--wait MS]
//       the matching top-level windows: {"foreground":H,"windows":[{hwnd, pid, tid, class, caption,
//       visible, enabled, iconic, style, exstyle (without Wine's WS_CLIPSIBLINGS and
//       WS_EX_WINDOWEDGE), raw_style, raw_exstyle, rect [l,t,r,b], size [w,h], client [w,h],
//       client_origin [x,y] (screen), owner, layered {key,alpha,flags} or null, focus and active
//       (GetGUIThreadInfo), children [{hwnd, parent, id, class, text, style, exstyle, visible,
//       enabled, rect (screen), check (buttons: BM_GETCHECK)}]}]}. --wait: poll until one matches.
//   gone [--class C] [--caption T] [--process EXE] [--pid N] [--visible] [--wait MS]
//       waits until no top-level window matches: count=N
//   watch --process EXE [--class C]... [--timeout MS]
//       prints "ready", then waits for EXE to start and end, sampling every window of the given
//       classes that belongs to it every millisecond or so; prints the distinct states it saw and
//       the exit code: {"seen_process":B,"pid":N,"exit":N,"states":[...]}
//   msgbox --caption T [--wait MS] [--ok]
//       the message box (class #32770) with that caption: {hwnd, pid, caption, text (item 0xFFFF),
//       rect, owner, icon {id, style, visible, rect} or null, buttons [{id, text, visible, rect}]},
//       or null; --ok then presses its OK button (BM_CLICK on IDOK).
//   close (--hwnd H | --class C)          posts WM_CLOSE: closed=N
//   endsession (--hwnd H | --class C)     sends WM_QUERYENDSESSION, then WM_ENDSESSION(TRUE):
//                                         query=N
//   hold PATH [--seconds N] [--share N]   opens PATH with GENERIC_WRITE (sharing read and write by
//                                         default), prints held=1 and keeps it open until killed
//   regset KEY NAME TYPE HEX              RegSetValueExA with exactly these bytes (TYPE: REG_SZ,
//                                         REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ,
//                                         REG_NONE, REG_QWORD or a number); creates KEY if needed
//   reglock KEY [--sddl S]                sets the key's DACL (default D:P(A;;KR;;;WD): readable, not
//                                         openable with KEY_ALL_ACCESS); prints the open results
//   regunlock KEY                         gives the key a DACL granting everyone full access again
//   regopen KEY ACCESS                    error=N of RegOpenKeyExA with that access mask
//   regget KEY NAME                       RegQueryValueExA: error=N, type=N, hex=BYTES
//   regdump [KEY]                         the key (default all of HKCU) with every subkey and value,
//                                         one line each: "K PATH" / "V PATH | NAME | TYPE | HEX";
//                                         exact where `reg export` is not (it ends texts at a NUL)
//   procs [--name EXE]                    {"processes":[{"pid","ppid","exe"}]}
//   kill (--pid N | --name EXE...)        TerminateProcess(..., 1) on each: killed=N
//   openread PATH                         error=N of CreateFileA(GENERIC_READ, FILE_SHARE_READ,
//                                         OPEN_EXISTING), the launcher's way of opening toolbar.ini
//   metrics                               {"screen":[w,h],"virtual":[x,y,w,h],"work":[l,t,r,b],
//                                         "monitors":N,"caption":N,"fixed_frame":[cx,cy]}
//   manifest PATH                         the program's own manifest, resource RT_MANIFEST #1 (the one
//                                         Windows applies when it starts the program): hex=BYTES
//   loadlib NAME [--restrict]             LoadLibraryA(NAME) with the ordinary search (--restrict:
//                                         after SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)):
//                                         error=N, path=<file of the module loaded>
// And two programs with a known look, for checking the harness itself:
//   show [--class C] [--caption T] [--style S] [--exstyle E] [--x X --y Y --w W --h H]
//        [--color RRGGBB] [--colorkey RRGGBB] [--checkbox]
//       a window filled with one colour (with --checkbox also a ticked 13 x 13 check box, id 100, at
//       client 20,30); prints hwnd=N, then click=X,Y (client coordinates) for each left-button
//       release on the window itself; ends when the window is closed
//   alert [--caption T] [--text T] [--type N]   MessageBoxA (MB_ICONERROR by default): result=N
// KEY is a path under HKEY_CURRENT_USER, written with or without a leading "HKCU\".

#include <windows.h>
#include <sddl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "handles_win.h"
#include "json_out.h"

namespace {

using testhelp::JsonObject;
using testhelp::JsonString;
using testhelp::UniqueFile;
using testhelp::UniqueHandle;
using testhelp::UniqueHkey;
using testhelp::UniqueLocal;

constexpr int kOk = 0;
constexpr int kNotFound = 1;
constexpr int kUsage = 2;
constexpr int kSystemError = 3;

// Wine adds these to every window it manages; they say nothing about what the program asked for.
constexpr DWORD kStyleNoise = WS_CLIPSIBLINGS;
constexpr DWORD kExStyleNoise = WS_EX_WINDOWEDGE;

void Print(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

int Fail(const char* what, DWORD error) {
    std::printf("error=%lu\nwhat=%s\n", static_cast<unsigned long>(error), what);
    std::fflush(stdout);
    return kSystemError;
}

int Usage(const char* message) {
    std::fprintf(stderr, "wintool: %s\n", message);
    return kUsage;
}

// Command-line options: "--name value" pairs and bare flags, after the subcommand and positionals.
class Args {
public:
    Args(int argc, char** argv, int first) {
        for (int i = first; i < argc; ++i) {
            items_.emplace_back(argv[i]);
        }
    }
    [[nodiscard]] std::optional<std::string> Value(const std::string& name) const {
        for (std::size_t i = 0; i + 1 < items_.size(); ++i) {
            if (items_[i] == name) {
                return items_[i + 1];
            }
        }
        return std::nullopt;
    }
    [[nodiscard]] std::vector<std::string> Values(const std::string& name) const {
        std::vector<std::string> out;
        for (std::size_t i = 0; i + 1 < items_.size(); ++i) {
            if (items_[i] == name) {
                out.push_back(items_[i + 1]);
            }
        }
        return out;
    }
    [[nodiscard]] bool Flag(const std::string& name) const {
        for (const auto& item : items_) {
            if (item == name) {
                return true;
            }
        }
        return false;
    }
    [[nodiscard]] unsigned long long Number(const std::string& name, unsigned long long fallback) const {
        const auto value = Value(name);
        return value ? std::strtoull(value->c_str(), nullptr, 0) : fallback;
    }
    [[nodiscard]] std::string Positional(std::size_t index) const {
        return index < items_.size() ? items_[index] : std::string();
    }
    [[nodiscard]] std::size_t Count() const { return items_.size(); }

private:
    std::vector<std::string> items_;
};

// ASCII case folding: enough for class, process and root-key names, and independent of the locale.
std::string Lower(std::string text) {
    for (auto& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

// ---------------------------------------------------------------------------------------------
// Processes

struct ProcessInfo {
    DWORD pid;
    DWORD ppid;
    std::string exe;
};

std::vector<ProcessInfo> Processes() {
    std::vector<ProcessInfo> out;
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot || snapshot.Get() == INVALID_HANDLE_VALUE) {
        return out;
    }
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL ok = Process32First(snapshot.Get(), &entry); ok; ok = Process32Next(snapshot.Get(), &entry)) {
        out.push_back({entry.th32ProcessID, entry.th32ParentProcessID, entry.szExeFile});
    }
    return out;
}

// Process names compare without regard to case, as Windows itself does for file names.
std::vector<DWORD> PidsNamed(const std::string& exe) {
    std::vector<DWORD> pids;
    const std::string wanted = Lower(exe);
    for (const auto& p : Processes()) {
        if (Lower(p.exe) == wanted) {
            pids.push_back(p.pid);
        }
    }
    return pids;
}

// ---------------------------------------------------------------------------------------------
// Windows

// Styles as the unsigned bit sets they are (GetWindowLongA hands them out as signed LONG).
DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)); }
DWORD ExStyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongA(hwnd, GWL_EXSTYLE)); }

std::string ClassOf(HWND hwnd) {
    char name[256] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

std::string TextOf(HWND hwnd) {
    const int length = GetWindowTextLengthA(hwnd);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(hwnd, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied < 0 ? 0 : copied));
    return text;
}

// snprintf rather than chained std::string operator+: GCC 12 warns falsely (-Wrestrict) on the latter.
std::string RectJson(const RECT& r) {
    char text[96];
    std::snprintf(text, sizeof text, "[%ld,%ld,%ld,%ld]", static_cast<long>(r.left), static_cast<long>(r.top),
                  static_cast<long>(r.right), static_cast<long>(r.bottom));
    return text;
}

std::string PairJson(long a, long b) {
    char text[48];
    std::snprintf(text, sizeof text, "[%ld,%ld]", a, b);
    return text;
}

std::string HwndJson(HWND hwnd) { return std::to_string(reinterpret_cast<ULONG_PTR>(hwnd)); }

// A named CALLBACK, not a lambda: on 32-bit Windows a lambda does not convert to a stdcall pointer.
BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
    return TRUE;
}

std::string ChildrenJson(HWND parent) {
    std::vector<HWND> children;
    EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&children));
    std::vector<std::string> items;
    for (HWND child : children) {
        RECT rect{};
        GetWindowRect(child, &rect);
        const std::string cls = ClassOf(child);
        JsonObject o;
        o.Raw("hwnd", HwndJson(child))
            .Raw("parent", HwndJson(GetParent(child)))
            .Int("id", GetDlgCtrlID(child))
            .Str("class", cls)
            .Str("text", TextOf(child))
            .Int("style", StyleOf(child) & ~kStyleNoise)
            .Int("exstyle", ExStyleOf(child) & ~kExStyleNoise)
            .Bool("visible", IsWindowVisible(child) != FALSE)
            .Bool("enabled", IsWindowEnabled(child) != FALSE)
            .Raw("rect", RectJson(rect));
        if (Lower(cls) == "button") {
            DWORD_PTR check = 0;
            if (SendMessageTimeoutA(child, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &check)) {
                o.Int("check", static_cast<long long>(check));
            }
        }
        items.push_back(o.Text());
    }
    return testhelp::JsonArray(items.data(), items.size());
}

std::string WindowJson(HWND hwnd) {
    DWORD pid = 0;
    const DWORD tid = GetWindowThreadProcessId(hwnd, &pid);
    const DWORD style = StyleOf(hwnd);
    const DWORD exStyle = ExStyleOf(hwnd);
    RECT rect{};
    GetWindowRect(hwnd, &rect);
    RECT client{};
    GetClientRect(hwnd, &client);
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);

    JsonObject o;
    o.Raw("hwnd", HwndJson(hwnd))
        .Int("pid", pid)
        .Int("tid", tid)
        .Str("class", ClassOf(hwnd))
        .Str("caption", TextOf(hwnd))
        .Bool("visible", IsWindowVisible(hwnd) != FALSE)
        .Bool("enabled", IsWindowEnabled(hwnd) != FALSE)
        .Bool("iconic", IsIconic(hwnd) != FALSE)
        .Int("style", style & ~kStyleNoise)
        .Int("exstyle", exStyle & ~kExStyleNoise)
        .Int("raw_style", style)
        .Int("raw_exstyle", exStyle)
        .Raw("rect", RectJson(rect))
        .Raw("size", PairJson(rect.right - rect.left, rect.bottom - rect.top))
        .Raw("client", PairJson(client.right, client.bottom))
        .Raw("client_origin", PairJson(origin.x, origin.y))
        .Raw("owner", HwndJson(GetWindow(hwnd, GW_OWNER)));

    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    if (GetLayeredWindowAttributes(hwnd, &key, &alpha, &flags)) {
        o.Raw("layered", JsonObject().Int("key", key).Int("alpha", alpha).Int("flags", flags).Text());
    } else {
        o.Raw("layered", "null");
    }

    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    if (GetGUIThreadInfo(tid, &gui)) {
        o.Raw("focus", HwndJson(gui.hwndFocus)).Raw("active", HwndJson(gui.hwndActive));
    } else {
        o.Raw("focus", "null").Raw("active", "null");
    }
    o.Raw("children", ChildrenJson(hwnd));
    return o.Text();
}

struct WindowFilter {
    std::optional<std::string> cls;
    std::optional<std::string> caption;
    std::optional<std::string> process;
    std::optional<DWORD> pid;
    bool visibleOnly = false;

    static WindowFilter From(const Args& args) {
        WindowFilter f;
        f.cls = args.Value("--class");
        f.caption = args.Value("--caption");
        f.process = args.Value("--process");
        if (const auto pid = args.Value("--pid")) {
            f.pid = static_cast<DWORD>(std::strtoul(pid->c_str(), nullptr, 0));
        }
        f.visibleOnly = args.Flag("--visible");
        return f;
    }
};

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> all;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&all));
    return all;
}

std::vector<HWND> Matching(const WindowFilter& filter) {
    std::vector<DWORD> pids;
    if (filter.process) {
        pids = PidsNamed(*filter.process);
        if (pids.empty()) {
            return {};
        }
    }
    std::vector<HWND> out;
    for (HWND hwnd : TopLevelWindows()) {
        if (filter.cls && ClassOf(hwnd) != *filter.cls) {
            continue;
        }
        if (filter.caption && TextOf(hwnd) != *filter.caption) {
            continue;
        }
        if (filter.visibleOnly && !IsWindowVisible(hwnd)) {
            continue;
        }
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        if (filter.pid && pid != *filter.pid) {
            continue;
        }
        if (filter.process && std::find(pids.begin(), pids.end(), pid) == pids.end()) {
            continue;
        }
        out.push_back(hwnd);
    }
    return out;
}

// Polls until found() is true or the wait runs out; returns whether it became true.
template <typename Found>
bool WaitFor(DWORD waitMs, Found found) {
    const ULONGLONG deadline = GetTickCount64() + waitMs;
    for (;;) {
        if (found()) {
            return true;
        }
        if (GetTickCount64() >= deadline) {
            return false;
        }
        Sleep(5);
    }
}

int CmdWindows(const Args& args) {
    const auto filter = WindowFilter::From(args);
    std::vector<HWND> found;
    const bool any = WaitFor(static_cast<DWORD>(args.Number("--wait", 0)), [&] {
        found = Matching(filter);
        return !found.empty();
    });
    std::vector<std::string> items;
    for (HWND hwnd : found) {
        items.push_back(WindowJson(hwnd));
    }
    Print(JsonObject()
              .Raw("foreground", HwndJson(GetForegroundWindow()))
              .Raw("windows", testhelp::JsonArray(items.data(), items.size()))
              .Text());
    return any || !args.Value("--wait") ? kOk : kNotFound;
}

int CmdGone(const Args& args) {
    const auto filter = WindowFilter::From(args);
    std::size_t count = 0;
    const bool gone = WaitFor(static_cast<DWORD>(args.Number("--wait", 0)), [&] {
        count = Matching(filter).size();
        return count == 0;
    });
    std::printf("count=%u\n", static_cast<unsigned>(count));
    return gone ? kOk : kNotFound;
}

int CmdClose(const Args& args) {
    std::vector<HWND> targets;
    if (const auto hwnd = args.Value("--hwnd")) {
        targets.push_back(reinterpret_cast<HWND>(static_cast<ULONG_PTR>(std::strtoull(hwnd->c_str(), nullptr, 0))));
    } else if (args.Value("--class")) {
        targets = Matching(WindowFilter::From(args));
    } else {
        return Usage("close needs --hwnd or --class");
    }
    unsigned closed = 0;
    for (HWND hwnd : targets) {
        closed += PostMessageA(hwnd, WM_CLOSE, 0, 0) ? 1U : 0U;
    }
    std::printf("closed=%u\n", closed);
    return closed != 0 ? kOk : kNotFound;
}

int CmdEndSession(const Args& args) {
    HWND hwnd = nullptr;
    if (const auto h = args.Value("--hwnd")) {
        hwnd = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(std::strtoull(h->c_str(), nullptr, 0)));
    } else if (args.Value("--class")) {
        const auto found = Matching(WindowFilter::From(args));
        if (found.empty()) {
            std::printf("count=0\n");
            return kNotFound;
        }
        hwnd = found.front();
    } else {
        return Usage("endsession needs --hwnd or --class");
    }
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(hwnd, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer)) {
        return Fail("WM_QUERYENDSESSION", GetLastError());
    }
    std::printf("query=%llu\n", static_cast<unsigned long long>(answer));
    std::fflush(stdout);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(hwnd, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    return kOk;
}

// One sample of a window, as much as tells its look apart.
using WindowState = std::tuple<ULONG_PTR, std::string, bool, DWORD, DWORD, LONG, LONG, LONG, LONG>;

// Empty when the window went away while it was being sampled: its half-read values would be noise.
std::optional<WindowState> SampleWindow(HWND hwnd, const std::string& cls) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    WindowState state{reinterpret_cast<ULONG_PTR>(hwnd),
                      cls,
                      IsWindowVisible(hwnd) != FALSE,
                      StyleOf(hwnd) & ~kStyleNoise,
                      ExStyleOf(hwnd) & ~kExStyleNoise,
                      r.left,
                      r.top,
                      r.right,
                      r.bottom};
    if (!IsWindow(hwnd)) {
        return std::nullopt;
    }
    return state;
}

int CmdWatch(const Args& args) {
    const auto process = args.Value("--process");
    if (!process) {
        return Usage("watch needs --process");
    }
    const auto classes = args.Values("--class");
    const ULONGLONG deadline = GetTickCount64() + args.Number("--timeout", 10000);
    std::set<WindowState> seen;
    UniqueHandle watched;
    DWORD watchedPid = 0;
    Print("ready");

    const auto sample = [&] {
        for (HWND hwnd : TopLevelWindows()) {
            DWORD pid = 0;
            GetWindowThreadProcessId(hwnd, &pid);
            if (pid != watchedPid) {
                continue;
            }
            const std::string cls = ClassOf(hwnd);
            if (cls.empty()) {
                continue;
            }
            if (classes.empty() || std::find(classes.begin(), classes.end(), cls) != classes.end()) {
                if (const auto state = SampleWindow(hwnd, cls)) {
                    seen.insert(*state);
                }
            }
        }
    };

    bool ended = false;
    while (GetTickCount64() < deadline) {
        if (!watched) {
            const auto pids = PidsNamed(*process);
            if (pids.empty()) {
                Sleep(1);
                continue;
            }
            watchedPid = pids.front();
            watched.Reset(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, watchedPid));
            if (!watched) {
                return Fail("OpenProcess", GetLastError());
            }
        }
        sample();
        if (WaitForSingleObject(watched.Get(), 1) == WAIT_OBJECT_0) {
            ended = true;
            break;
        }
    }

    DWORD exitCode = STILL_ACTIVE;
    if (watched) {
        GetExitCodeProcess(watched.Get(), &exitCode);
    }
    std::vector<std::string> states;
    for (const auto& [hwnd, cls, visible, style, exStyle, left, top, right, bottom] : seen) {
        states.push_back(JsonObject()
                             .Int("hwnd", static_cast<long long>(hwnd))
                             .Str("class", cls)
                             .Bool("visible", visible)
                             .Int("style", style)
                             .Int("exstyle", exStyle)
                             .Raw("rect", RectJson(RECT{left, top, right, bottom}))
                             .Text());
    }
    Print(JsonObject()
              .Bool("seen_process", watchedPid != 0)
              .Bool("ended", ended)
              .Int("pid", watchedPid)
              .Int("exit", static_cast<long long>(exitCode))
              .Raw("states", testhelp::JsonArray(states.data(), states.size()))
              .Text());
    return ended ? kOk : kNotFound;
}

int CmdMsgBox(const Args& args) {
    const auto caption = args.Value("--caption");
    if (!caption) {
        return Usage("msgbox needs --caption");
    }
    HWND box = nullptr;
    WaitFor(static_cast<DWORD>(args.Number("--wait", 0)), [&] {
        box = FindWindowA("#32770", caption->c_str());
        return box != nullptr && IsWindowVisible(box);
    });
    if (box == nullptr) {
        Print("null");
        return kNotFound;
    }

    char text[4096] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    DWORD pid = 0;
    GetWindowThreadProcessId(box, &pid);
    RECT rect{};
    GetWindowRect(box, &rect);

    std::string icon = "null";
    std::vector<std::string> buttons;
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::string cls = Lower(ClassOf(child));
        const DWORD style = StyleOf(child);
        RECT r{};
        GetWindowRect(child, &r);
        if (cls == "static" && (style & SS_TYPEMASK) == static_cast<DWORD>(SS_ICON)) {
            icon = JsonObject()
                       .Int("id", GetDlgCtrlID(child))
                       .Int("style", style)
                       .Bool("visible", IsWindowVisible(child) != FALSE)
                       .Raw("rect", RectJson(r))
                       .Text();
        } else if (cls == "button") {
            buttons.push_back(JsonObject()
                                  .Int("id", GetDlgCtrlID(child))
                                  .Str("text", TextOf(child))
                                  .Bool("visible", IsWindowVisible(child) != FALSE)
                                  .Raw("rect", RectJson(r))
                                  .Text());
        }
    }
    Print(JsonObject()
              .Raw("hwnd", HwndJson(box))
              .Int("pid", pid)
              .Str("caption", TextOf(box))
              .Str("text", text)
              .Raw("rect", RectJson(rect))
              .Raw("owner", HwndJson(GetWindow(box, GW_OWNER)))
              .Raw("icon", icon)
              .Raw("buttons", testhelp::JsonArray(buttons.data(), buttons.size()))
              .Text());

    if (args.Flag("--ok")) {
        HWND ok = GetDlgItem(box, IDOK);
        DWORD_PTR ignored = 0;
        if (ok == nullptr || !SendMessageTimeoutA(ok, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored)) {
            return Fail("BM_CLICK", GetLastError());
        }
    }
    return kOk;
}

int CmdHold(const Args& args) {
    const std::string path = args.Positional(0);
    if (path.empty() || path.rfind("--", 0) == 0) {
        return Usage("hold needs a path");
    }
    const auto share = static_cast<DWORD>(args.Number("--share", FILE_SHARE_READ | FILE_SHARE_WRITE));
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (!file) {
        return Fail("CreateFileA", GetLastError());
    }
    Print("held=1");
    const auto seconds = args.Value("--seconds");
    Sleep(seconds ? static_cast<DWORD>(std::strtoul(seconds->c_str(), nullptr, 0) * 1000UL) : INFINITE);
    return kOk;
}

// ---------------------------------------------------------------------------------------------
// Registry

std::string SubKey(std::string key) {
    if (Lower(key) == "hkcu" || Lower(key) == "hkey_current_user") {
        return {};
    }
    for (const char* prefix : {"HKCU\\", "HKEY_CURRENT_USER\\"}) {
        const std::size_t n = std::strlen(prefix);
        if (key.size() >= n && Lower(key.substr(0, n)) == Lower(prefix)) {
            return key.substr(n);
        }
    }
    return key;
}

std::optional<DWORD> TypeNamed(const std::string& name) {
    static const std::pair<const char*, DWORD> kTypes[] = {
        {"REG_NONE", REG_NONE},         {"REG_SZ", REG_SZ},           {"REG_EXPAND_SZ", REG_EXPAND_SZ},
        {"REG_BINARY", REG_BINARY},     {"REG_DWORD", REG_DWORD},     {"REG_DWORD_BIG_ENDIAN", REG_DWORD_BIG_ENDIAN},
        {"REG_MULTI_SZ", REG_MULTI_SZ}, {"REG_QWORD", REG_QWORD},
    };
    for (const auto& [n, t] : kTypes) {
        if (name == n) {
            return t;
        }
    }
    char* end = nullptr;
    const unsigned long value = std::strtoul(name.c_str(), &end, 0);
    if (!name.empty() && end != nullptr && *end == '\0') {
        return static_cast<DWORD>(value);
    }
    return std::nullopt;
}

std::optional<std::string> FromHex(const std::string& hex) {
    if (hex.size() % 2 != 0) {
        return std::nullopt;
    }
    std::string bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        char* end = nullptr;
        const std::string pair = hex.substr(i, 2);
        const unsigned long value = std::strtoul(pair.c_str(), &end, 16);
        if (end == nullptr || *end != '\0') {
            return std::nullopt;
        }
        bytes += static_cast<char>(value);
    }
    return bytes;
}

int CmdRegSet(const Args& args) {
    if (args.Count() < 4) {
        return Usage("regset KEY NAME TYPE HEX");
    }
    const auto type = TypeNamed(args.Positional(2));
    const auto data = FromHex(args.Positional(3));
    if (!type || !data) {
        return Usage("regset: bad TYPE or HEX");
    }
    UniqueHkey key;
    LONG rc = RegCreateKeyExA(HKEY_CURRENT_USER, SubKey(args.Positional(0)).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, key.Put(), nullptr);
    if (rc != ERROR_SUCCESS) {
        return Fail("RegCreateKeyExA", static_cast<DWORD>(rc));
    }
    const std::string name = args.Positional(1);
    rc = RegSetValueExA(key.Get(), name.c_str(), 0, *type, reinterpret_cast<const BYTE*>(data->data()),
                        static_cast<DWORD>(data->size()));
    if (rc != ERROR_SUCCESS) {
        return Fail("RegSetValueExA", static_cast<DWORD>(rc));
    }
    std::printf("ok=1\n");
    return kOk;
}

LONG OpenResult(const std::string& subKey, REGSAM access) {
    UniqueHkey key;
    return RegOpenKeyExA(HKEY_CURRENT_USER, subKey.c_str(), 0, access, key.Put());
}

int SetKeyDacl(const std::string& subKey, const std::string& sddl) {
    UniqueHkey key;
    LONG rc = RegOpenKeyExA(HKEY_CURRENT_USER, subKey.c_str(), 0, WRITE_DAC | READ_CONTROL, key.Put());
    if (rc != ERROR_SUCCESS) {
        return Fail("RegOpenKeyExA", static_cast<DWORD>(rc));
    }
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr)) {
        return Fail("ConvertStringSecurityDescriptorToSecurityDescriptorA", GetLastError());
    }
    UniqueLocal owned(descriptor);
    rc = RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, descriptor);
    if (rc != ERROR_SUCCESS) {
        return Fail("RegSetKeySecurity", static_cast<DWORD>(rc));
    }
    std::printf("all_access_error=%ld\nread_error=%ld\n", OpenResult(subKey, KEY_ALL_ACCESS),
                OpenResult(subKey, STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS));
    return kOk;
}

int CmdRegLock(const Args& args) {
    if (args.Count() < 1) {
        return Usage("reglock KEY [--sddl S]");
    }
    return SetKeyDacl(SubKey(args.Positional(0)), args.Value("--sddl").value_or("D:P(A;;KR;;;WD)"));
}

int CmdRegUnlock(const Args& args) {
    if (args.Count() < 1) {
        return Usage("regunlock KEY");
    }
    return SetKeyDacl(SubKey(args.Positional(0)), "D:(A;OICI;KA;;;WD)");
}

int CmdRegOpen(const Args& args) {
    if (args.Count() < 2) {
        return Usage("regopen KEY ACCESS");
    }
    const auto access = static_cast<REGSAM>(std::strtoul(args.Positional(1).c_str(), nullptr, 0));
    std::printf("error=%ld\n", OpenResult(SubKey(args.Positional(0)), access));
    return kOk;
}

std::string ToHex(const BYTE* data, std::size_t size) {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (std::size_t i = 0; i < size; ++i) {
        hex += kDigits[data[i] >> 4];
        hex += kDigits[data[i] & 0x0F];
    }
    return hex;
}

int CmdRegGet(const Args& args) {
    if (args.Count() < 2) {
        return Usage("regget KEY NAME");
    }
    UniqueHkey key;
    LONG rc = RegOpenKeyExA(HKEY_CURRENT_USER, SubKey(args.Positional(0)).c_str(), 0, KEY_QUERY_VALUE, key.Put());
    if (rc != ERROR_SUCCESS) {
        std::printf("error=%ld\n", rc);
        return kNotFound;
    }
    const std::string name = args.Positional(1);
    DWORD type = 0;
    DWORD size = 0;
    rc = RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type, nullptr, &size);
    std::vector<BYTE> data(size);
    if (rc == ERROR_SUCCESS) {
        rc = RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type, data.data(), &size);
    }
    if (rc != ERROR_SUCCESS) {
        std::printf("error=%ld\n", rc);
        return kNotFound;
    }
    std::printf("error=0\ntype=%lu\nhex=%s\n", static_cast<unsigned long>(type), ToHex(data.data(), size).c_str());
    return kOk;
}

std::string Utf8(const wchar_t* text, int length) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), n, nullptr, nullptr);
    return out;
}

// One line per key and per value, in enumeration order: the registry as it is stored (UTF-16
// names, raw data bytes), unlike `reg export`, which ends texts at their first NUL.
void DumpKey(HKEY parent, const std::wstring& subKey, const std::string& path, std::string& out) {
    UniqueHkey key;
    const LONG rc = RegOpenKeyExW(parent, subKey.c_str(), 0, KEY_READ, key.Put());
    if (rc != ERROR_SUCCESS) {
        out += "K " + path + " error=" + std::to_string(rc) + "\n";
        return;
    }
    out += "K " + path + "\n";
    std::vector<wchar_t> name(16384);
    std::vector<BYTE> data(1 << 16);
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataSize = static_cast<DWORD>(data.size());
        DWORD type = 0;
        LONG value = RegEnumValueW(key.Get(), i, name.data(), &nameLength, nullptr, &type, data.data(), &dataSize);
        if (value == ERROR_MORE_DATA) {
            data.resize(dataSize);
            nameLength = static_cast<DWORD>(name.size());
            value = RegEnumValueW(key.Get(), i, name.data(), &nameLength, nullptr, &type, data.data(), &dataSize);
        }
        if (value != ERROR_SUCCESS) {
            break;
        }
        out += "V " + path + " | " + Utf8(name.data(), static_cast<int>(nameLength)) + " | " +
               std::to_string(type) + " | " + ToHex(data.data(), dataSize) + "\n";
    }
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        if (RegEnumKeyExW(key.Get(), i, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        const std::wstring child(name.data(), nameLength);
        DumpKey(key.Get(), child, path + "\\" + Utf8(child.data(), static_cast<int>(child.size())), out);
    }
}

int CmdRegDump(const Args& args) {
    const std::string sub = args.Count() > 0 ? SubKey(args.Positional(0)) : std::string();
    const int n = MultiByteToWideChar(CP_ACP, 0, sub.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, sub.c_str(), -1, wide.data(), n);
    wide.resize(wide.size() - 1);
    std::string out;
    DumpKey(HKEY_CURRENT_USER, wide, "HKCU" + (sub.empty() ? std::string() : "\\" + sub), out);
    std::fwrite(out.data(), 1, out.size(), stdout);
    return kOk;
}

int CmdProcs(const Args& args) {
    const auto name = args.Value("--name");
    std::vector<std::string> items;
    for (const auto& p : Processes()) {
        if (name && Lower(p.exe) != Lower(*name)) {
            continue;
        }
        items.push_back(JsonObject().Int("pid", p.pid).Int("ppid", p.ppid).Str("exe", p.exe).Text());
    }
    Print(JsonObject().Raw("processes", testhelp::JsonArray(items.data(), items.size())).Text());
    return kOk;
}

int CmdKill(const Args& args) {
    std::vector<DWORD> pids;
    if (const auto pid = args.Value("--pid")) {
        pids.push_back(static_cast<DWORD>(std::strtoul(pid->c_str(), nullptr, 0)));
    }
    for (const auto& name : args.Values("--name")) {
        const auto named = PidsNamed(name);
        pids.insert(pids.end(), named.begin(), named.end());
    }
    if (!args.Value("--pid") && !args.Value("--name")) {
        return Usage("kill needs --pid or --name");
    }
    unsigned killed = 0;
    for (DWORD pid : pids) {
        UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
        if (process && TerminateProcess(process.Get(), 1)) {
            WaitForSingleObject(process.Get(), 5000);
            ++killed;
        }
    }
    std::printf("killed=%u\n", killed);
    return kOk;
}

int CmdOpenRead(const Args& args) {
    const std::string path = args.Positional(0);
    if (path.empty()) {
        return Usage("openread needs a path");
    }
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    std::printf("error=%lu\n", file ? 0UL : static_cast<unsigned long>(GetLastError()));
    return kOk;
}

// ---------------------------------------------------------------------------------------------
// Modules

struct ModuleTraits {
    using Handle = HMODULE;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { FreeLibrary(h); }
};
using UniqueModule = testhelp::Unique<ModuleTraits>;

int CmdManifest(const Args& args) {
    const std::string path = args.Positional(0);
    if (path.empty()) {
        return Usage("manifest needs a path");
    }
    UniqueModule module(
        LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    if (!module) {
        return Fail("LoadLibraryExA", GetLastError());
    }
    HRSRC found = FindResourceA(module.Get(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
    HGLOBAL loaded = found ? LoadResource(module.Get(), found) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (data == nullptr) {
        std::printf("error=%lu\n", static_cast<unsigned long>(GetLastError()));
        return kNotFound;
    }
    std::printf("hex=%s\n", ToHex(static_cast<const BYTE*>(data), SizeofResource(module.Get(), found)).c_str());
    return kOk;
}

int CmdLoadLib(const Args& args) {
    const std::string name = args.Positional(0);
    if (name.empty() || name.rfind("--", 0) == 0) {
        return Usage("loadlib needs a DLL name");
    }
    if (args.Flag("--restrict")) {
        // Found at run time, as Windows 7 has it only with an update.
        using SetDirectories = BOOL(WINAPI*)(DWORD);
        const auto set = reinterpret_cast<SetDirectories>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
        if (set == nullptr || !set(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
            return Fail("SetDefaultDllDirectories", GetLastError());
        }
    }
    UniqueModule module(LoadLibraryA(name.c_str()));
    if (!module) {
        std::printf("error=%lu\n", static_cast<unsigned long>(GetLastError()));
        return kNotFound;
    }
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(module.Get(), path, MAX_PATH);
    std::printf("error=0\npath=%s\n", std::string(path, n < MAX_PATH ? n : 0).c_str());
    return kOk;
}

// ---------------------------------------------------------------------------------------------
// Windows of our own, so the harness can check itself against known looks before the launcher exists.

constexpr int kCheckBoxX = 20;
constexpr int kCheckBoxY = 30;
constexpr int kCheckBoxId = 100;

COLORREF ParseRgb(const std::string& hex) {
    const unsigned long v = std::strtoul(hex.c_str(), nullptr, 16);
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

LRESULT CALLBACK ShowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_LBUTTONUP:
            std::printf("click=%d,%d\n", static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
            std::fflush(stdout);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

int CmdShow(const Args& args) {
    const std::string cls = args.Value("--class").value_or("WintoolShow");
    const COLORREF color = ParseRgb(args.Value("--color").value_or("ff0000"));
    testhelp::Unique<testhelp::GdiBrushTraits> brush(CreateSolidBrush(color));
    WNDCLASSA wc{};
    wc.lpfnWndProc = ShowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = brush.Get();
    wc.lpszClassName = cls.c_str();
    if (!RegisterClassA(&wc)) {
        return Fail("RegisterClassA", GetLastError());
    }
    const auto style = static_cast<DWORD>(args.Number("--style", WS_OVERLAPPEDWINDOW));
    const auto exStyle = static_cast<DWORD>(args.Number("--exstyle", 0));
    HWND hwnd = CreateWindowExA(exStyle, cls.c_str(), args.Value("--caption").value_or("wintool").c_str(), style,
                                static_cast<int>(args.Number("--x", 10)), static_cast<int>(args.Number("--y", 10)),
                                static_cast<int>(args.Number("--w", 200)), static_cast<int>(args.Number("--h", 100)),
                                nullptr, nullptr, wc.hInstance, nullptr);
    if (hwnd == nullptr) {
        return Fail("CreateWindowExA", GetLastError());
    }
    if (const auto key = args.Value("--colorkey")) {
        SetLayeredWindowAttributes(hwnd, ParseRgb(*key), 255, LWA_COLORKEY);
    }
    if (args.Flag("--checkbox")) {
        HWND box = CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, kCheckBoxX,
                                   kCheckBoxY, 13, 13, hwnd, reinterpret_cast<HMENU>(kCheckBoxId), wc.hInstance, nullptr);
        SendMessageA(box, BM_SETCHECK, BST_CHECKED, 0);
    }
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    std::printf("hwnd=%llu\n", static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(hwnd)));
    std::fflush(stdout);
    MSG msg{};
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

int CmdAlert(const Args& args) {
    const auto caption = args.Value("--caption").value_or("wintool");
    const auto text = args.Value("--text").value_or("");
    const auto type = static_cast<UINT>(args.Number("--type", MB_OK | MB_ICONERROR));
    const int result = MessageBoxA(nullptr, text.c_str(), caption.c_str(), type);
    std::printf("result=%d\n", result);
    return kOk;
}

int CmdMetrics() {
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    Print(JsonObject()
              .Raw("screen", PairJson(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)))
              .Raw("virtual", RectJson(RECT{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                                            GetSystemMetrics(SM_CXVIRTUALSCREEN),
                                            GetSystemMetrics(SM_CYVIRTUALSCREEN)}))
              .Raw("work", RectJson(work))
              .Int("monitors", GetSystemMetrics(SM_CMONITORS))
              .Int("caption", GetSystemMetrics(SM_CYCAPTION))
              .Raw("fixed_frame", PairJson(GetSystemMetrics(SM_CXFIXEDFRAME), GetSystemMetrics(SM_CYFIXEDFRAME)))
              .Text());
    return kOk;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return Usage("usage: wintool SUBCOMMAND [ARGS]; see the head of wintool_win.cpp");
    }
    const std::string command = argv[1];
    const Args args(argc, argv, 2);
    if (command == "windows") return CmdWindows(args);
    if (command == "gone") return CmdGone(args);
    if (command == "watch") return CmdWatch(args);
    if (command == "msgbox") return CmdMsgBox(args);
    if (command == "close") return CmdClose(args);
    if (command == "endsession") return CmdEndSession(args);
    if (command == "hold") return CmdHold(args);
    if (command == "regset") return CmdRegSet(args);
    if (command == "reglock") return CmdRegLock(args);
    if (command == "regunlock") return CmdRegUnlock(args);
    if (command == "regopen") return CmdRegOpen(args);
    if (command == "regget") return CmdRegGet(args);
    if (command == "regdump") return CmdRegDump(args);
    if (command == "procs") return CmdProcs(args);
    if (command == "kill") return CmdKill(args);
    if (command == "metrics") return CmdMetrics();
    if (command == "openread") return CmdOpenRead(args);
    if (command == "manifest") return CmdManifest(args);
    if (command == "loadlib") return CmdLoadLib(args);
    if (command == "show") return CmdShow(args);
    if (command == "alert") return CmdAlert(args);
    return Usage(("unknown subcommand " + command).c_str());
}
