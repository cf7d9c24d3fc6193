// The square at any DPI: its size, the icons loaded sharp at that size, and keeping it on screen when the
// display or its DPI changes.
#include "app/application.h"

#include "app/dpi_scale.h"
#include "app/dpi_win.h"
#include "res/resource_ids.h"

namespace app {

namespace {

constexpr int kDesignSquare = 32;
constexpr int kDesignTrayIcon = 16;

// Each status look's drawings: the 32- and 16-pixel images of its icon, and the same drawings enlarged for
// screens above 96 DPI (sizes as res/icons/make_icons.py makes them).
struct IconSet {
    int id;
    int largeId;
    int trayId;
};
const IconSet kIdleIcons{IDI_IDLE, IDI_IDLE_LARGE, IDI_IDLE_TRAY};
const IconSet kMailIcons{IDI_MAIL, IDI_MAIL_LARGE, IDI_MAIL_TRAY};
const IconSet kCheckingIcons{IDI_CHECKING, IDI_CHECKING_LARGE, IDI_CHECKING_TRAY};
const std::vector<int> kSquareImageSizes{32, 40, 48, 64, 96};
const std::vector<int> kTrayImageSizes{16, 20, 24, 32, 48};

HICON loadImage(int id, int size) {
    return static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0));
}

// The drawing at one of its own sizes: the design size from the icon itself, larger ones from their group.
HICON loadSharp(int id, int largerId, int designSize, int size) {
    return loadImage(size == designSize ? id : largerId, size);
}

RECT monitorArea(HMONITOR monitor) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoA(monitor, &info);
    return info.rcMonitor;
}

}  // namespace

void Application::loadIcons() {
    squareSize = scaledForDpi(kDesignSquare, dpi);
    squareIconSize = nearestImageSize(squareSize, kSquareImageSizes);
    const int traySize = nearestImageSize(scaledForDpi(kDesignTrayIcon, dpi), kTrayImageSizes);
    trayIconSize = traySize;
    idleIcon = loadSharp(kIdleIcons.id, kIdleIcons.largeId, kDesignSquare, squareIconSize);
    mailIcon = loadSharp(kMailIcons.id, kMailIcons.largeId, kDesignSquare, squareIconSize);
    checkingIcon = loadSharp(kCheckingIcons.id, kCheckingIcons.largeId, kDesignSquare, squareIconSize);
    idleIconSmall = loadSharp(kIdleIcons.id, kIdleIcons.trayId, kDesignTrayIcon, traySize);
    mailIconSmall = loadSharp(kMailIcons.id, kMailIcons.trayId, kDesignTrayIcon, traySize);
    checkingIconSmall = loadSharp(kCheckingIcons.id, kCheckingIcons.trayId, kDesignTrayIcon, traySize);
}

// New sizes for a new DPI: the icons are made again at the new sizes and the current look takes them (the
// square is repainted, the tray icon replaced).
void Application::applyDpi(int newDpi) {
    if (newDpi == dpi) {
        return;
    }
    dpi = newDpi;
    HICON old[] = {idleIcon, mailIcon, checkingIcon, idleIconSmall, mailIconSmall, checkingIconSmall};
    loadIcons();
    show(currentLook);
    // An open settings dialog shows the old idle icons in its title bar: those stay (a few icons, once).
    if (settingsOpen) {
        return;
    }
    for (HICON icon : old) {
        if (icon != nullptr) {
            DestroyIcon(icon);
        }
    }
}

void Application::moveSquareInto(int x, int y, const RECT& area, UINT flags) {
    ScreenPoint place = keepSquareInside(x, y, squareSize, ScreenArea{area.left, area.top, area.right, area.bottom});
    SetWindowPos(hwnd, nullptr, place.x, place.y, squareSize, squareSize, flags);
}

// The screen's resolution changed (lParam: the primary screen's new width and height). The square stays on
// the screen it is on: the primary one by the message's size, another one of several by its own rectangle
// (it falls back to the nearest remaining screen when its own was removed). A change that also changed the
// DPI resizes it.
void Application::onDisplayChange(Record* record) {
    applyDpi(windowDpi(hwnd));
    RECT area{0, 0, LOWORD(record->lParam), HIWORD(record->lParam)};
    HMONITOR monitor = MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (monitor != nullptr && GetMonitorInfoA(monitor, &info) && !(info.dwFlags & MONITORINFOF_PRIMARY)) {
        area = info.rcMonitor;
    }
    RECT rect{};
    GetWindowRect(hwnd, &rect);
    moveSquareInto(rect.left, rect.top, area, SWP_NOZORDER | SWP_NOOWNERZORDER);
}

// The square moved to a screen of another DPI, or that screen's DPI changed (per-monitor aware, Windows 8.1
// on): it takes the size of the new DPI at the place the system suggests, kept inside that screen.
void Application::onDpiChanged(Record* record) {
    applyDpi(LOWORD(record->wParam));
    const auto* suggested = reinterpret_cast<const RECT*>(record->lParam);
    RECT rect{};
    if (suggested != nullptr) {
        rect = *suggested;
    } else {
        GetWindowRect(hwnd, &rect);
    }
    moveSquareInto(rect.left, rect.top, monitorArea(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST)),
                   SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_NOACTIVATE);
}

}  // namespace app
