// Checks the launcher's artwork files against every value the offer window relies on: picture
// formats and sizes, the background's regions, colours and text extents, the buttons' shape and
// colours, and the icon's images. The folder comes from ARTWORK_DIR, by default the committed
// offer_window/assets, so the same checks also run on a fresh output of the generator.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/picture.h"

namespace {

using platform::Picture;
using platform::Rgb;

std::filesystem::path ArtworkDir() {
    if (const char* dir = std::getenv("ARTWORK_DIR"); dir != nullptr && *dir != '\0') return dir;
    return ARTWORK_DEFAULT_DIR;
}

std::vector<std::uint8_t> ReadBytes(const std::string& name) {
    std::ifstream in(ArtworkDir() / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t U32(const std::vector<std::uint8_t>& d, std::size_t at) {
    return d.at(at) | d.at(at + 1) << 8 | d.at(at + 2) << 16 | static_cast<std::uint32_t>(d.at(at + 3)) << 24;
}
std::uint16_t U16(const std::vector<std::uint8_t>& d, std::size_t at) {
    return static_cast<std::uint16_t>(d.at(at) | d.at(at + 1) << 8);
}

const Picture& LoadPicture(const std::string& name) {
    static std::map<std::string, Picture> cache;
    if (auto found = cache.find(name); found != cache.end()) return found->second;
    const std::optional<Picture> parsed = platform::ParseBmp(ReadBytes(name));
    if (!parsed) throw std::runtime_error("cannot read " + (ArtworkDir() / name).string());
    return cache.emplace(name, *parsed).first->second;
}

// Inclusive pixel bounds.
struct Box {
    int left, top, right, bottom;
    [[nodiscard]] bool Contains(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }
};

std::string Show(Rgb c) {
    return "RGB(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + ")";
}

int Luminance(Rgb c) { return (299 * c.r + 587 * c.g + 114 * c.b) / 1000; }
bool Neutral(Rgb c) { return c.r == c.g && c.g == c.b; }

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kOptionsGrey{207, 207, 207};

// ---------------------------------------------------------------------------------------------
// Formats

struct PictureFile {
    const char* name;
    int width;
    int height;
};

constexpr std::array<PictureFile, 6> kPictureFiles = {{
    {"background.bmp", 497, 376},
    {"play_normal.bmp", 146, 64},
    {"play_light.bmp", 146, 64},
    {"play_disabled.bmp", 146, 64},
    {"cancel_normal.bmp", 146, 64},
    {"cancel_light.bmp", 146, 64},
}};

TEST(ArtworkFiles, EveryPictureIsAnUncompressed24BitBottomUpBitmapWithoutPalette) {
    for (const PictureFile& file : kPictureFiles) {
        SCOPED_TRACE(file.name);
        const std::vector<std::uint8_t> bytes = ReadBytes(file.name);
        ASSERT_GE(bytes.size(), 54u);
        EXPECT_EQ(bytes[0], 'B');
        EXPECT_EQ(bytes[1], 'M');
        EXPECT_EQ(U32(bytes, 14), 40u) << "BITMAPINFOHEADER";
        EXPECT_EQ(static_cast<std::int32_t>(U32(bytes, 18)), file.width);
        EXPECT_EQ(static_cast<std::int32_t>(U32(bytes, 22)), file.height) << "positive height: rows bottom-up";
        EXPECT_EQ(U16(bytes, 26), 1u);
        EXPECT_EQ(U16(bytes, 28), 24u) << "bits per pixel";
        EXPECT_EQ(U32(bytes, 30), 0u) << "BI_RGB";
        EXPECT_EQ(U32(bytes, 46), 0u) << "colours used";
        EXPECT_EQ(U32(bytes, 10), 54u) << "pixels straight after the headers: no palette";
        const std::size_t stride = (static_cast<std::size_t>(file.width) * 3 + 3) / 4 * 4;
        EXPECT_EQ(bytes.size(), 54 + stride * static_cast<std::size_t>(file.height));
        ASSERT_NO_THROW(LoadPicture(file.name));
    }
}

// ---------------------------------------------------------------------------------------------
// Background

const Picture& Background() { return LoadPicture("background.bmp"); }

// The text lines with their extents; the option and consent lines sit on the panel's grey, the
// headline on the header's white.
struct TextLine {
    const char* name;
    Box box;
    Rgb ground;
};

constexpr std::array<TextLine, 8> kTextLines = {{
    {"headline, first line", {169, 26, 468, 39}, kWhite},
    {"headline, second line", {169, 43, 468, 56}, kWhite},
    {"option 1", {47, 218, 306, 227}, kOptionsGrey},
    {"option 2, first line", {58, 249, 316, 258}, kOptionsGrey},
    {"option 2, second line", {62, 262, 172, 271}, kOptionsGrey},
    {"option 3", {58, 284, 299, 293}, kOptionsGrey},
    {"consent, first line", {30, 315, 298, 323}, kOptionsGrey},
    {"consent, second line", {29, 327, 308, 335}, kOptionsGrey},
}};

constexpr Box kWordMark{9, 14, 151, 49};
constexpr Box kTagline{9, 50, 151, 57};
constexpr Box kPanel{17, 203, 323, 343};

std::vector<Box> TextBoxes() {
    std::vector<Box> boxes;
    for (const TextLine& line : kTextLines) boxes.push_back(line.box);
    return boxes;
}

// One colour over a rectangle, except where something else is allowed to be.
struct Region {
    const char* name;
    Box box;
    Rgb colour;
    std::vector<Box> except;
};

std::vector<Region> BackgroundRegions() {
    // The panel outline's corners are round and anti-aliased: its straight parts are checked
    // from 6 pixels in from each corner.
    const std::vector<Box> panelCorners = {
        {17, 203, 23, 209}, {317, 203, 323, 209}, {17, 337, 23, 343}, {317, 337, 323, 343}};
    std::vector<Box> panelInside = TextBoxes();
    panelInside.insert(panelInside.end(), panelCorners.begin(), panelCorners.end());
    // The toolbar's left end is round; its frame is checked clear of that rounding.
    return {
        {"header", {0, 0, 496, 83}, kWhite, {kWordMark, kTagline, kTextLines[0].box, kTextLines[1].box}},
        {"rule under the header", {0, 84, 496, 84}, kBlack, {}},
        {"toolbar frame, top", {20, 131, 496, 132}, {0, 162, 182}, {}},
        {"toolbar frame, bottom", {20, 169, 496, 170}, {0, 162, 182}, {}},
        {"toolbar frame, left side", {4, 147, 5, 154}, {0, 162, 182}, {}},
        {"lavender strip", {0, 171, 496, 176}, {223, 220, 227}, {}},
        {"shadow, top row", {0, 177, 496, 177}, {96, 96, 96}, {}},
        {"shadow, bottom row", {0, 184, 496, 184}, {202, 202, 202}, {}},
        {"options area around the panel", {0, 185, 495, 353}, kOptionsGrey, {{16, 202, 324, 345}}},
        {"options area, right column", {496, 185, 496, 353}, {200, 200, 200}, {}},
        {"panel inside", {19, 205, 322, 342}, kOptionsGrey, panelInside},
        {"panel outline, top", {23, 203, 317, 203}, kWhite, {}},
        {"panel outline, bottom", {23, 343, 317, 343}, kWhite, {}},
        {"panel outline, left", {17, 209, 17, 337}, kWhite, {}},
        {"panel outline, right", {323, 209, 323, 337}, kWhite, {}},
        {"rule over the footer", {0, 354, 496, 354}, kBlack, {}},
        {"footer", {0, 355, 496, 375}, kWhite, {}},
    };
}

TEST(ArtworkBackground, RegionsHaveTheirColours) {
    const Picture& picture = Background();
    for (const Region& region : BackgroundRegions()) {
        SCOPED_TRACE(region.name);
        int wrong = 0;
        std::string first;
        for (int y = region.box.top; y <= region.box.bottom; ++y) {
            for (int x = region.box.left; x <= region.box.right; ++x) {
                if (std::any_of(region.except.begin(), region.except.end(),
                                [&](const Box& b) { return b.Contains(x, y); }))
                    continue;
                const Rgb found = picture.PixelAt(x, y);
                if (found == region.colour) continue;
                if (wrong++ == 0) first = "(" + std::to_string(x) + "," + std::to_string(y) + ") is " + Show(found);
            }
        }
        EXPECT_EQ(wrong, 0) << wrong << " pixels differ from " << Show(region.colour) << ", first " << first;
    }
}

TEST(ArtworkBackground, ShadowRowsDarkenUpwardsEvenly) {
    const Picture& picture = Background();
    int previous = -1;
    for (int y = 177; y <= 184; ++y) {
        const Rgb row = picture.PixelAt(0, y);
        EXPECT_TRUE(Neutral(row)) << "row " << y << " " << Show(row);
        EXPECT_GT(row.r, previous) << "row " << y;
        // A straight ramp: each step within one unit of the even step.
        if (previous >= 0) {
            EXPECT_NEAR(row.r - previous, (202 - 96) / 7.0, 1.0) << "row " << y;
        }
        previous = row.r;
        for (int x = 1; x < picture.width; ++x) ASSERT_EQ(picture.PixelAt(x, y), row) << "row " << y << " x " << x;
    }
}

TEST(ArtworkBackground, PanelGroovesAreFaintDarkerLines) {
    const Picture& picture = Background();
    struct Groove {
        const char* name;
        Box box;
    };
    const std::array<Groove, 3> grooves = {{
        {"inside the top edge", {23, 204, 317, 204}},
        {"inside the left edge", {18, 209, 18, 337}},
        {"outside the bottom edge", {23, 344, 317, 344}},
    }};
    for (const Groove& groove : grooves) {
        SCOPED_TRACE(groove.name);
        for (int y = groove.box.top; y <= groove.box.bottom; ++y) {
            for (int x = groove.box.left; x <= groove.box.right; ++x) {
                const Rgb c = picture.PixelAt(x, y);
                ASSERT_TRUE(Neutral(c) && c.r < kOptionsGrey.r && c.r >= 160) << x << "," << y << " " << Show(c);
            }
        }
    }
}

TEST(ArtworkBackground, EachTextLineFillsItsExtentAndNothingOutside) {
    const Picture& picture = Background();
    constexpr int kMargin = 3;  // the gaps between stacked lines are three rows
    for (const TextLine& line : kTextLines) {
        SCOPED_TRACE(line.name);
        const Box& box = line.box;
        Box dark{1 << 20, 1 << 20, -1, -1};
        int inkOutside = 0;
        int darkest = 255;
        for (int y = box.top - kMargin; y <= box.bottom + kMargin; ++y) {
            for (int x = box.left - kMargin; x <= box.right + kMargin; ++x) {
                const Rgb c = picture.PixelAt(x, y);
                if (c == line.ground) continue;
                if (!box.Contains(x, y)) {
                    ++inkOutside;
                    continue;
                }
                EXPECT_TRUE(Neutral(c)) << "black ink blends to grey, not " << Show(c) << " at " << x << "," << y;
                darkest = std::min(darkest, int{c.r});
                if (c.r * 2 <= line.ground.r) {  // covered at least half
                    dark.left = std::min(dark.left, x);
                    dark.top = std::min(dark.top, y);
                    dark.right = std::max(dark.right, x);
                    dark.bottom = std::max(dark.bottom, y);
                }
            }
        }
        EXPECT_EQ(inkOutside, 0) << "ink within " << kMargin << " pixels outside the extent";
        EXPECT_LE(darkest, 40) << "the text is black";
        EXPECT_LE(dark.left - box.left, 1);
        EXPECT_LE(dark.top - box.top, 1);
        EXPECT_LE(box.right - dark.right, 1);
        EXPECT_LE(box.bottom - dark.bottom, 1);
    }
}

// Pure black is the window's colour key in its initial look: only texts and the two rules use it.
TEST(ArtworkBackground, PureBlackOnlyInTextsAndRules) {
    const Picture& picture = Background();
    std::vector<Box> allowed = TextBoxes();
    allowed.push_back(kTagline);
    allowed.push_back({0, 84, 496, 84});
    allowed.push_back({0, 354, 496, 354});
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            if (picture.PixelAt(x, y) != kBlack) continue;
            ASSERT_TRUE(std::any_of(allowed.begin(), allowed.end(), [&](const Box& b) { return b.Contains(x, y); }))
                << "pure black at " << x << "," << y;
        }
    }
}

int CountInside(const Picture& picture, Box box, bool (*wanted)(Rgb)) {
    int count = 0;
    for (int y = box.top; y <= box.bottom; ++y)
        for (int x = box.left; x <= box.right; ++x) count += wanted(picture.PixelAt(x, y)) ? 1 : 0;
    return count;
}

TEST(ArtworkBackground, WordMarkIsRedYellowAndCyanWithDarkOutlinesOverABlackTagline) {
    const Picture& picture = Background();
    struct Tone {
        const char* name;
        Box box;
        bool (*matches)(Rgb);
        int atLeast;
    };
    const std::array<Tone, 5> tones = {{
        {"red", kWordMark, [](Rgb c) { return c.r > 190 && c.g < 90 && c.b < 90; }, 150},
        {"yellow", kWordMark, [](Rgb c) { return c.r > 200 && c.g > 160 && c.b < 100; }, 150},
        {"cyan", kWordMark, [](Rgb c) { return c.r < 90 && c.g > 150 && c.b > 190; }, 150},
        {"dark outline", kWordMark, [](Rgb c) { return Luminance(c) < 60 && !(c == kBlack); }, 150},
        {"tagline ink", kTagline, [](Rgb c) { return Neutral(c) && c.r < 100; }, 40},
    }};
    for (const Tone& tone : tones) EXPECT_GE(CountInside(picture, tone.box, tone.matches), tone.atLeast) << tone.name;
    EXPECT_EQ(CountInside(picture, kWordMark, [](Rgb c) { return c == kBlack; }), 0)
        << "outlines are not the colour key";
    // The word-mark spans its box and the tagline its rows: each reaches every edge given.
    const std::array<std::pair<const char*, Box>, 6> edges = {{
        {"word-mark, top row", {kWordMark.left, kWordMark.top, kWordMark.right, kWordMark.top}},
        {"word-mark, bottom row", {kWordMark.left, kWordMark.bottom, kWordMark.right, kWordMark.bottom}},
        {"word-mark, left column", {kWordMark.left, kWordMark.top, kWordMark.left, kWordMark.bottom}},
        {"word-mark, right column", {kWordMark.right, kWordMark.top, kWordMark.right, kWordMark.bottom}},
        {"tagline, top row", {kTagline.left, kTagline.top, kTagline.right, kTagline.top}},
        {"tagline, bottom row", {kTagline.left, kTagline.bottom, kTagline.right, kTagline.bottom}},
    }};
    for (const auto& [name, edge] : edges)
        EXPECT_GT(CountInside(picture, edge, [](Rgb c) { return c != kWhite; }), 0) << name;
}

TEST(ArtworkBackground, BrowserIsFadedAndTheToolbarIsNot) {
    const Picture& picture = Background();
    const auto darkest = [&](Box box) {
        int value = 255;
        for (int y = box.top; y <= box.bottom; ++y)
            for (int x = box.left; x <= box.right; ++x) {
                const Rgb c = picture.PixelAt(x, y);
                value = std::min({value, int{c.r}, int{c.g}, int{c.b}});
            }
        return value;
    };
    const int browser = darkest({0, 85, 496, 130});
    EXPECT_GE(browser, 100) << "faded: no strong dark in the browser's own bars";
    EXPECT_LT(browser, 200) << "but something is drawn there";
    EXPECT_LT(darkest({6, 133, 496, 168}), 80) << "the add-on toolbar is at full strength";
    // No right-hand frame: the toolbar runs off the picture's edge.
    for (int y = 135; y <= 165; ++y) EXPECT_NE(picture.PixelAt(496, y), (Rgb{0, 162, 182})) << "row " << y;
}

// ---------------------------------------------------------------------------------------------
// Buttons

struct ButtonCase {
    const char* name;
    Rgb lower;  // body below the middle
    bool bold;
};

constexpr std::array<ButtonCase, 5> kButtons = {{
    {"play_normal.bmp", {230, 0, 25}, false},
    {"play_light.bmp", {230, 0, 25}, true},
    {"play_disabled.bmp", {115, 115, 115}, false},
    {"cancel_normal.bmp", {49, 195, 210}, false},
    {"cancel_light.bmp", {49, 195, 210}, true},
}};

Rgb Average(const Picture& picture, Box box) {
    long sum[3] = {0, 0, 0};
    long n = 0;
    for (int y = box.top; y <= box.bottom; ++y)
        for (int x = box.left; x <= box.right; ++x, ++n) {
            const Rgb c = picture.PixelAt(x, y);
            sum[0] += c.r;
            sum[1] += c.g;
            sum[2] += c.b;
        }
    return Rgb{static_cast<std::uint8_t>(sum[0] / n), static_cast<std::uint8_t>(sum[1] / n),
               static_cast<std::uint8_t>(sum[2] / n)};
}

// Below the word, above the inner frame: plain body.
constexpr Box kLowerBody{20, 52, 125, 57};
// Above the word, under the gloss.
constexpr Box kUpperBody{20, 6, 125, 12};

TEST(ArtworkButtons, NoPureBlackAnywhere) {
    for (const ButtonCase& button : kButtons) {
        const Picture& picture = LoadPicture(button.name);
        EXPECT_EQ(
            CountInside(picture, {0, 0, picture.width - 1, picture.height - 1}, [](Rgb c) { return c == kBlack; }), 0)
            << button.name;
    }
}

TEST(ArtworkButtons, CornersOutsideTheRoundingAreTheOptionsGrey) {
    for (const ButtonCase& button : kButtons) {
        SCOPED_TRACE(button.name);
        const Picture& picture = LoadPicture(button.name);
        const int r = picture.width - 1;
        const int b = picture.height - 1;
        for (const auto& [x, y] : std::array<std::array<int, 2>, 12>{{{0, 0},
                                                                      {1, 0},
                                                                      {0, 1},
                                                                      {r, 0},
                                                                      {r - 1, 0},
                                                                      {r, 1},
                                                                      {0, b},
                                                                      {1, b},
                                                                      {0, b - 1},
                                                                      {r, b},
                                                                      {r - 1, b},
                                                                      {r, b - 1}}})
            EXPECT_EQ(picture.PixelAt(x, y), kOptionsGrey) << x << "," << y;
        EXPECT_EQ(picture.BottomLeft(), kOptionsGrey) << "the colour a transparent control leaves out";
    }
}

TEST(ArtworkButtons, RoundedShapeFillsThePictureWithADarkOutline) {
    for (const ButtonCase& button : kButtons) {
        SCOPED_TRACE(button.name);
        const Picture& picture = LoadPicture(button.name);
        const int body = Luminance(Average(picture, kLowerBody));
        const int midX = picture.width / 2;
        const int midY = picture.height / 2;
        for (const auto& [x, y] : std::array<std::array<int, 2>, 4>{
                 {{midX, 0}, {midX, picture.height - 1}, {0, midY}, {picture.width - 1, midY}}}) {
            const Rgb edge = picture.PixelAt(x, y);
            EXPECT_NE(edge, kOptionsGrey) << "the shape reaches the edge at " << x << "," << y;
            EXPECT_LT(Luminance(edge) * 4, body * 3) << "dark outline at " << x << "," << y << " " << Show(edge);
        }
        // A thin light frame a few pixels inside the outline: walking in from the left, right and
        // bottom edges, a light line comes before the plain body.
        struct Walk {
            int x, y, dx, dy;
        };
        const int low = picture.height * 3 / 4;
        for (const Walk& w :
             std::array<Walk, 3>{{{0, low, 1, 0}, {picture.width - 1, low, -1, 0}, {20, picture.height - 1, 0, -1}}}) {
            int frame = 0;
            for (int d = 2; d <= 7; ++d)
                frame = std::max(frame, Luminance(picture.PixelAt(w.x + d * w.dx, w.y + d * w.dy)));
            const int inside = Luminance(picture.PixelAt(w.x + 10 * w.dx, w.y + 10 * w.dy));
            EXPECT_GT(frame, inside + 15) << "light frame in from " << w.x << "," << w.y;
        }
    }
}

TEST(ArtworkButtons, BodyColoursAboveAndBelowTheMiddle) {
    for (const ButtonCase& button : kButtons) {
        SCOPED_TRACE(button.name);
        const Picture& picture = LoadPicture(button.name);
        const Rgb lower = Average(picture, kLowerBody);
        EXPECT_NEAR(lower.r, button.lower.r, 25) << Show(lower);
        EXPECT_NEAR(lower.g, button.lower.g, 25) << Show(lower);
        EXPECT_NEAR(lower.b, button.lower.b, 25) << Show(lower);
        const Rgb upper = Average(picture, kUpperBody);
        EXPECT_GT(Luminance(upper), Luminance(lower) + 20) << "lighter and glossy above the middle: " << Show(upper);
        if (button.lower.b > button.lower.r) {
            EXPECT_GT(upper.b, upper.r) << "sky blue above: " << Show(upper);
            EXPECT_GE(upper.b, upper.g) << "sky blue above: " << Show(upper);
        }
    }
}

TEST(ArtworkButtons, DisabledPlayIsAllGreys) {
    const Picture& picture = LoadPicture("play_disabled.bmp");
    EXPECT_EQ(CountInside(picture, {0, 0, picture.width - 1, picture.height - 1}, [](Rgb c) { return !Neutral(c); }),
              0);
}

int CountWhite(const Picture& picture) {
    return CountInside(picture, {0, 0, picture.width - 1, picture.height - 1},
                       [](Rgb c) { return c.r >= 235 && c.g >= 235 && c.b >= 235; });
}

TEST(ArtworkButtons, WordIsWhiteCentredAndBolderWhenHighlighted) {
    for (const ButtonCase& button : kButtons) {
        SCOPED_TRACE(button.name);
        const Picture& picture = LoadPicture(button.name);
        // The word's full-white pixels, below the gloss band.
        Box word{1 << 20, 1 << 20, -1, -1};
        for (int y = 16; y < picture.height - 8; ++y)
            for (int x = 8; x < picture.width - 8; ++x)
                if (picture.PixelAt(x, y) == kWhite) {
                    word.left = std::min(word.left, x);
                    word.top = std::min(word.top, y);
                    word.right = std::max(word.right, x);
                    word.bottom = std::max(word.bottom, y);
                }
        ASSERT_GE(word.right, word.left) << "white capitals";
        EXPECT_NEAR((word.left + word.right) / 2.0, (picture.width - 1) / 2.0, 2.0);
        EXPECT_NEAR((word.top + word.bottom) / 2.0, (picture.height - 1) / 2.0, 2.0);
        EXPECT_GE(word.bottom - word.top, 14) << "capitals tall enough to read";
        // A dark drop shadow right under the word's foot.
        int shadow = 255;
        for (int y = word.bottom + 1; y <= word.bottom + 3; ++y)
            for (int x = word.left; x <= word.right; ++x) shadow = std::min(shadow, Luminance(picture.PixelAt(x, y)));
        EXPECT_LT(shadow, Luminance(button.lower)) << "darker than the body, even through the glow";
    }
    const std::array<std::array<const char*, 2>, 2> pairs = {
        {{"play_normal.bmp", "play_light.bmp"}, {"cancel_normal.bmp", "cancel_light.bmp"}}};
    for (const auto& [normal, light] : pairs) {
        SCOPED_TRACE(light);
        // Bold letters with a white glow: clearly more white than the regular word.
        EXPECT_GT(CountWhite(LoadPicture(light)), CountWhite(LoadPicture(normal)) * 13 / 10);
        // The same button around the word.
        const Picture& a = LoadPicture(normal);
        const Picture& b = LoadPicture(light);
        for (int y = 0; y < a.height; ++y) {
            for (int x = 0; x < a.width; ++x) {
                if (y >= 6 && y < a.height - 6 && x >= 6 && x < a.width - 6) continue;
                ASSERT_EQ(a.PixelAt(x, y), b.PixelAt(x, y)) << x << "," << y;
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Icon

struct IconEntry {
    int size = 0;
    int bitsPerPixel = 0;
    std::vector<Rgb> colours;         // top-down
    std::vector<std::uint8_t> alpha;  // 32-bit images only
    std::vector<bool> transparent;    // AND mask, top-down
    int paletteEntries = 0;
    int distinctIndices = 0;
    [[nodiscard]] std::size_t At(int x, int y) const { return static_cast<std::size_t>(y * size + x); }
};

std::vector<IconEntry> ReadIcon() {
    const std::vector<std::uint8_t> d = ReadBytes("launcher.ico");
    std::vector<IconEntry> entries;
    if (d.size() < 6 || U16(d, 0) != 0 || U16(d, 2) != 1) throw std::runtime_error("not an icon file");
    const int count = U16(d, 4);
    for (int i = 0; i < count; ++i) {
        const std::size_t dir = 6 + 16 * static_cast<std::size_t>(i);
        IconEntry e;
        e.size = d.at(dir) == 0 ? 256 : d.at(dir);
        if (d.at(dir + 1) != d.at(dir)) throw std::runtime_error("icon image not square");
        e.bitsPerPixel = U16(d, dir + 6);
        const std::uint32_t bytes = U32(d, dir + 8);
        const std::uint32_t offset = U32(d, dir + 12);
        if (offset + bytes > d.size()) throw std::runtime_error("icon image beyond the file");
        // A DIB: BITMAPINFOHEADER with the height of colour and mask rows together.
        if (U32(d, offset) != 40 || static_cast<int>(U32(d, offset + 4)) != e.size ||
            static_cast<int>(U32(d, offset + 8)) != 2 * e.size || U16(d, offset + 12) != 1 ||
            U16(d, offset + 14) != e.bitsPerPixel || U32(d, offset + 16) != 0)
            throw std::runtime_error("icon image " + std::to_string(i) + " is not an uncompressed DIB as listed");
        std::size_t at = offset + 40;
        std::vector<Rgb> palette;
        if (e.bitsPerPixel == 8) {
            const std::uint32_t used = U32(d, offset + 32);
            e.paletteEntries = used == 0 ? 256 : static_cast<int>(used);
            for (int p = 0; p < e.paletteEntries; ++p, at += 4)
                palette.push_back({d.at(at + 2), d.at(at + 1), d.at(at)});
        }
        const std::size_t colourStride = (static_cast<std::size_t>(e.size * e.bitsPerPixel) + 31) / 32 * 4;
        const std::size_t maskStride = (static_cast<std::size_t>(e.size) + 31) / 32 * 4;
        const std::size_t maskStart = at + colourStride * static_cast<std::size_t>(e.size);
        if (maskStart + maskStride * static_cast<std::size_t>(e.size) > offset + bytes)
            throw std::runtime_error("icon image " + std::to_string(i) + " is shorter than its bits and mask");
        e.colours.resize(static_cast<std::size_t>(e.size * e.size));
        e.alpha.assign(e.colours.size(), 255);
        e.transparent.resize(e.colours.size());
        std::vector<bool> used(256);
        for (int row = 0; row < e.size; ++row) {
            const int y = e.size - 1 - row;  // bottom-up
            for (int x = 0; x < e.size; ++x) {
                const std::size_t p = at + static_cast<std::size_t>(row) * colourStride;
                if (e.bitsPerPixel == 8) {
                    const std::uint8_t index = d.at(p + static_cast<std::size_t>(x));
                    if (index >= palette.size()) throw std::runtime_error("index beyond the palette");
                    e.colours[e.At(x, y)] = palette[index];
                    used[index] = true;
                } else {
                    const std::size_t q = p + static_cast<std::size_t>(x * e.bitsPerPixel / 8);
                    e.colours[e.At(x, y)] = {d.at(q + 2), d.at(q + 1), d.at(q)};
                    if (e.bitsPerPixel == 32) e.alpha[e.At(x, y)] = d.at(q + 3);
                }
                const std::uint8_t maskByte =
                    d.at(maskStart + static_cast<std::size_t>(row) * maskStride + static_cast<std::size_t>(x / 8));
                e.transparent[e.At(x, y)] = (maskByte & (0x80 >> (x % 8))) != 0;
            }
        }
        e.distinctIndices = static_cast<int>(std::count(used.begin(), used.end(), true));
        entries.push_back(std::move(e));
    }
    return entries;
}

const std::vector<IconEntry>& Icon() {
    static const std::vector<IconEntry> icon = ReadIcon();
    return icon;
}

TEST(ArtworkIcon, HoldsNineImagesOfTheListedSizesAndDepths) {
    std::vector<std::array<int, 2>> found;
    for (const IconEntry& e : Icon()) found.push_back({e.size, e.bitsPerPixel});
    std::sort(found.begin(), found.end());
    const std::vector<std::array<int, 2>> expected = {{16, 8},  {16, 24}, {16, 32}, {32, 8}, {32, 24},
                                                      {32, 32}, {48, 24}, {48, 32}, {64, 32}};
    EXPECT_EQ(found, expected);
}

TEST(ArtworkIcon, EightBitImagesUseAPaletteFaithfulToTheFullColourImage) {
    for (const IconEntry& e : Icon()) {
        if (e.bitsPerPixel != 8) continue;
        SCOPED_TRACE(e.size);
        EXPECT_EQ(e.paletteEntries, 256);
        EXPECT_GE(e.distinctIndices, 16) << "a real palette, not a handful of colours";
        const auto twin = std::find_if(Icon().begin(), Icon().end(),
                                       [&](const IconEntry& o) { return o.size == e.size && o.bitsPerPixel == 24; });
        ASSERT_NE(twin, Icon().end());
        EXPECT_EQ(e.transparent, twin->transparent);
        long error = 0;
        long opaque = 0;
        for (std::size_t i = 0; i < e.colours.size(); ++i) {
            if (e.transparent[i]) continue;
            ++opaque;
            error += std::abs(e.colours[i].r - twin->colours[i].r) + std::abs(e.colours[i].g - twin->colours[i].g) +
                     std::abs(e.colours[i].b - twin->colours[i].b);
        }
        EXPECT_LT(static_cast<double>(error) / static_cast<double>(3 * opaque), 3.0) << "mean error per channel";
    }
}

TEST(ArtworkIcon, ThirtyTwoBitImagesCarryAnAlphaChannelMatchingTheMask) {
    for (const IconEntry& e : Icon()) {
        if (e.bitsPerPixel != 32) continue;
        SCOPED_TRACE(e.size);
        const auto count = [&](auto pred) { return std::count_if(e.alpha.begin(), e.alpha.end(), pred); };
        EXPECT_GT(count([](std::uint8_t a) { return a == 0; }), 0);
        EXPECT_GT(count([](std::uint8_t a) { return a == 255; }), 0);
        EXPECT_GT(count([](std::uint8_t a) { return a > 0 && a < 255; }), 0) << "a smooth edge";
        for (std::size_t i = 0; i < e.alpha.size(); ++i) {
            if (e.alpha[i] == 0) {
                ASSERT_TRUE(e.transparent[i]) << "pixel " << i;
            }
            if (e.alpha[i] == 255) {
                ASSERT_FALSE(e.transparent[i]) << "pixel " << i;
            }
        }
    }
}

// What the badge shows, at points given on a 64-pixel grid and scaled to each image.
TEST(ArtworkIcon, EveryImageShowsTheRoundCastleBadge) {
    struct Sample {
        const char* what;
        double x, y;
        bool (*matches)(Rgb);
    };
    const std::array<Sample, 4> samples = {{
        {"blue rim", 2.5, 32, [](Rgb c) { return c.b > c.r + 60 && c.b > c.g + 20; }},
        {"light blue sky", 22, 12, [](Rgb c) { return c.b > 200 && c.r > 110 && c.b > c.r + 20; }},
        {"green ground", 32, 54, [](Rgb c) { return c.g > c.r + 30 && c.g > c.b + 30; }},
        {"brown castle", 24, 44, [](Rgb c) { return c.r > c.g + 25 && c.g > c.b + 10 && c.r < 220; }},
    }};
    for (const IconEntry& e : Icon()) {
        SCOPED_TRACE(std::to_string(e.size) + " at " + std::to_string(e.bitsPerPixel) + " bits");
        const double scale = e.size / 64.0;
        const auto at = [&](double x, double y) {
            return e.At(std::min(e.size - 1, static_cast<int>(x * scale)),
                        std::min(e.size - 1, static_cast<int>(y * scale)));
        };
        for (const auto& [x, y] : std::array<std::array<int, 2>, 4>{{{0, 0}, {63, 0}, {0, 63}, {63, 63}}})
            EXPECT_TRUE(e.transparent[at(x, y)]) << "round: corner " << x << "," << y << " is see-through";
        EXPECT_FALSE(e.transparent[at(32, 32)]);
        for (const Sample& s : samples) {
            const Rgb c = e.colours[at(s.x, s.y)];
            EXPECT_TRUE(s.matches(c)) << s.what << " at " << s.x << "," << s.y << ": " << Show(c);
        }
    }
}

// Red roofs, white bands on them and the pink pennant are counted in the upper half of the badge;
// the bands and the pennant are too fine for 16 pixels.
TEST(ArtworkIcon, RoofsAreRedAndWhiteUnderAPinkPennant) {
    const auto red = [](Rgb c) { return c.r > 170 && c.g < 90 && c.b < 90; };
    const auto white = [](Rgb c) { return c.r > 225 && c.g > 200 && c.b > 200; };
    const auto pink = [](Rgb c) { return c.r > 220 && c.g > 70 && c.g < 170 && c.b > 130; };
    for (const IconEntry& e : Icon()) {
        SCOPED_TRACE(std::to_string(e.size) + " at " + std::to_string(e.bitsPerPixel) + " bits");
        const int half = e.size / 2;
        int roof = 0;
        int band = 0;
        int pennant = 0;
        for (int y = 1; y < half; ++y) {
            for (int x = 0; x < e.size; ++x) {
                if (e.transparent[e.At(x, y)]) continue;
                const Rgb c = e.colours[e.At(x, y)];
                roof += red(c) ? 1 : 0;
                pennant += pink(c) ? 1 : 0;
                // A white band has red within three rows above it and below it.
                if (white(c)) {
                    bool redAbove = false;
                    bool redBelow = false;
                    for (int d = 1; d <= 3; ++d) {
                        redAbove = redAbove || (y - d >= 0 && red(e.colours[e.At(x, y - d)]));
                        redBelow = redBelow || red(e.colours[e.At(x, y + d)]);
                    }
                    band += (redAbove && redBelow) ? 1 : 0;
                }
            }
        }
        EXPECT_GE(roof, e.size * e.size / 100) << "red roofs";
        if (e.size >= 32) {
            EXPECT_GE(band, e.size / 16) << "white bands on the roofs";
            EXPECT_GE(pennant, e.size / 16) << "pink pennant";
        }
    }
}

}  // namespace
