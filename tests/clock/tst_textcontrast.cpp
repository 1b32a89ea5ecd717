#include "clock/textcontrast.h"

#include <gtest/gtest.h>

TEST(TextContrast, RatiosOfKnownPairs) {
    struct Case {
        std::uint32_t first, second;
        double ratio;
    } cases[] = {{0x000000, 0xFFFFFF, 21.0}, {0xFFFFFF, 0x000000, 21.0},
                 {0x777777, 0x777777, 1.0},  {0x767676, 0xFFFFFF, 4.54},
                 {0x000000, 0x353535, 1.71}, {0x00FF00, 0x000000, 15.3}};
    for (const Case& c : cases)
        EXPECT_NEAR(contrastRatio(c.first, c.second), c.ratio, 0.01) << std::hex << c.first;
}

TEST(TextContrast, TheLayoutsBlackWhereItReadsElseTheDesktopsTextElseTheBetterOfBlackAndWhite) {
    struct Case {
        const char* look;
        std::uint32_t desktopText, background, chosen;
    } cases[] = {
        {"light grey window", 0x202020, 0xEFEFEF, 0x000000},
        {"mid grey, black just reads", 0xFFFFFF, 0x777777, 0x000000},
        {"dark window, light text", 0xE0E0E0, 0x353535, 0xE0E0E0},
        {"dark window, text as dark", 0x404040, 0x303030, 0xFFFFFF},
        {"dark blue window, grey text too faint", 0x606080, 0x101040, 0xFFFFFF},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(readableTextColour(0x000000, c.desktopText, c.background), c.chosen) << c.look;
        EXPECT_GE(
            contrastRatio(readableTextColour(0x000000, c.desktopText, c.background), c.background),
            kReadableContrast)
            << c.look;
    }
}
