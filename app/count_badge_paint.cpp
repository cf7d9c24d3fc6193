#include "app/count_badge_paint.h"

namespace app {

void paintBadge(HDC dc, int right, int bottom, const BadgeImage& badge) {
    if (badge.cells.empty()) {
        return;
    }
    HBRUSH plate = CreateSolidBrush(kBadgePlate);
    HBRUSH ink = CreateSolidBrush(kBadgeInk);
    const int left = right - badge.width();
    const int top = bottom - badge.height();
    for (int row = 0; row < badge.rows; ++row) {
        for (int column = 0; column < badge.columns; ++column) {
            const RECT cell{left + column * badge.scale, top + row * badge.scale, left + (column + 1) * badge.scale,
                            top + (row + 1) * badge.scale};
            FillRect(dc, &cell, badge.at(column, row) == BadgeImage::kInk ? ink : plate);
        }
    }
    DeleteObject(ink);
    DeleteObject(plate);
}

// The icon's colour and mask drawn apart, the badge painted into the colour and made opaque in the mask.
HICON iconWithBadge(HICON icon, int size, const BadgeImage& badge) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP colour = CreateCompatibleBitmap(screen, size, size);
    HBITMAP mask = CreateBitmap(size, size, 1, 1, nullptr);
    ReleaseDC(nullptr, screen);
    HICON badged = nullptr;
    if (dc != nullptr && colour != nullptr && mask != nullptr) {
        HGDIOBJ old = SelectObject(dc, colour);
        DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_IMAGE);
        paintBadge(dc, size, size, badge);
        SelectObject(dc, mask);
        DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_MASK);
        const RECT plate{size - badge.width(), size - badge.height(), size, size};
        FillRect(dc, &plate, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        SelectObject(dc, old);
        ICONINFO info{TRUE, 0, 0, mask, colour};
        badged = CreateIconIndirect(&info);
    }
    if (mask != nullptr) {
        DeleteObject(mask);
    }
    if (colour != nullptr) {
        DeleteObject(colour);
    }
    if (dc != nullptr) {
        DeleteDC(dc);
    }
    return badged;
}

}  // namespace app
