#include "app/dpi_scale.h"

namespace app {

int scaledForDpi(int pixels, int dpi) {
    return (pixels * dpi + kDesignDpi / 2) / kDesignDpi;
}

int nearestImageSize(int wanted, const std::vector<int>& available) {
    int best = 0;
    int smallest = 0;
    for (int size : available) {
        if (size <= wanted && size > best) {
            best = size;
        }
        if (smallest == 0 || size < smallest) {
            smallest = size;
        }
    }
    return best != 0 ? best : smallest;
}

ScreenPoint keepSquareInside(int x, int y, int size, const ScreenArea& area) {
    // One pixel more than the square: the margin the program has always kept from the right and bottom edges.
    const int margin = size + 1;
    if (x >= area.right - margin) {
        x = area.right - margin;
    }
    if (y >= area.bottom - margin) {
        y = area.bottom - margin;
    }
    return ScreenPoint{x < area.left ? area.left : x, y < area.top ? area.top : y};
}

}  // namespace app
