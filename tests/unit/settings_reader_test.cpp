// How toolbar.ini's bytes become the three settings.
#include <gtest/gtest.h>

#include "app/run_state.h"
#include "fakes.h"
#include "launch/settings_reader.h"

namespace {

struct LineCase {
    const char* name;
    std::string bytes;
    std::string pattern1, pattern2, keyName;
};

class SettingsLines : public testing::TestWithParam<LineCase> {
protected:
    void SetUp() override { fakes::ResetRunState(); }
};

TEST_P(SettingsLines, GiveTheThreeSettings) {
    const LineCase& c = GetParam();
    for (std::size_t chunk : {std::size_t{1}, std::size_t{3}, std::size_t{4096}}) {
        fakes::FakeSystem system;
        system.GameFolder(c.bytes);
        system.files.chunk = chunk;
        launch::ReadSettings(system.files);
        EXPECT_EQ(StartPagePattern1, c.pattern1) << "read " << chunk << " bytes at a time";
        EXPECT_EQ(StartPagePattern2, c.pattern2) << "read " << chunk << " bytes at a time";
        EXPECT_EQ(ToolbarKeyName, c.keyName) << "read " << chunk << " bytes at a time";
    }
}

const std::string kBom = "\xEF\xBB\xBF";
const std::string kLong(1000, 'x');

INSTANTIATE_TEST_SUITE_P(
    TextRules, SettingsLines,
    testing::Values(LineCase{"LfEnds", "zorbal.example\nsearch.zorbal\nZorbalTB\n", "zorbal.example", "search.zorbal", "ZorbalTB"},
                    LineCase{"CrLfEnds", "zorbal.example\r\nsearch.zorbal\r\nZorbalTB\r\n", "zorbal.example", "search.zorbal", "ZorbalTB"},
                    LineCase{"LastLineWithoutEnd", "a\nb\nc", "a", "b", "c"},
                    LineCase{"LoneCrIsDropped", "ab\rcd\r\nef\n\rx\r", "abcd", "ef", "x"},
                    LineCase{"CrOnlyFileIsOneLine", "one\rtwo\rthree\r", "onetwothree", "", ""},
                    LineCase{"CtrlZEndsTheFile", "ab\x1A" "cd\nnext\nthird\n", "ab", "", ""},
                    LineCase{"CtrlZOnLineTwo", "one\ntw\x1Ao\nthree\n", "one", "tw", ""},
                    LineCase{"CtrlZAfterTheThirdLine", "one\ntwo\nthree\n\x1A", "one", "two", "three"},
                    LineCase{"ByteOrderMarkStays", kBom + "zorbal\nb\nc\n", kBom + "zorbal", "b", "c"},
                    LineCase{"BlanksAndTabsStay", " \tzorbal \nb\t\n  key  \n", " \tzorbal ", "b\t", "  key  "},
                    LineCase{"ThousandByteLine", kLong + "\nb\nc\n", kLong, "b", "c"},
                    LineCase{"EmptyFile", "", "", "", ""},
                    LineCase{"TwoLines", "a\nb\n", "a", "b", ""},
                    LineCase{"EmptyLines", "\n\nkey\n", "", "", "key"},
                    LineCase{"FourthLineIgnored", "a\nb\nc\nd\n", "a", "b", "c"},
                    LineCase{"HighBytesKept", "\xE9t\xE9\nb\nc\n", "\xE9t\xE9", "b", "c"},
                    LineCase{"NulBytesKept", std::string("a\0b\nc\nd\n", 8), std::string("a\0b", 3), "c", "d"}),
    [](const testing::TestParamInfo<LineCase>& p) { return p.param.name; });

TEST(SettingsReader, ReadsNothingAfterTheThirdLine) {
    fakes::ResetRunState();
    fakes::FakeSystem system;
    system.GameFolder("a\nb\nc\n" + std::string(1 << 20, 'z'));
    system.files.chunk = 1;
    launch::ReadSettings(system.files);
    EXPECT_EQ(ToolbarKeyName, "c");
    EXPECT_LE(system.files.bytesRead, 4096) << "a fourth line is never read";
}

struct FailureCase {
    const char* name;
    fakes::FakeFileSystem::Entry entry;
    std::uint32_t code;
};

class SettingsFailures : public testing::TestWithParam<FailureCase> {};

TEST_P(SettingsFailures, RaiseAnIoErrorWithTheSystemCode) {
    fakes::ResetRunState();
    fakes::FakeSystem system;
    system.files.entries["toolbar.ini"] = GetParam().entry;
    try {
        launch::ReadSettings(system.files);
        FAIL() << "no error raised";
    } catch (const platform::InOutError& error) {
        EXPECT_EQ(error.Code(), GetParam().code);
        EXPECT_EQ(error.what(), platform::IoErrorMessage(GetParam().code));
    }
}

INSTANTIATE_TEST_SUITE_P(
    OpenReadClose, SettingsFailures,
    testing::Values(FailureCase{"AccessDenied", {"a\n", false, 5u, {}, {}}, 5},
                    FailureCase{"SharingViolation", {"a\n", false, 32u, {}, {}}, 32},
                    FailureCase{"ReadFails", {"a\n", false, {}, 23u, {}}, 23},
                    FailureCase{"CloseFails", {"a\n", false, {}, {}, 6u}, 6}),
    [](const testing::TestParamInfo<FailureCase>& p) { return p.param.name; });

}  // namespace
