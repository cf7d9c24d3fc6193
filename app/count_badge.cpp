#include "app/count_badge.h"

#include <algorithm>

namespace app {

namespace {

constexpr int kGlyphColumns = 3;
constexpr int kGlyphRows = 5;
constexpr int kMargin = 1;
constexpr int kPlateRows = kGlyphRows + 2 * kMargin;

// Rows of three font pixels, the top row first; bit 2 is the left column.
struct Glyph {
    char character;
    std::uint8_t rows[kGlyphRows];
};

constexpr Glyph kGlyphs[] = {
    {'0', {7, 5, 5, 5, 7}}, {'1', {2, 6, 2, 2, 7}}, {'2', {7, 1, 7, 4, 7}}, {'3', {7, 1, 7, 1, 7}},
    {'4', {5, 5, 7, 1, 1}}, {'5', {7, 4, 7, 1, 7}}, {'6', {7, 4, 7, 5, 7}}, {'7', {7, 1, 2, 2, 2}},
    {'8', {7, 5, 7, 5, 7}}, {'9', {7, 5, 7, 1, 7}}, {'+', {0, 2, 7, 2, 0}},
};

const Glyph* glyphOf(char character) {
    for (const Glyph& glyph : kGlyphs) {
        if (glyph.character == character) {
            return &glyph;
        }
    }
    return nullptr;
}

}  // namespace

std::string badgeText(int count) {
    if (count <= 0) {
        return std::string();
    }
    return count > 99 ? "99+" : std::to_string(count);
}

BadgeImage badgeImage(int count, int iconSize) {
    BadgeImage image;
    const std::string text = badgeText(count);
    if (text.empty()) {
        return image;
    }
    const int glyphs = static_cast<int>(text.size());
    image.columns = 2 * kMargin + glyphs * kGlyphColumns + (glyphs - 1);
    image.rows = kPlateRows;
    image.scale = std::max(1, iconSize * 2 / (5 * kPlateRows));
    image.cells.assign(static_cast<std::size_t>(image.columns * image.rows), BadgeImage::kPlate);
    for (int index = 0; index < glyphs; ++index) {
        const Glyph* glyph = glyphOf(text[static_cast<std::size_t>(index)]);
        const int left = kMargin + index * (kGlyphColumns + 1);
        for (int row = 0; row < kGlyphRows; ++row) {
            for (int column = 0; column < kGlyphColumns; ++column) {
                if ((glyph->rows[row] >> (kGlyphColumns - 1 - column) & 1) != 0) {
                    image.cells[static_cast<std::size_t>((kMargin + row) * image.columns + left + column)] =
                        BadgeImage::kInk;
                }
            }
        }
    }
    return image;
}

}  // namespace app
