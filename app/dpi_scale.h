#pragma once

#include <vector>

// Sizes and places on screens of any DPI, kept apart from the windows so that they can be checked on any
// platform. The program is drawn for 96 DPI (the square 32 pixels, the tray icon 16); at other DPIs its pixel
// sizes grow in proportion, and at 96 DPI every size is exactly the one it was drawn with.
namespace app {

constexpr int kDesignDpi = 96;

// `pixels` at 96 DPI, scaled to `dpi`, rounded to the nearest pixel (halves up).
int scaledForDpi(int pixels, int dpi);

// The icon image to draw for a place `wanted` pixels wide, out of the sizes the program holds: the largest
// that fits, or the smallest when none fits. An image is drawn at its own size, never stretched, so it stays
// as sharp as its pixel art.
int nearestImageSize(int wanted, const std::vector<int>& available);

// A rectangle of the screen, in pixels: left and top inclusive, right and bottom exclusive.
struct ScreenArea {
    int left;
    int top;
    int right;
    int bottom;
};

struct ScreenPoint {
    int x;
    int y;
};

// Where a square of `size` pixels whose top-left corner is wanted at (x, y) starts so that it stays inside
// `area`: pulled back to at least one pixel more than its size inside the right and bottom edges, and not
// before the left and top edges.
ScreenPoint keepSquareInside(int x, int y, int size, const ScreenArea& area);

}  // namespace app
