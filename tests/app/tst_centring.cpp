#include "app/centring.h"

#include <gtest/gtest.h>

// The window and its frame stand in the middle of an 800 by 600 screen.
TEST(Centring, TheFrameCountsAndHalvesRoundTowardZero) {
    struct Case {
        const char* window;
        int width, height;
        FrameMargins frame;
        int x, y;
    } cases[] = {
        {"main window, no window manager", 256, 240, {}, 272, 180},
        {"main window in a title bar frame", 256, 240, {1, 20, 1, 1}, 271, 169},
        {"mini timer, borderless", 38, 50, {}, 381, 275},
        {"odd sizes", 257, 241, {1, 21, 1, 1}, 270, 168},
        {"wider and taller than the screen", 900, 700, {4, 24, 4, 4}, 0, 0},
    };
    for (const Case& c : cases) {
        const FramePosition at = centredFrame(800, 600, c.width, c.height, c.frame);
        EXPECT_EQ(at.x, c.x) << c.window;
        EXPECT_EQ(at.y, c.y) << c.window;
    }
}
