// What the registry probe concludes from the current user's registry.
#include <gtest/gtest.h>

#include "app/run_state.h"
#include "fakes.h"
#include "launch/probe.h"

namespace {

using platform::RegistryType;
using Value = fakes::FakeRegistry::Value;
using Key = fakes::FakeRegistry::Key;

const std::string kFirst = "Software\\ZorbalTB\\toolbar\\IE5";
const std::string kSecond = "Software\\AppDataLow\\Software\\ZorbalTB\\toolbar\\IE5";
const std::string kStartPage = "Software\\Microsoft\\Internet Explorer\\Main";

struct Outcome {
    bool installed, visible, homePageSet, result;
    friend bool operator==(const Outcome&, const Outcome&) = default;
};

std::ostream& operator<<(std::ostream& out, const Outcome& o) {
    return out << "{installed " << o.installed << ", visible " << o.visible << ", home page " << o.homePageSet
               << ", result " << o.result << "}";
}

class Probe : public testing::Test {
protected:
    void SetUp() override {
        fakes::ResetRunState();
        StartPagePattern1 = "zorbal.example";
        StartPagePattern2 = "search.zorbal";
        ToolbarKeyName = "ZorbalTB";
    }

    Outcome Run() {
        const bool result = launch::CheckToolbarState(registry.Factory(), ToolbarInstalled, ToolbarVisible, HomePageSet);
        EXPECT_EQ(registry.accessorsCreated, 1);
        EXPECT_EQ(registry.accessorsReleased, 1) << "the accessor is released on every way out";
        EXPECT_EQ(registry.keysOpen, 0);
        return {ToolbarInstalled, ToolbarVisible, HomePageSet, result};
    }

    static Key WithValue(const std::string& name, Value value) {
        Key key;
        key.values[name] = std::move(value);
        return key;
    }

    fakes::FakeRegistry registry;
};

// The toolbar stage, with a start page that matches so that its effect shows separately.
struct ToolbarCase {
    const char* name;
    std::optional<Key> first, second;
    Outcome expected;
};

class ToolbarStage : public Probe, public testing::WithParamInterface<ToolbarCase> {};

TEST_P(ToolbarStage, SetsTheToolbarFlags) {
    const ToolbarCase& c = GetParam();
    if (c.first) registry.keys[kFirst] = *c.first;
    if (c.second) registry.keys[kSecond] = *c.second;
    registry.keys[kStartPage] = WithValue("Start Page", fakes::FakeRegistry::Text("http://www.zorbal.example/"));
    EXPECT_EQ(Run(), c.expected);
}

Key Visible(const std::string& text, RegistryType type = RegistryType::String) {
    Key key;
    key.values["Visible"] = fakes::FakeRegistry::Text(text, type);
    return key;
}

Key VisibleRaw(RegistryType type, std::string data) {
    Key key;
    key.values["Visible"] = Value{type, std::move(data)};
    return key;
}

Key Unopenable(Key key) {
    key.openable = false;
    return key;
}

Key Unreadable(Key key) {
    key.readable = false;
    return key;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ToolbarStage,
    testing::Values(
        ToolbarCase{"VisibleFalse", Visible("FALSE"), {}, {true, false, true, true}},
        ToolbarCase{"VisibleTrue", Visible("TRUE"), {}, {true, true, true, true}},
        ToolbarCase{"VisibleLowerCase", Visible("false"), {}, {true, true, true, true}},
        ToolbarCase{"VisibleMixedCase", Visible("False"), {}, {true, true, true, true}},
        ToolbarCase{"VisibleTrailingBlank", Visible("FALSE "), {}, {true, true, true, true}},
        ToolbarCase{"VisibleLeadingBlank", Visible(" FALSE"), {}, {true, true, true, true}},
        ToolbarCase{"VisibleZero", Visible("0"), {}, {true, true, true, true}},
        ToolbarCase{"VisibleEmpty", Visible(""), {}, {true, true, true, true}},
        ToolbarCase{"VisibleMissing", Key{}, {}, {true, true, true, true}},
        ToolbarCase{"VisibleNoData", VisibleRaw(RegistryType::Dword, ""), {}, {true, true, true, true}},
        ToolbarCase{"VisibleExpandString", Visible("FALSE", RegistryType::ExpandString), {}, {true, false, true, true}},
        ToolbarCase{"VisibleEndsAtNul", VisibleRaw(RegistryType::String, std::string("FALSE\0TRUE\0", 11)), {},
                    {true, false, true, true}},
        ToolbarCase{"VisibleWithoutNul", VisibleRaw(RegistryType::String, "FALSE"), {}, {true, false, true, true}},
        ToolbarCase{"VisibleDwordZero", VisibleRaw(RegistryType::Dword, std::string(4, '\0')), {},
                    {true, false, false, false}},
        ToolbarCase{"VisibleDword", VisibleRaw(RegistryType::Dword, std::string("\1\0\0\0", 4)), {},
                    {true, false, false, false}},
        ToolbarCase{"VisibleMultiString", VisibleRaw(RegistryType::MultiString, std::string("FALSE\0\0", 7)), {},
                    {true, false, false, false}},
        ToolbarCase{"VisibleBinary", VisibleRaw(RegistryType::Binary, "FALSE"), {}, {true, false, false, false}},
        ToolbarCase{"KeyNotOpenable", Unopenable(Visible("TRUE")), {}, {true, false, true, true}},
        ToolbarCase{"SecondLocationOnly", {}, Visible("TRUE"), {true, true, true, true}},
        ToolbarCase{"SecondLocationFalse", {}, Visible("FALSE"), {true, false, true, true}},
        ToolbarCase{"FirstLocationWins", Visible("FALSE"), Visible("TRUE"), {true, false, true, true}},
        ToolbarCase{"FirstLocationWinsTheOtherWay", Visible("TRUE"), Visible("FALSE"), {true, true, true, true}},
        ToolbarCase{"FirstUnopenableSecondNotConsulted", Unopenable(Visible("TRUE")), Visible("TRUE"),
                    {true, false, true, true}},
        ToolbarCase{"FirstUnreadableCountsAsAbsent", Unreadable(Visible("FALSE")), Visible("TRUE"),
                    {true, true, true, true}},
        ToolbarCase{"NeitherLocation", {}, {}, {false, false, true, true}}),
    [](const testing::TestParamInfo<ToolbarCase>& p) { return p.param.name; });

TEST_F(Probe, SecondLocationIsOnlyLookedAtWhenTheFirstIsMissing) {
    registry.keys[kFirst] = Visible("TRUE");
    registry.keys[kSecond] = Visible("TRUE");
    Run();
    for (const std::string& asked : registry.asked) EXPECT_EQ(asked.find("AppDataLow"), std::string::npos) << asked;
}

TEST_F(Probe, AFailedDataReadEndsTheProbeWithTheFlagsWrittenSoFar) {
    Key key = Visible("TRUE");
    key.failDataRead = true;
    registry.keys[kFirst] = key;
    registry.keys[kStartPage] = WithValue("Start Page", fakes::FakeRegistry::Text("http://www.zorbal.example/"));
    EXPECT_EQ(Run(), (Outcome{true, false, false, false}));
}

// The start-page stage, with the toolbar visible at its first location.
struct StartPageCase {
    const char* name;
    std::optional<Key> key;
    std::string pattern1, pattern2;
    Outcome expected;
};

class StartPageStage : public Probe, public testing::WithParamInterface<StartPageCase> {};

TEST_P(StartPageStage, SetsHomePageSet) {
    const StartPageCase& c = GetParam();
    StartPagePattern1 = c.pattern1;
    StartPagePattern2 = c.pattern2;
    registry.keys[kFirst] = Visible("TRUE");
    if (c.key) registry.keys[kStartPage] = *c.key;
    EXPECT_EQ(Run(), c.expected);
}

Key StartPage(const std::string& text) {
    Key key;
    key.values["Start Page"] = fakes::FakeRegistry::Text(text);
    return key;
}

Key StartPageRaw(RegistryType type, std::string data) {
    Key key;
    key.values["Start Page"] = Value{type, std::move(data)};
    return key;
}

const Outcome kSet{true, true, true, true};
const Outcome kNotSet{true, true, false, true};

INSTANTIATE_TEST_SUITE_P(
    Cases, StartPageStage,
    testing::Values(
        StartPageCase{"KeyMissing", {}, "zorbal", "search", kNotSet},
        StartPageCase{"KeyUnreadable", Unreadable(StartPage("http://zorbal/")), "zorbal", "search", kNotSet},
        StartPageCase{"KeyNotOpenable", Unopenable(StartPage("http://zorbal/")), "zorbal", "search", kNotSet},
        StartPageCase{"ValueMissing", Key{}, "zorbal", "search", kNotSet},
        StartPageCase{"ValueEmpty", StartPage(""), "zorbal", "search", kNotSet},
        StartPageCase{"PatternOneInside", StartPage("http://www.zorbal.example/home"), "zorbal", "search", kSet},
        StartPageCase{"PatternTwoOnly", StartPage("http://search.example/"), "zorbal", "search", kSet},
        StartPageCase{"Neither", StartPage("http://elsewhere.example/"), "zorbal", "search", kNotSet},
        StartPageCase{"PatternAtStart", StartPage("zorbal.example/"), "zorbal", "", kSet},
        StartPageCase{"PatternAtEnd", StartPage("http://www.zorbal"), "zorbal", "", kSet},
        StartPageCase{"PatternIsWholePage", StartPage("zorbal"), "zorbal", "", kSet},
        StartPageCase{"PatternLongerThanPage", StartPage("zorb"), "zorbal", "", kNotSet},
        StartPageCase{"LetterCaseDiffers", StartPage("http://www.Zorbal.example/"), "zorbal", "ZORBAL", kNotSet},
        StartPageCase{"BothPatternsEmpty", StartPage("http://www.zorbal.example/"), "", "", kNotSet},
        StartPageCase{"EmptyFirstPatternSecondMatches", StartPage("http://www.zorbal.example/"), "", "zorbal", kSet},
        StartPageCase{"PageEndsAtNul", StartPageRaw(RegistryType::String, std::string("http://x/\0zorbal\0", 17)),
                      "zorbal", "", kNotSet},
        StartPageCase{"ExpandString", StartPageRaw(RegistryType::ExpandString, "%HOME%/zorbal"), "zorbal", "", kSet},
        StartPageCase{"OtherTypeWithData", StartPageRaw(RegistryType::Binary, "zorbal"), "zorbal", "",
                      Outcome{true, true, false, false}}),
    [](const testing::TestParamInfo<StartPageCase>& p) { return p.param.name; });

// Key names go into the paths exactly as they are held.
struct KeyNameCase {
    const char* name;
    std::string keyName;
    std::string firstPath, secondPath;
};

class KeyNames : public Probe, public testing::WithParamInterface<KeyNameCase> {};

TEST_P(KeyNames, GoIntoThePathsUnchanged) {
    ToolbarKeyName = GetParam().keyName;
    Run();
    ASSERT_GE(registry.asked.size(), 2u);
    EXPECT_EQ(registry.asked[0], "exists " + GetParam().firstPath);
    EXPECT_EQ(registry.asked[1], "exists " + GetParam().secondPath);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KeyNames,
    testing::Values(KeyNameCase{"Empty", "", "Software\\\\toolbar\\IE5", "Software\\AppDataLow\\Software\\\\toolbar\\IE5"},
                    KeyNameCase{"Blanks", " TB ", "Software\\ TB \\toolbar\\IE5",
                                "Software\\AppDataLow\\Software\\ TB \\toolbar\\IE5"},
                    KeyNameCase{"InnerBackslashes", "Maker\\TB", "Software\\Maker\\TB\\toolbar\\IE5",
                                "Software\\AppDataLow\\Software\\Maker\\TB\\toolbar\\IE5"}),
    [](const testing::TestParamInfo<KeyNameCase>& p) { return p.param.name; });

TEST_F(Probe, AKeyFoundUnderAnEmptyNameCounts) {
    ToolbarKeyName.clear();
    registry.keys["Software\\\\toolbar\\IE5"] = Visible("TRUE");
    EXPECT_TRUE(Run().installed);
}

TEST_F(Probe, LeavesFlagsItDoesNotReachAsTheyWere) {
    // A wrong type on the toolbar cuts the probe short before the start page is looked at.
    registry.keys[kFirst] = VisibleRaw(RegistryType::Dword, std::string(4, '\0'));
    registry.keys[kStartPage] = StartPage("http://www.zorbal.example/");
    HomePageSet = true;  // stands for "unwritten": the probe must not touch it
    launch::CheckToolbarState(registry.Factory(), ToolbarInstalled, ToolbarVisible, HomePageSet);
    EXPECT_TRUE(HomePageSet);
    for (const std::string& asked : registry.asked) EXPECT_EQ(asked.find("Internet Explorer"), std::string::npos);
}

TEST(ProbeAccessor, FailingToCreateItPassesToTheCaller) {
    fakes::ResetRunState();
    bool installed = false, visible = false, homePageSet = false;
    const platform::RegistryFactory failing = []() -> std::unique_ptr<platform::RegistryAccessor> {
        throw std::bad_alloc();
    };
    EXPECT_THROW(launch::CheckToolbarState(failing, installed, visible, homePageSet), std::bad_alloc);
}

TEST(StringValues, DecodeByType) {
    using platform::DecodeStringValue;
    EXPECT_EQ(DecodeStringValue("v", RegistryType::String, std::string("ab\0cd", 5)), "ab");
    EXPECT_EQ(DecodeStringValue("v", RegistryType::ExpandString, std::string("%PATH%")), "%PATH%");
    EXPECT_EQ(DecodeStringValue("v", RegistryType::Dword, std::string()), "");
    EXPECT_EQ(DecodeStringValue("v", RegistryType::String, std::string()), "");
    try {
        (void)DecodeStringValue("Visible", RegistryType::MultiString, std::string("a\0\0", 3));
        FAIL();
    } catch (const platform::RegistryError& error) {
        EXPECT_STREQ(error.what(), "Invalid data type for 'Visible'");
    }
    EXPECT_EQ(platform::FailedToGetDataMessage("Start Page"), "Failed to get data for 'Start Page'");
}

}  // namespace
