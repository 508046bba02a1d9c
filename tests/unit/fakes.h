#pragma once
// Small stand-ins for the system, for tests of the launcher's logic. Each records what was asked of
// it in an EventLog shared by a test, so that the order of effects can be checked in one place.
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/application.h"
#include "platform/files.h"
#include "platform/form.h"
#include "platform/io_error.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/services.h"
#include "platform/shell.h"

namespace fakes {

using EventLog = std::vector<std::string>;

class FakeApplication final : public platform::Application {
public:
    explicit FakeApplication(EventLog& log) : log_(log) {}
    void Terminate() override {
        log_.push_back("terminate");
        quitPosted = true;
    }
    void ProcessMessages() override {
        log_.push_back("pass");
        ++passes;
        if (onPass) onPass(passes);
        // The quit message is taken by the first pass after it was posted.
        if (quitPosted) terminated = true;
    }
    bool Terminated() const override { return terminated; }
    void ShowException(const std::exception& error) override {
        log_.push_back(std::string("exception: ") + error.what());
        exceptions.emplace_back(error.what());
    }

    bool quitPosted = false;
    bool terminated = false;
    int passes = 0;
    std::function<void(int pass)> onPass;
    std::vector<std::string> exceptions;

private:
    EventLog& log_;
};

// A file's bytes, handed out a few at a time so reads cross buffer boundaries.
class FakeByteSource final : public platform::ByteSource {
public:
    FakeByteSource(std::string bytes, std::size_t chunk, std::optional<std::uint32_t> readError,
                   std::optional<std::uint32_t> closeError, int& bytesRead)
        : bytes_(std::move(bytes)), chunk_(chunk), readError_(readError), closeError_(closeError), bytesRead_(bytesRead) {}
    std::size_t Read(std::span<char> buffer) override {
        if (readError_) throw platform::InOutError(*readError_);
        const std::size_t n = std::min({buffer.size(), chunk_, bytes_.size() - position_});
        bytes_.copy(buffer.data(), n, position_);
        position_ += n;
        bytesRead_ += static_cast<int>(n);
        return n;
    }
    void Close() override {
        if (closeError_) throw platform::InOutError(*closeError_);
    }

private:
    std::string bytes_;
    std::size_t chunk_;
    std::size_t position_ = 0;
    std::optional<std::uint32_t> readError_;
    std::optional<std::uint32_t> closeError_;
    int& bytesRead_;
};

class FakeFileSystem final : public platform::FileSystem {
public:
    struct Entry {
        std::string bytes;
        bool directory = false;
        std::optional<std::uint32_t> openError;
        std::optional<std::uint32_t> readError;
        std::optional<std::uint32_t> closeError;
    };
    explicit FakeFileSystem(EventLog& log) : log_(log) {}

    bool FileExists(const std::string& name) override {
        log_.push_back("exists " + name);
        const auto found = entries.find(name);
        return found != entries.end() && !found->second.directory;
    }
    std::unique_ptr<platform::ByteSource> OpenForReading(const std::string& name) override {
        log_.push_back("open " + name);
        const auto found = entries.find(name);
        if (found == entries.end()) throw platform::InOutError(2);
        if (found->second.openError) throw platform::InOutError(*found->second.openError);
        const Entry& e = found->second;
        return std::make_unique<FakeByteSource>(e.bytes, chunk, e.readError, e.closeError, bytesRead);
    }

    std::map<std::string, Entry> entries;
    std::size_t chunk = 7;
    int bytesRead = 0;

private:
    EventLog& log_;
};

// A hive of keys by full path; each key can be made unreadable (counts as absent) or unopenable.
class FakeRegistry {
public:
    struct Value {
        platform::RegistryType type = platform::RegistryType::String;
        std::string data;  // the stored bytes, NULs included
    };
    struct Key {
        bool readable = true;  // KeyExists and OpenKey succeed
        bool openable = true;  // OpenKey succeeds
        bool failDataRead = false;
        std::map<std::string, Value> values;
    };

    // A text value as the registry stores it: the bytes and a terminating NUL.
    static Value Text(const std::string& text, platform::RegistryType type = platform::RegistryType::String) {
        return {type, text + std::string(1, '\0')};
    }

    std::map<std::string, Key> keys;
    int accessorsCreated = 0;
    int accessorsReleased = 0;
    int keysOpen = 0;  // right now, across accessors
    std::vector<std::string> asked;  // KeyExists and OpenKey paths, in order

    [[nodiscard]] platform::RegistryFactory Factory();
};

class FakeShell final : public platform::Shell {
public:
    explicit FakeShell(EventLog& log) : log_(log) {}
    void Execute(const platform::ShellRequest& request) override {
        log_.push_back("shell " + request.file);
        requests.push_back(request);
    }
    std::vector<platform::ShellRequest> requests;

private:
    EventLog& log_;
};

// Children that run for a set number of waits. A killed child ends after `linger` more waits.
class FakeProcessRunner final : public platform::ProcessRunner {
public:
    struct Script {
        bool created = true;
        int waitsToEnd = 1;  // the wait on which the child is seen ended; -1: never by itself
        int linger = 0;      // waits a killed child still runs
        bool waitFails = false;
    };
    explicit FakeProcessRunner(EventLog& log) : log_(log) {}

    std::unique_ptr<platform::ChildProcess> Start(const platform::ProcessStart& start) override;

    std::vector<Script> scripts;  // one per start; the last repeats
    std::vector<platform::ProcessStart> starts;
    int released = 0;
    int live = 0;

private:
    EventLog& log_;
};

class FakeFormHost final : public platform::FormHost {
public:
    explicit FakeFormHost(EventLog& log) : log_(log) {}
    platform::WindowHandle Handle() const override { return 0x1234; }
    void ApplyTransparentColor(bool on, platform::Rgb) override { log_.push_back(on ? "colour key on" : "colour key off"); }
    void ApplyBorderStyle(platform::BorderStyle style) override {
        log_.push_back(style == platform::BorderStyle::Single ? "border single" : "border none");
    }
    void PlaceAndShow() override { log_.push_back("show"); }
    void Hide() override { log_.push_back("hide"); }
    void Invalidate(const platform::Rect&) override { ++invalidations; }
    bool IsChecked(const platform::CheckBoxControl& box) const override {
        const auto found = checked.find(box.Name());
        return found == checked.end() ? box.InitiallyChecked() : found->second;
    }

    std::map<std::string, bool> checked;
    int invalidations = 0;

private:
    EventLog& log_;
};

// Everything a test needs to run the launcher's logic, wired together.
struct FakeSystem {
    EventLog log;
    FakeApplication application{log};
    FakeFileSystem files{log};
    FakeShell shell{log};
    FakeProcessRunner processes{log};
    FakeRegistry registry;
    std::map<std::string, platform::Picture> pictures;
    platform::Services services{application, files, shell, processes, registry.Factory(),
                                [this](const std::string& name) { return PictureNamed(name); }};

    // Distinct pictures per name unless a test sets them, so a copy can be told from another.
    platform::Picture PictureNamed(const std::string& name);
    // A game folder with both companions and the given toolbar.ini.
    void GameFolder(const std::string& ini);
};

// Resets the run state the launcher keeps for one run.
void ResetRunState();

}  // namespace fakes
