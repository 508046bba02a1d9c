// A generated registry state: the probe's flags and result must be those of an independent model of
// its stage tables, whatever the key name, the patterns, the keys' rights and the values' types.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "app/run_state.h"
#include "fakes.h"
#include "launch/probe.h"

namespace {

using fakes::FakeRegistry;

void Check(bool condition) {
    if (!condition) std::abort();
}

// Small alphabets make matches, "FALSE" and path separators likely.
std::string Text(FuzzedDataProvider& in, const char* alphabet, std::size_t maxLength) {
    const std::string letters(alphabet);
    std::string text;
    const std::size_t length = in.ConsumeIntegralInRange<std::size_t>(0, maxLength);
    for (std::size_t i = 0; i < length && in.remaining_bytes() > 0; ++i) {
        if (in.ConsumeBool()) {
            text += "FALSE";
        } else {
            text += letters[in.ConsumeIntegralInRange<std::size_t>(0, letters.size() - 1)];
        }
    }
    return text;
}

FakeRegistry::Key MakeKey(FuzzedDataProvider& in, const char* valueName) {
    FakeRegistry::Key key;
    key.readable = in.ConsumeBool();
    key.openable = in.ConsumeBool();
    key.failDataRead = in.ConsumeIntegralInRange<int>(0, 7) == 0;
    if (in.ConsumeBool()) {
        const auto type = static_cast<platform::RegistryType>(in.ConsumeIntegralInRange<std::uint32_t>(0, 11));
        std::string bytes = Text(in, "aFz./", 6);
        if (in.ConsumeBool()) bytes += '\0' + Text(in, "aFz./", 3);
        key.values[valueName] = {type, bytes};
    }
    return key;
}

struct Expected {
    std::optional<bool> installed, visible, homePageSet;  // nullopt: left as it was
    bool result = true;
};

// What reading a value gives: its text, or nothing when the read raises.
std::optional<std::string> ModelRead(const FakeRegistry::Key& key, const std::string& name) {
    const auto found = key.values.find(name);
    if (found == key.values.end() || found->second.data.empty()) return std::string();
    if (key.failDataRead) return std::nullopt;
    const auto type = found->second.type;
    if (type != platform::RegistryType::String && type != platform::RegistryType::ExpandString) return std::nullopt;
    const std::string& data = found->second.data;
    return data.substr(0, data.find('\0'));
}

bool ModelOccurs(const std::string& pattern, const std::string& page) {
    if (pattern.empty() || pattern.size() > page.size()) return false;
    for (std::size_t at = 0; at + pattern.size() <= page.size(); ++at)
        if (page.compare(at, pattern.size(), pattern) == 0) return true;
    return false;
}

Expected Model(const FakeRegistry& registry, const std::string& keyName, const std::string& p1,
               const std::string& p2) {
    auto readableKey = [&](const std::string& path) -> const FakeRegistry::Key* {
        const auto found = registry.keys.find(path);
        return found != registry.keys.end() && found->second.readable ? &found->second : nullptr;
    };
    Expected e;
    const FakeRegistry::Key* toolbar = readableKey("Software\\" + keyName + "\\toolbar\\IE5");
    if (!toolbar) toolbar = readableKey("Software\\AppDataLow\\Software\\" + keyName + "\\toolbar\\IE5");
    if (!toolbar) {
        e.installed = false;
        e.visible = false;
    } else {
        e.installed = true;
        if (toolbar->openable) {
            const std::optional<std::string> visible = ModelRead(*toolbar, "Visible");
            if (!visible) {
                e.result = false;
                return e;
            }
            e.visible = *visible != "FALSE";
        }
    }
    const FakeRegistry::Key* main = readableKey("Software\\Microsoft\\Internet Explorer\\Main");
    if (!main) {
        e.homePageSet = false;
        return e;
    }
    std::string page;
    if (main->openable) {
        const std::optional<std::string> read = ModelRead(*main, "Start Page");
        if (!read) {
            e.result = false;
            return e;
        }
        page = *read;
    }
    e.homePageSet = ModelOccurs(p1, page) || ModelOccurs(p2, page);
    return e;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string keyName = Text(in, "T\\ b", 4);
    const std::string pattern1 = Text(in, "aFz.", 3);
    const std::string pattern2 = Text(in, "aFz.", 3);

    FakeRegistry registry;
    const std::string paths[] = {"Software\\" + keyName + "\\toolbar\\IE5",
                                 "Software\\AppDataLow\\Software\\" + keyName + "\\toolbar\\IE5",
                                 "Software\\Microsoft\\Internet Explorer\\Main"};
    for (int i = 0; i < 3; ++i)
        if (in.ConsumeBool()) registry.keys[paths[i]] = MakeKey(in, i < 2 ? "Visible" : "Start Page");

    const Expected expected = Model(registry, keyName, pattern1, pattern2);
    for (const bool initial : {false, true}) {
        fakes::ResetRunState();
        ToolbarKeyName = keyName;
        StartPagePattern1 = pattern1;
        StartPagePattern2 = pattern2;
        bool installed = initial, visible = initial, homePageSet = initial;
        const bool result = launch::CheckToolbarState(registry.Factory(), installed, visible, homePageSet);
        Check(result == expected.result);
        Check(installed == expected.installed.value_or(initial));
        Check(visible == expected.visible.value_or(initial));
        Check(homePageSet == expected.homePageSet.value_or(initial));
        Check(registry.keysOpen == 0);
        Check(registry.accessorsCreated == registry.accessorsReleased);
    }
    return 0;
}
