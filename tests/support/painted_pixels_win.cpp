#include "tests/support/painted_pixels.h"

namespace testenv {

std::vector<std::uint32_t> paintedPixels(int width,
                                         int height,
                                         COLORREF background,
                                         const std::function<void(HDC)>& paint) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    RECT all = {0, 0, width, height};
    HBRUSH brush = CreateSolidBrush(background);
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    paint(dc);
    GdiFlush();
    const auto* source = static_cast<const std::uint32_t*>(bits);
    std::vector<std::uint32_t> pixels(source, source + static_cast<std::size_t>(width) * height);
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return pixels;
}

}  // namespace testenv
