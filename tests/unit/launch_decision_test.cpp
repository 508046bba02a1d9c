// What the launcher does as its window is first shown: end, start the game, or offer the toolbar.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/run_state.h"
#include "fakes.h"
#include "launch/launch_decision.h"
#include "offer_window/Unit1.h"
#include "platform/io_error.h"
#include "platform/placement.h"

namespace {

using testing::ElementsAre;

const std::string kIni = "zorbal.example\nsearch.zorbal\nZorbalTB\n";
const std::string kToolbarKey = "Software\\ZorbalTB\\toolbar\\IE5";
const std::string kStartPageKey = "Software\\Microsoft\\Internet Explorer\\Main";

class LaunchDecision : public testing::Test {
protected:
    void SetUp() override {
        fakes::ResetRunState();
        form.AttachHost(&host);
        system.log.clear();
    }

    void SetRegistry(bool installed, bool visible, bool homePageSet) {
        if (installed) {
            fakes::FakeRegistry::Key key;
            key.values["Visible"] = fakes::FakeRegistry::Text(visible ? "TRUE" : "FALSE");
            system.registry.keys[kToolbarKey] = key;
        }
        fakes::FakeRegistry::Key main;
        main.values["Start Page"] = fakes::FakeRegistry::Text(homePageSet ? "http://www.zorbal.example/" : "about:blank");
        system.registry.keys[kStartPageKey] = main;
    }

    // The first display of the window, as the application's message loop does it.
    void ShowWindow() { form.Show(); }

    fakes::FakeSystem system;
    fakes::FakeFormHost host{system.log};
    TForm1 form{system.services};
};

TEST_F(LaunchDecision, AllThreeFlagsStartTheGameAfterTheQuitRequest) {
    system.GameFolder(kIni);
    SetRegistry(true, true, true);
    ShowWindow();
    EXPECT_THAT(system.log, ElementsAre("exists toolbar.ini", "exists ToolbarSetup.exe", "open toolbar.ini", "terminate",
                                        "shell game.exe", "show"));
    ASSERT_EQ(system.shell.requests.size(), 1u);
    EXPECT_EQ(system.shell.requests[0],
              (platform::ShellRequest{0x1234, "open", "game.exe", "target=\"_blank\"", "", 1}));
    EXPECT_EQ(system.shell.requests[0].parameters.size(), 15u);
    EXPECT_TRUE(form.TransparentColor()) << "the window keeps its initial look";
    EXPECT_EQ(form.GetBorderStyle(), platform::BorderStyle::None);
    EXPECT_EQ(StartPagePattern1, "zorbal.example");
    EXPECT_EQ(StartPagePattern2, "search.zorbal");
    EXPECT_EQ(ToolbarKeyName, "ZorbalTB");
}

struct FlagCase {
    bool installed, visible, homePageSet;
};

class OneFlagFalse : public LaunchDecision, public testing::WithParamInterface<FlagCase> {};

TEST_P(OneFlagFalse, SwitchesToTheOfferLookBeforeShowing) {
    system.GameFolder(kIni);
    SetRegistry(GetParam().installed, GetParam().visible, GetParam().homePageSet);
    ShowWindow();
    EXPECT_THAT(system.log, ElementsAre("exists toolbar.ini", "exists ToolbarSetup.exe", "open toolbar.ini",
                                        "colour key off", "border single", "show"));
    EXPECT_TRUE(system.shell.requests.empty());
    EXPECT_FALSE(system.application.quitPosted);
    EXPECT_EQ(ToolbarInstalled, GetParam().installed);
    EXPECT_EQ(ToolbarVisible, GetParam().visible && GetParam().installed);
    EXPECT_EQ(HomePageSet, GetParam().homePageSet);
}

INSTANTIATE_TEST_SUITE_P(Flags, OneFlagFalse,
                         testing::Values(FlagCase{false, false, false}, FlagCase{false, false, true},
                                         FlagCase{true, false, false}, FlagCase{true, false, true},
                                         FlagCase{true, true, false}));

struct CompanionCase {
    const char* name;
    bool ini, iniIsDirectory, installer, installerIsDirectory;
    std::vector<std::string> checks;
};

class MissingCompanion : public LaunchDecision, public testing::WithParamInterface<CompanionCase> {};

TEST_P(MissingCompanion, EndsTheRunWithoutReadingOrStarting) {
    const CompanionCase& c = GetParam();
    if (c.ini) system.files.entries["toolbar.ini"] = {.bytes = kIni, .directory = c.iniIsDirectory};
    if (c.installer) system.files.entries["ToolbarSetup.exe"] = {.bytes = "MZ", .directory = c.installerIsDirectory};
    SetRegistry(true, true, true);
    ShowWindow();
    std::vector<std::string> expected = c.checks;
    expected.insert(expected.end(), {"terminate", "show"});
    EXPECT_EQ(system.log, expected);
    EXPECT_TRUE(system.shell.requests.empty());
    EXPECT_EQ(system.registry.accessorsCreated, 0) << "the probe does not run";
    EXPECT_TRUE(system.application.exceptions.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MissingCompanion,
    testing::Values(CompanionCase{"NoSettings", false, false, true, false, {"exists toolbar.ini"}},
                    CompanionCase{"Nothing", false, false, false, false, {"exists toolbar.ini"}},
                    CompanionCase{"NoInstaller", true, false, false, false,
                                  {"exists toolbar.ini", "exists ToolbarSetup.exe"}},
                    CompanionCase{"SettingsIsADirectory", true, true, true, false, {"exists toolbar.ini"}},
                    CompanionCase{"InstallerIsADirectory", true, false, true, true,
                                  {"exists toolbar.ini", "exists ToolbarSetup.exe"}}),
    [](const testing::TestParamInfo<CompanionCase>& p) { return p.param.name; });

TEST_F(LaunchDecision, EmptySettingsFileOffersTheToolbar) {
    system.GameFolder("");
    SetRegistry(true, true, true);
    ShowWindow();
    EXPECT_FALSE(HomePageSet) << "an empty pattern never matches";
    EXPECT_EQ(form.GetBorderStyle(), platform::BorderStyle::Single);
}

TEST_F(LaunchDecision, AnUnreadableSettingsFileIsReportedThenTheWindowShowsInItsInitialLook) {
    system.GameFolder(kIni);
    system.files.entries["toolbar.ini"].openError = 32;
    SetRegistry(true, true, true);
    ShowWindow();
    EXPECT_THAT(system.log, ElementsAre("exists toolbar.ini", "exists ToolbarSetup.exe", "open toolbar.ini",
                                        "exception: I/O error 32", "show"));
    EXPECT_EQ(system.registry.accessorsCreated, 0);
    EXPECT_FALSE(ToolbarInstalled || ToolbarVisible || HomePageSet);
    EXPECT_TRUE(form.TransparentColor());
}

TEST_F(LaunchDecision, AFailureToCreateTheRegistryAccessorIsReported) {
    system.GameFolder(kIni);
    system.services.openRegistry = []() -> std::unique_ptr<platform::RegistryAccessor> {
        throw std::runtime_error("Out of memory");
    };
    ShowWindow();
    EXPECT_EQ(system.application.exceptions, std::vector<std::string>{"Out of memory"});
    EXPECT_TRUE(form.TransparentColor());
    EXPECT_EQ(system.log.back(), "show");
}

struct MessageCase {
    std::uint32_t code;
    const char* message;
    const char* boxText;
};

class IoMessages : public testing::TestWithParam<MessageCase> {};

TEST_P(IoMessages, FollowTheSystemCode) {
    EXPECT_EQ(platform::IoErrorMessage(GetParam().code), GetParam().message);
    EXPECT_EQ(platform::ExceptionBoxText(platform::InOutError(GetParam().code).what()), GetParam().boxText);
}

INSTANTIATE_TEST_SUITE_P(Codes, IoMessages,
                         testing::Values(MessageCase{2, "File not found", "File not found."},
                                         MessageCase{3, "Invalid filename", "Invalid filename."},
                                         MessageCase{4, "Too many open files", "Too many open files."},
                                         MessageCase{5, "File access denied", "File access denied."},
                                         MessageCase{100, "Read beyond end of file", "Read beyond end of file."},
                                         MessageCase{101, "Disk full", "Disk full."},
                                         MessageCase{106, "Invalid numeric input", "Invalid numeric input."},
                                         MessageCase{32, "I/O error 32", "I/O error 32."},
                                         MessageCase{1, "I/O error 1", "I/O error 1."},
                                         MessageCase{1392, "I/O error 1392", "I/O error 1392."}));

TEST(ExceptionBox, AddsAFullStopOnlyAfterACharacterThatSortsAfterIt) {
    EXPECT_EQ(platform::ExceptionBoxText("Failed."), "Failed.");
    EXPECT_EQ(platform::ExceptionBoxText("Really?"), "Really?.") << "'?' sorts after '.'";
    EXPECT_EQ(platform::ExceptionBoxText("Odd!"), "Odd!") << "'!' sorts before '.'";
    EXPECT_EQ(platform::ExceptionBoxText("ends -"), "ends -");
    EXPECT_EQ(platform::ExceptionBoxText("ends /"), "ends /.");
    EXPECT_EQ(platform::ExceptionBoxText(""), "");
    EXPECT_EQ(platform::ExceptionBoxText("caf\xE9"), "caf\xE9.") << "bytes compare unsigned";
}

struct PlacementCase {
    int desktopWidth, desktopHeight;
    platform::Point expected;
};

class Placement : public testing::TestWithParam<PlacementCase> {};

TEST_P(Placement, CentresOnTheDesktopAndClampsAtZero) {
    EXPECT_EQ(platform::DesktopCentre(GetParam().desktopWidth, GetParam().desktopHeight, 502, 408), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Desktops, Placement,
                         testing::Values(PlacementCase{1024, 768, {261, 180}}, PlacementCase{1025, 769, {261, 180}},
                                         PlacementCase{2048, 768, {773, 180}}, PlacementCase{640, 480, {69, 36}},
                                         PlacementCase{502, 408, {0, 0}}, PlacementCase{400, 300, {0, 0}},
                                         PlacementCase{501, 407, {0, 0}}));

}  // namespace
