#pragma once

#include <windows.h>

#include "app/count_badge.h"

// Drawing the count badge (count_badge.h) on the square and into the tray icon.
namespace app {

// The badge's plate and figures.
constexpr COLORREF kBadgePlate = RGB(255, 255, 255);
constexpr COLORREF kBadgeInk = RGB(0, 0, 0);

// Paints the badge with its bottom right corner at (right, bottom), each font pixel a square of whole pixels.
void paintBadge(HDC dc, int right, int bottom, const BadgeImage& badge);

// A copy of `icon`, drawn at `size` pixels, with the badge in its bottom right corner; null when it cannot be
// made. The caller destroys it.
HICON iconWithBadge(HICON icon, int size, const BadgeImage& badge);

}  // namespace app
