// Running the installer while the message queue is served, and what PLAY does from the click to the
// end of the launcher.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>

#include "app/run_state.h"
#include "fakes.h"
#include "handoff/run_and_wait.h"
#include "offer_window/Unit1.h"
#include "platform/pointer_router.h"

namespace {

using fakes::EventLog;
using Script = fakes::FakeProcessRunner::Script;

const platform::ProcessStart kInstaller{"ToolbarSetup.exe", "ToolbarSetup.exe /s -silent"};
const std::string kStartChild1 = "start child 1: ToolbarSetup.exe | ToolbarSetup.exe /s -silent";

// A wait that never returns would hang the suite instead of failing it: no case here needs more
// passes than this.
constexpr int kPassLimit = 1000;

void OnPass(fakes::FakeApplication& application, std::function<void(int pass)> also = {}) {
    application.onPass = [also = std::move(also)](int pass) {
        if (pass > kPassLimit) throw std::runtime_error("still waiting after " + std::to_string(pass) + " passes");
        if (also) also(pass);
    };
}

// --- RunAndWait --------------------------------------------------------------------------------

class RunAndWaitTest : public testing::Test {
protected:
    RunAndWaitTest() { OnPass(system.application); }

    void Run() { handoff::RunAndWait(system.application, system.processes, kInstaller); }

    // Every child that was created has had its handles released.
    void ExpectReleased(int created) const {
        EXPECT_EQ(system.processes.released, created);
        EXPECT_EQ(system.processes.live, 0);
    }

    fakes::FakeSystem system;
};

TEST_F(RunAndWaitTest, ChildThatCannotBeCreatedIsNeitherAwaitedNorServed) {
    system.processes.scripts = {Script{.created = false}};
    Run();
    EXPECT_EQ(system.log, EventLog{"start failed"});
    EXPECT_EQ(system.application.passes, 0);
    ExpectReleased(0);
}

// However long the child runs: one wait of 100 ms first, then one pass after each time-out, and the
// routine returns on the wait that sees the end.
class RunAndWaitLength : public RunAndWaitTest, public testing::WithParamInterface<int> {};

TEST_P(RunAndWaitLength, ServesTheQueueOncePerTimeOut) {
    const int waitsToEnd = GetParam();
    system.processes.scripts = {Script{.waitsToEnd = waitsToEnd}};
    Run();

    EventLog expected{kStartChild1};
    for (int wait = 1; wait < waitsToEnd; ++wait) {
        expected.push_back("wait 100 child 1");
        expected.push_back("pass");
    }
    expected.insert(expected.end(), {"wait 100 child 1", "ended child 1", "release child 1"});
    EXPECT_EQ(system.log, expected);
    EXPECT_EQ(system.application.passes, waitsToEnd - 1);
    ASSERT_EQ(system.processes.starts.size(), 1u);
    EXPECT_EQ(system.processes.starts[0].applicationName, kInstaller.applicationName);
    EXPECT_EQ(system.processes.starts[0].commandLine, kInstaller.commandLine);
    ExpectReleased(1);
}

INSTANTIATE_TEST_SUITE_P(ChildLengths, RunAndWaitLength, testing::Values(1, 2, 5, 50),
                         [](const testing::TestParamInfo<int>& p) { return "EndsOnWait" + std::to_string(p.param); });

// The application is asked to end during the pass with the given number; the child never ends by
// itself and, once killed, goes on running for `linger` waits.
struct EndCase {
    int endAtPass;
    int linger;
};

class RunAndWaitEndRequest : public RunAndWaitTest, public testing::WithParamInterface<EndCase> {};

TEST_P(RunAndWaitEndRequest, KillsAtEveryPassUntilAWaitSeesTheEnd) {
    const EndCase c = GetParam();
    system.processes.scripts = {Script{.waitsToEnd = -1, .linger = c.linger}};
    OnPass(system.application, [&](int pass) {
        if (pass == c.endAtPass) system.application.Terminate();
    });
    Run();

    EventLog expected{kStartChild1};
    for (int pass = 1; pass < c.endAtPass; ++pass) expected.insert(expected.end(), {"wait 100 child 1", "pass"});
    expected.insert(expected.end(), {"wait 100 child 1", "pass", "terminate", "kill 0 child 1"});
    for (int lingering = 0; lingering < c.linger; ++lingering)
        expected.insert(expected.end(), {"wait 100 child 1", "pass", "kill 0 child 1"});
    expected.insert(expected.end(), {"wait 100 child 1", "ended child 1", "release child 1"});
    EXPECT_EQ(system.log, expected);
    ExpectReleased(1);
}

INSTANTIATE_TEST_SUITE_P(Kills, RunAndWaitEndRequest,
                         testing::Values(EndCase{1, 0}, EndCase{1, 3}, EndCase{4, 0}, EndCase{4, 2}),
                         [](const testing::TestParamInfo<EndCase>& p) {
                             return "EndAtPass" + std::to_string(p.param.endAtPass) + "Linger" +
                                    std::to_string(p.param.linger);
                         });

TEST_F(RunAndWaitTest, FailingWaitEndsTheLoop) {
    system.processes.scripts = {Script{.waitsToEnd = -1, .waitFails = true}};
    Run();
    EXPECT_EQ(system.log, (EventLog{kStartChild1, "wait 100 child 1", "release child 1"}));
    EXPECT_EQ(system.application.passes, 0);
    ExpectReleased(1);
}

TEST_F(RunAndWaitTest, NoChildIsStartedOnceTheApplicationIsEnding) {
    system.application.Terminate();
    system.application.ProcessMessages();
    ASSERT_TRUE(system.application.Terminated());
    system.log.clear();

    Run();

    EXPECT_TRUE(system.processes.starts.empty());
    EXPECT_EQ(system.log, EventLog{});
    ExpectReleased(0);
}

// --- The play hand-off -------------------------------------------------------------------------

class PlayHandoffTest : public testing::Test {
protected:
    PlayHandoffTest() {
        fakes::ResetRunState();
        form = std::make_unique<TForm1>(system.services);
        form->AttachHost(&host);
        Form1 = form.get();
        OnPass(system.application);
    }
    ~PlayHandoffTest() override { fakes::ResetRunState(); }

    void SetFlags(bool installed, bool visible, bool homePageSet) {
        ToolbarInstalled = installed;
        ToolbarVisible = visible;
        HomePageSet = homePageSet;
    }

    [[nodiscard]] std::ptrdiff_t Position(const std::string& entry) const {
        const auto found = std::find(system.log.begin(), system.log.end(), entry);
        EXPECT_NE(found, system.log.end()) << "no \"" << entry << "\" in the log";
        return found - system.log.begin();
    }

    const platform::ShellRequest kGameStart{0x1234, "open", "game.exe", "target=\"_blank\"", "", 1};

    fakes::FakeSystem system;
    fakes::FakeFormHost host{system.log};
    std::unique_ptr<TForm1> form;
};

struct FlagCase {
    bool installed, visible, homePageSet;
    int runs;
};

class PlayRuns : public PlayHandoffTest, public testing::WithParamInterface<FlagCase> {};

TEST_P(PlayRuns, RunsTheInstallerAsOftenAsTheProbeRequiresEachAwaited) {
    const FlagCase& c = GetParam();
    SetFlags(c.installed, c.visible, c.homePageSet);
    system.processes.scripts = {Script{.waitsToEnd = 2}};

    form->b_play->Click();

    ASSERT_EQ(system.processes.starts.size(), static_cast<std::size_t>(c.runs));
    for (const platform::ProcessStart& start : system.processes.starts) {
        EXPECT_EQ(start.applicationName, "ToolbarSetup.exe");
        EXPECT_EQ(start.commandLine, "ToolbarSetup.exe /s -silent");
    }
    // Each run is awaited to its end before the next one starts, and the game after the last.
    EventLog milestones;
    for (const std::string& entry : system.log)
        if (entry.rfind("start", 0) == 0 || entry.rfind("ended", 0) == 0 || entry.rfind("shell", 0) == 0)
            milestones.push_back(entry);
    EventLog expected;
    for (int run = 1; run <= c.runs; ++run) {
        expected.push_back("start child " + std::to_string(run) + ": ToolbarSetup.exe | ToolbarSetup.exe /s -silent");
        expected.push_back("ended child " + std::to_string(run));
    }
    expected.push_back("shell game.exe");
    EXPECT_EQ(milestones, expected);
    EXPECT_EQ(system.shell.requests, std::vector<platform::ShellRequest>{kGameStart});
    EXPECT_EQ(system.log.back(), "terminate");
    EXPECT_EQ(system.processes.live, 0);
}

INSTANTIATE_TEST_SUITE_P(ProbeFlags, PlayRuns,
                         testing::Values(FlagCase{false, false, false, 1}, FlagCase{false, false, true, 1},
                                         FlagCase{false, true, false, 1}, FlagCase{false, true, true, 1},
                                         FlagCase{true, false, false, 2}, FlagCase{true, false, true, 1},
                                         FlagCase{true, true, false, 1}, FlagCase{true, true, true, 0}),
                         [](const testing::TestParamInfo<FlagCase>& p) {
                             return std::string(p.param.installed ? "Installed" : "NotInstalled") +
                                    (p.param.visible ? "Visible" : "Hidden") +
                                    (p.param.homePageSet ? "HomePageSet" : "HomePageNotSet");
                         });

TEST_F(PlayHandoffTest, HidesDisablesServesRunsStartsTheGameThenCloses) {
    SetFlags(true, true, false);
    const platform::Picture pictureBefore = form->b_play->GetPicture();
    bool enabledAtFirstPass = true;
    OnPass(system.application, [&](int pass) {
        if (pass == 1) enabledAtFirstPass = form->b_play->Enabled();
    });

    form->b_play->Click();

    EXPECT_EQ(system.log, (EventLog{"hide", "pass", kStartChild1, "wait 100 child 1", "ended child 1",
                                    "release child 1", "shell game.exe", "terminate"}));
    EXPECT_FALSE(enabledAtFirstPass) << "PLAY is disabled before the queue is first served";
    EXPECT_FALSE(form->b_play->Enabled());
    EXPECT_EQ(form->b_play->GetPicture(), pictureBefore) << "disabling leaves PLAY's picture alone";
    EXPECT_EQ(system.shell.requests, std::vector<platform::ShellRequest>{kGameStart});
}

TEST_F(PlayHandoffTest, ClickQueuedBeforeTheHideStartsNoSecondHandoff) {
    SetFlags(false, false, false);
    platform::PointerRouter router(form->PaintedControls());
    const platform::Rect& play = form->b_play->Bounds();
    // The second click of a double-click, delivered by the hand-off's own message pass.
    OnPass(system.application, [&](int pass) {
        if (pass != 1) return;
        router.Press(play.left + 5, play.top + 5);
        router.Release(play.left + 5, play.top + 5);
    });

    form->b_play->Click();

    EXPECT_EQ(system.processes.starts.size(), 1u);
    EXPECT_EQ(std::count(system.log.begin(), system.log.end(), "hide"), 1);
    EXPECT_EQ(system.shell.requests.size(), 1u);
}

TEST_F(PlayHandoffTest, CloseDuringTheFirstOfTwoRunsKillsItSkipsTheSecondAndStillStartsTheGame) {
    SetFlags(true, false, false);
    system.processes.scripts = {Script{.waitsToEnd = -1, .linger = 1}};
    // Pass 1 is the hand-off's own; pass 3 comes while the first installer runs.
    OnPass(system.application, [&](int pass) {
        if (pass == 3) form->Close();
    });

    form->b_play->Click();

    ASSERT_EQ(system.processes.starts.size(), 1u) << "the second run is not started";
    EXPECT_EQ(std::count(system.log.begin(), system.log.end(), "kill 0 child 1"), 2) << "killed, then again";
    EXPECT_LT(Position("kill 0 child 1"), Position("ended child 1"));
    EXPECT_LT(Position("release child 1"), Position("shell game.exe"));
    EXPECT_EQ(system.shell.requests, std::vector<platform::ShellRequest>{kGameStart});
    EXPECT_EQ(system.log.back(), "terminate");
    EXPECT_EQ(system.processes.live, 0);
}

TEST_F(PlayHandoffTest, InstallerThatCannotBeCreatedStillLeadsToTheGame) {
    SetFlags(true, false, false);
    system.processes.scripts = {Script{.created = false}};

    form->b_play->Click();

    EXPECT_EQ(system.log, (EventLog{"hide", "pass", "start failed", "start failed", "shell game.exe", "terminate"}));
    EXPECT_EQ(system.shell.requests, std::vector<platform::ShellRequest>{kGameStart});
}

}  // namespace
