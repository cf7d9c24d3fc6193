#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The count of waiting mails as a small badge for a corner of the square and the tray icon: figures of a 3 by 5
// pixel font on a plain plate, each font pixel a whole number of screen pixels so that the badge is sharp at
// every size. Kept apart from the drawing so that it can be checked on any platform.
namespace app {

// The badge's text: "1" to "99", then "99+"; empty for no mail.
std::string badgeText(int count);

// The badge's picture in font pixels, row by row: the plate with a one-pixel margin around the figures, a blank
// column between them.
struct BadgeImage {
    enum Cell : std::uint8_t { kPlate = 0, kInk = 1 };

    int columns = 0;
    int rows = 0;
    int scale = 0;  // screen pixels per font pixel
    std::vector<std::uint8_t> cells;

    int width() const {
        return columns * scale;
    }
    int height() const {
        return rows * scale;
    }
    Cell at(int column, int row) const {
        return static_cast<Cell>(cells[static_cast<std::size_t>(row * columns + column)]);
    }
};

// The badge for `count` on an icon of `iconSize` pixels: as large as whole font pixels allow while it stays
// within two fifths of the icon's height, so that most of the icon keeps its colour. Empty for no mail.
BadgeImage badgeImage(int count, int iconSize);

}  // namespace app
