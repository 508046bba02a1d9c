// artgen: draws the launcher's seven pictures into the folder named on the command line.
//
//   artgen <folder>
//
// The output is the same, byte for byte, on every run with the same libraries; the files in
// offer_window/assets are its output, checked by a test against a fresh run.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "artwork.h"
#include "ico_file.h"

namespace {

void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

void Generate(const std::filesystem::path& folder) {
    using artgen::ButtonKind;
    using artgen::ButtonLook;
    std::filesystem::create_directories(folder);
    WriteFile(folder / "background.bmp", platform::EncodeBmp(artgen::DrawBackground()));
    struct Button {
        const char* file;
        ButtonKind kind;
        ButtonLook look;
    };
    constexpr Button kButtons[] = {
        {"play_normal.bmp", ButtonKind::kPlay, ButtonLook::kNormal},
        {"play_light.bmp", ButtonKind::kPlay, ButtonLook::kHighlighted},
        {"play_disabled.bmp", ButtonKind::kPlay, ButtonLook::kDisabled},
        {"cancel_normal.bmp", ButtonKind::kCancel, ButtonLook::kNormal},
        {"cancel_light.bmp", ButtonKind::kCancel, ButtonLook::kHighlighted},
    };
    for (const Button& button : kButtons)
        WriteFile(folder / button.file, platform::EncodeBmp(artgen::DrawButton(button.kind, button.look)));

    const artgen::Canvas badge16 = artgen::DrawBadge(16);
    const artgen::Canvas badge32 = artgen::DrawBadge(32);
    const artgen::Canvas badge48 = artgen::DrawBadge(48);
    const artgen::Canvas badge64 = artgen::DrawBadge(64);
    WriteFile(folder / "launcher.ico", artgen::EncodeIco({
                                           {&badge16, 8},
                                           {&badge16, 24},
                                           {&badge16, 32},
                                           {&badge32, 8},
                                           {&badge32, 24},
                                           {&badge32, 32},
                                           {&badge48, 24},
                                           {&badge48, 32},
                                           {&badge64, 32},
                                       }));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    try {
        Generate(argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "artgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
