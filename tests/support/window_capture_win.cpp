#include "tests/support/window_capture.h"

// The GDI+ headers need these two, which WIN32_LEAN_AND_MEAN leaves out of <windows.h>.
#include <objidl.h>
#include <propidl.h>

#include <gdiplus.h>

#include "tests/support/test_env.h"

namespace testenv {

namespace {

// GDI+ writes the PNG; it is started for each picture, which costs little next to a test with windows.
bool writePng(HBITMAP bitmap, const std::string& path) {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) {
        return false;
    }
    bool written = false;
    {
        Gdiplus::Bitmap image(bitmap, nullptr);
        // The PNG encoder of GDI+.
        const CLSID pngEncoder = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
        wchar_t widePath[MAX_PATH] = {};
        if (MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, MAX_PATH) > 0) {
            written = image.Save(widePath, &pngEncoder, nullptr) == Gdiplus::Ok;
        }
    }
    Gdiplus::GdiplusShutdown(token);
    return written;
}

}  // namespace

std::string screenshotDir() {
    const std::string dir = hostPath(QV_SCREENSHOT_DIR);
    CreateDirectoryA(dir.c_str(), nullptr);  // fails harmlessly when it exists
    return dir;
}

std::string saveBitmapPicture(HBITMAP bitmap, const std::string& name) {
    const std::string path = screenshotDir() + "\\" + name + ".png";
    return writePng(bitmap, path) ? path : std::string();
}

std::string saveWindowPicture(HWND window, const std::string& name) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    GdiFlush();
    RECT rect;
    if (!GetWindowRect(window, &rect)) {
        return std::string();
    }
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    // Read through the window's own device context: under Wine that is the window's painted surface, which
    // may not have reached the X screen yet.
    HDC source = GetWindowDC(window);
    HDC memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateCompatibleBitmap(source, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    const bool copied = BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY) != 0;
    SelectObject(memory, previous);
    DeleteDC(memory);
    ReleaseDC(window, source);
    const std::string path = copied ? saveBitmapPicture(bitmap, name) : std::string();
    DeleteObject(bitmap);
    return path;
}

}  // namespace testenv
