#include "resources/gen/dialpictures.h"

#include <QColor>

#include <array>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace {

constexpr int kSize = 128;
constexpr int kCentre = 63;
// The disc reaches 57 pixels from the centre on the middle row and column; the
// half pixel gives its outline round shoulders instead of single-pixel tips.
constexpr double kOuterRadius = 57.5;
constexpr double kRingWidth = 3.0;

enum Index : uint { kBlack = 0, kWhite = 1, kRed = 2 };

QImage blankPicture(Index fill) {
    QImage image(kSize, kSize, QImage::Format_Indexed8);
    QList<QRgb> palette(256, qRgb(0, 0, 0));
    palette[kWhite] = qRgb(255, 255, 255);
    palette[kRed] = qRgb(255, 0, 0);
    image.setColorTable(palette);
    image.fill(fill);
    return image;
}

double distanceSquared(int x, int y) {
    const double dx = x - kCentre;
    const double dy = y - kCentre;
    return dx * dx + dy * dy;
}

bool insideDisc(int x, int y) {
    return distanceSquared(x, y) <= kOuterRadius * kOuterRadius;
}

bool insideRingHole(int x, int y) {
    const double inner = kOuterRadius - kRingWidth;
    return distanceSquared(x, y) <= inner * inner;
}

// A bold serif figure 9 pixels tall; '#' is ink. Widths differ so that each
// numeral fills its place on the dial exactly.
struct Glyph {
    std::array<const char*, 9> rows;
    int width() const { return static_cast<int>(std::strlen(rows[0])); }
};

// clang-format off
const Glyph kOne{{
    "..##..",
    "####..",
    "..##..",
    "..##..",
    "..##..",
    "..##..",
    "..##..",
    "..##..",
    "######",
}};
const Glyph kZero{{
    "..###..",
    ".##.##.",
    "##...##",
    "##...##",
    "##...##",
    "##...##",
    "##...##",
    ".##.##.",
    "..###..",
}};
const Glyph kTwo{{
    "..#####..",
    ".##...###",
    ".##....##",
    ".......##",
    "......##.",
    "....###..",
    "..###....",
    ".##.....#",
    "#########",
}};
// The 2 of 12 is one column narrower, to leave a gap after the 1.
const Glyph kNarrowTwo{{
    ".#####..",
    "##...###",
    "##....##",
    "......##",
    ".....##.",
    "...###..",
    ".###....",
    "##.....#",
    "########",
}};
const Glyph kThree{{
    "..#####..",
    ".##...###",
    "......###",
    "......##.",
    "...####..",
    "......###",
    ".......##",
    "##....###",
    ".######..",
}};
const Glyph kFour{{
    "......###.",
    ".....####.",
    "....##.##.",
    "...##..##.",
    "..##...##.",
    ".##....##.",
    "##########",
    ".......##.",
    ".....#####",
}};
const Glyph kFive{{
    "..#######",
    "..##.....",
    ".##......",
    ".######..",
    "......###",
    ".......##",
    ".......##",
    "##....##.",
    ".#####...",
}};
const Glyph kSix{{
    "...####.",
    ".##...##",
    "##......",
    "##.###..",
    "###..##.",
    "##....##",
    "##....##",
    ".##..##.",
    "..####..",
}};
const Glyph kSeven{{
    "########",
    "#.....##",
    ".....##.",
    ".....##.",
    "....##..",
    "....##..",
    "...##...",
    "...##...",
    "...##...",
}};
const Glyph kEight{{
    "..#####..",
    ".##...##.",
    ".###..##.",
    "..###.#..",
    "...####..",
    ".##..###.",
    "##....###",
    "##.....##",
    ".#######.",
}};
const Glyph kNine{{
    "..#####..",
    ".##...##.",
    "##.....##",
    "##.....##",
    ".##...###",
    "..####.##",
    ".......##",
    "##....##.",
    ".#####...",
}};
// clang-format on

// A numeral's figures and the top left corner of its place on the dial; the
// places put the numerals' centres 46 to 47 pixels from the dial's centre.
struct Numeral {
    std::vector<const Glyph*> figures;
    int left;
    int top;
};

const std::array<Numeral, 12> kNumerals{{
    {{&kOne, &kNarrowTwo}, 56, 13},
    {{&kOne}, 86, 19},
    {{&kTwo}, 100, 36},
    {{&kThree}, 106, 59},
    {{&kFour}, 99, 83},
    {{&kFive}, 83, 99},
    {{&kSix}, 60, 106},
    {{&kSeven}, 36, 100},
    {{&kEight}, 19, 83},
    {{&kNine}, 12, 60},
    {{&kOne, &kZero}, 17, 36},
    {{&kOne, &kOne}, 33, 20},
}};

constexpr int kFigureGap = 1;

void drawGlyph(QImage& image, const Glyph& glyph, int left, int top) {
    for (int row = 0; row < static_cast<int>(glyph.rows.size()); ++row) {
        for (int column = 0; column < glyph.width(); ++column) {
            if (glyph.rows[row][column] == '#') image.setPixel(left + column, top + row, kBlack);
        }
    }
}

}  // namespace

QImage drawDialMask() {
    QImage mask = blankPicture(kBlack);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            if (insideDisc(x, y)) mask.setPixel(x, y, kWhite);
        }
    }
    return mask;
}

QImage drawDial() {
    QImage dial = blankPicture(kWhite);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            if (insideDisc(x, y) && !insideRingHole(x, y)) dial.setPixel(x, y, kRed);
        }
    }
    for (const Numeral& numeral : kNumerals) {
        int left = numeral.left;
        for (const Glyph* figure : numeral.figures) {
            drawGlyph(dial, *figure, left, numeral.top);
            left += figure->width() + kFigureGap;
        }
    }
    return dial;
}
