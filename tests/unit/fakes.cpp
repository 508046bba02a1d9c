#include "fakes.h"

#include "app/run_state.h"

namespace fakes {
namespace {

class FakeAccessor final : public platform::RegistryAccessor {
public:
    explicit FakeAccessor(FakeRegistry& registry) : registry_(registry) { ++registry_.accessorsCreated; }
    ~FakeAccessor() override {
        CloseKey();
        ++registry_.accessorsReleased;
    }

    bool KeyExists(const std::string& path) override {
        registry_.asked.push_back("exists " + path);
        const auto found = registry_.keys.find(path);
        return found != registry_.keys.end() && found->second.readable;
    }
    bool OpenKey(const std::string& path) override {
        registry_.asked.push_back("open " + path);
        const auto found = registry_.keys.find(path);
        if (found == registry_.keys.end() || !found->second.readable || !found->second.openable) return false;
        CloseKey();
        open_ = &found->second;
        ++registry_.keysOpen;
        return true;
    }
    std::string ReadString(const std::string& valueName) override {
        const auto found = open_->values.find(valueName);
        if (found == open_->values.end()) return {};
        if (open_->failDataRead && !found->second.data.empty())
            throw platform::RegistryError(platform::FailedToGetDataMessage(valueName));
        return platform::DecodeStringValue(valueName, found->second.type, found->second.data);
    }
    void CloseKey() override {
        if (!open_) return;
        open_ = nullptr;
        --registry_.keysOpen;
    }

private:
    FakeRegistry& registry_;
    FakeRegistry::Key* open_ = nullptr;
};

class FakeChild final : public platform::ChildProcess {
public:
    FakeChild(FakeProcessRunner& runner, EventLog& log, FakeProcessRunner::Script script, int number)
        : runner_(runner), log_(log), script_(script), name_("child " + std::to_string(number)) {
        ++runner_.live;
    }
    ~FakeChild() override {
        log_.push_back("release " + name_);
        ++runner_.released;
        --runner_.live;
    }
    platform::WaitResult Wait(std::uint32_t milliseconds) override {
        ++waits_;
        log_.push_back("wait " + std::to_string(milliseconds) + " " + name_);
        if (script_.waitFails) return platform::WaitResult::Failed;
        const bool endedByItself = script_.waitsToEnd >= 0 && waits_ >= script_.waitsToEnd;
        const bool endedByKill = killedAt_ >= 0 && waits_ > killedAt_ + script_.linger;
        if (endedByItself || endedByKill) {
            log_.push_back("ended " + name_);
            return platform::WaitResult::Ended;
        }
        return platform::WaitResult::TimedOut;
    }
    bool Terminate(std::uint32_t exitCode) override {
        log_.push_back("kill " + std::to_string(exitCode) + " " + name_);
        if (killedAt_ < 0) killedAt_ = waits_;
        return true;
    }

private:
    FakeProcessRunner& runner_;
    EventLog& log_;
    FakeProcessRunner::Script script_;
    std::string name_;
    int waits_ = 0;
    int killedAt_ = -1;
};

}  // namespace

platform::RegistryFactory FakeRegistry::Factory() {
    return [this] { return std::make_unique<FakeAccessor>(*this); };
}

std::unique_ptr<platform::ChildProcess> FakeProcessRunner::Start(const platform::ProcessStart& start) {
    starts.push_back(start);
    const int number = static_cast<int>(starts.size());
    const Script script = scripts.empty() ? Script{}
                                          : scripts[std::min(starts.size(), scripts.size()) - 1];
    if (!script.created) {
        log_.push_back("start failed");
        return nullptr;
    }
    log_.push_back("start child " + std::to_string(number) + ": " + start.applicationName + " | " + start.commandLine);
    return std::make_unique<FakeChild>(*this, log_, script, number);
}

platform::Picture FakeSystem::PictureNamed(const std::string& name) {
    const auto found = pictures.find(name);
    if (found != pictures.end()) return found->second;
    // A small picture whose colour comes from the name, and the size the window expects.
    const auto hash = std::hash<std::string>{}(name);
    const platform::Rgb colour{static_cast<std::uint8_t>(hash), static_cast<std::uint8_t>(hash >> 8),
                               static_cast<std::uint8_t>(hash >> 16)};
    const bool background = name == "BACKGROUND";
    return platform::MakePicture(background ? 497 : 146, background ? 376 : 64, colour);
}

void FakeSystem::GameFolder(const std::string& ini) {
    files.entries["toolbar.ini"] = FakeFileSystem::Entry{.bytes = ini};
    files.entries["ToolbarSetup.exe"] = FakeFileSystem::Entry{.bytes = "MZ"};
}

void ResetRunState() {
    Form1 = nullptr;
    StartPagePattern1.clear();
    StartPagePattern2.clear();
    ToolbarKeyName.clear();
    ToolbarInstalled = false;
    ToolbarVisible = false;
    HomePageSet = false;
}

}  // namespace fakes
