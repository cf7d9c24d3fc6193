#include "app/dpi_scale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using app::keepSquareInside;
using app::nearestImageSize;
using app::scaledForDpi;

TEST(DpiScale, SizesGrowWithTheDpiAndStayAsDrawnAt96) {
    const struct {
        int pixels, dpi, expected;
    } cases[] = {
        {32, 96, 32},  {16, 96, 16},  {440, 96, 440},  {32, 120, 40},   {32, 144, 48}, {32, 192, 64},
        {16, 144, 24}, {16, 192, 32}, {440, 144, 660}, {160, 192, 320}, {50, 120, 63}, {33, 144, 50},
        {32, 168, 56}, {32, 288, 96}, {1, 72, 1},      {0, 192, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, scaledForDpi(c.pixels, c.dpi)) << c.pixels << " px at " << c.dpi;
    }
    // Never smaller at a higher DPI, and exact at whole multiples of 96.
    for (int pixels = 0; pixels <= 600; pixels += 7) {
        for (int dpi = 96; dpi < 400; dpi += 12) {
            EXPECT_LE(scaledForDpi(pixels, dpi), scaledForDpi(pixels, dpi + 12));
        }
        EXPECT_EQ(pixels * 2, scaledForDpi(pixels, 192));
        EXPECT_EQ(pixels * 3, scaledForDpi(pixels, 288));
    }
}

TEST(DpiScale, NearestImageIsTheLargestThatFits) {
    const std::vector<int> square{32, 40, 48, 64, 96};
    const struct {
        int wanted, expected;
    } cases[] = {{32, 32}, {40, 40}, {47, 40}, {48, 48}, {56, 48}, {64, 64}, {95, 64}, {96, 96}, {200, 96}, {20, 32}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, nearestImageSize(c.wanted, square)) << c.wanted;
    }
    EXPECT_EQ(24, nearestImageSize(30, {48, 24, 16}));  // the order of the list does not matter
    // Whatever is wanted, the answer is one of the sizes held, and it fits unless nothing does.
    for (int wanted = 1; wanted < 150; ++wanted) {
        int got = nearestImageSize(wanted, square);
        EXPECT_NE(square.end(), std::find(square.begin(), square.end(), got));
        EXPECT_TRUE(got <= wanted || got == 32) << wanted;
    }
}

TEST(DpiScale, SquareStaysInsideItsScreen) {
    const app::ScreenArea screen{0, 0, 1024, 768};
    const app::ScreenArea right{1024, -200, 2944, 880};  // a second screen beside the first
    const struct {
        int x, y, size;
        app::ScreenArea area;
        int expectedX, expectedY;
    } cases[] = {
        {5000, -20, 32, screen, 991, 0},   {100, 100, 32, screen, 100, 100},    {991, 735, 32, screen, 991, 735},
        {992, 736, 32, screen, 991, 735},  {5000, 5000, 48, screen, 975, 719},  {5000, 5000, 64, screen, 959, 703},
        {-7, -7, 48, screen, 0, 0},        {1500, -300, 48, right, 1500, -200}, {0, 0, 32, right, 1024, 0},
        {4000, 900, 32, right, 2911, 847},
    };
    for (const auto& c : cases) {
        app::ScreenPoint got = keepSquareInside(c.x, c.y, c.size, c.area);
        EXPECT_EQ(c.expectedX, got.x) << c.x << "," << c.y << " size " << c.size;
        EXPECT_EQ(c.expectedY, got.y) << c.x << "," << c.y << " size " << c.size;
    }
    // Property: on any screen larger than the square, the whole square and one pixel beyond are on it.
    for (int size : {32, 40, 48, 64}) {
        for (int x = -3000; x <= 3000; x += 250) {
            app::ScreenPoint got = keepSquareInside(x, -x, size, screen);
            EXPECT_GE(got.x, screen.left);
            EXPECT_GE(got.y, screen.top);
            EXPECT_LE(got.x + size + 1, screen.right);
            EXPECT_LE(got.y + size + 1, screen.bottom);
        }
    }
}

}  // namespace
