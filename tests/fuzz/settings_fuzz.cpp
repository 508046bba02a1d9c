// Any bytes as toolbar.ini: the reader must give what a plain model of the line rules gives, and
// never read past the third line's end.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/run_state.h"
#include "fakes.h"
#include "launch/settings_reader.h"

namespace {

// The rules, written the other way round: cut the file at its first Ctrl-Z, split at LF, drop CRs.
std::string ModelLine(const std::string& file, int index) {
    const std::string text = file.substr(0, file.find('\x1A'));
    std::size_t start = 0;
    for (int line = 0; line < index; ++line) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos) return {};
        start = end + 1;
    }
    std::string line = text.substr(start, text.find('\n', start) - start);
    std::erase(line, '\r');
    return line;
}

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string file(reinterpret_cast<const char*>(data), size);
    fakes::ResetRunState();
    fakes::FakeSystem system;
    system.GameFolder(file);
    system.files.chunk = size % 13 + 1;  // reads of every size cross line ends at every place
    launch::ReadSettings(system.files);
    Check(StartPagePattern1 == ModelLine(file, 0));
    Check(StartPagePattern2 == ModelLine(file, 1));
    Check(ToolbarKeyName == ModelLine(file, 2));
    return 0;
}
