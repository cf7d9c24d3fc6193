#pragma once

// What a piece of drawing code paints, read back pixel by pixel (Win32 only; built into quorvane_test_support for
// the Windows build).
#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace testenv {

// Fills a width by height 32-bit bitmap with `background`, lets `paint` draw into its device context and returns
// the pixels row by row from the top, as 0x00RRGGBB values.
std::vector<std::uint32_t> paintedPixels(int width,
                                         int height,
                                         COLORREF background,
                                         const std::function<void(HDC)>& paint);

// The colour of one such pixel.
inline COLORREF colourOf(std::uint32_t pixel) {
    return RGB(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF);
}

}  // namespace testenv
