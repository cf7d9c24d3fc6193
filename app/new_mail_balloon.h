#pragma once

#include <windows.h>

#include <shellapi.h>

#include <string>

#include "app/notice_texts.h"

namespace app {

// The notice of new mail on screen, one at a time: with the square, a balloon tooltip pointing at it; in the
// tray, the tray icon's own balloon. A new notice replaces the one that is up. The square's balloon goes away
// after the system's time for notices, or when clicked; a click posts `clickCommand` to the square first.
class NewMailBalloon {
public:
    explicit NewMailBalloon(UINT clickCommand);
    ~NewMailBalloon();

    NewMailBalloon(const NewMailBalloon&) = delete;
    NewMailBalloon& operator=(const NewMailBalloon&) = delete;

    void showAtSquare(HWND square, const NewMailNotice& notice);
    // `tray` is the icon as it was added; its balloon fields are set on a copy.
    void showInTray(const NOTIFYICONDATAA& tray, const NewMailNotice& notice);
    // Takes down whichever balloon is up; the square's balloon window goes with it.
    void close();

    // The square's balloon window while it exists, else null. WM_GETTEXT on it gives what it shows: the title,
    // a line break, the text.
    HWND squareBalloon() const {
        return tip;
    }

private:
    static LRESULT CALLBACK tipProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT tipMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    bool makeTip(HWND square);
    void closeTray();

    UINT clickCommand;
    HWND tip = nullptr;
    HWND owner = nullptr;
    WNDPROC tipOriginalProc = nullptr;
    std::string shown;
    // The tray icon whose balloon is up (hWnd null: none).
    NOTIFYICONDATAA trayShown{};
};

}  // namespace app
