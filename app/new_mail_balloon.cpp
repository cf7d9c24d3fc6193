#include "app/new_mail_balloon.h"

#include <commctrl.h>

#include <cstring>

#include "app/dpi_scale.h"
#include "app/dpi_win.h"
#include "base/shift_jis.h"

namespace app {

namespace {

constexpr UINT kToolId = 1;
constexpr UINT_PTR kCloseTimerId = 0x51;
constexpr UINT kDefaultSeconds = 5;  // the system's own default for notices
constexpr int kMaxWidth = 320;       // at 96 DPI; wider texts break into lines

// How long the system wants notices to stay (the user's accessibility setting), in milliseconds.
UINT noticeMilliseconds() {
    ULONG seconds = 0;
    if (!SystemParametersInfoA(SPI_GETMESSAGEDURATION, 0, &seconds, 0) || seconds == 0) {
        seconds = kDefaultSeconds;
    }
    return static_cast<UINT>(seconds) * 1000;
}

TOOLINFOA toolOf(HWND owner, char* text) {
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V1_SIZE;
    tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    tool.hwnd = owner;
    tool.uId = kToolId;
    tool.lpszText = text;
    return tool;
}

void copyCut(char* to, std::size_t room, const std::string& text) {
    const std::string_view fit = base::cutAtCharacter(text, room - 1);
    std::memcpy(to, fit.data(), fit.size());
    to[fit.size()] = '\0';
}

}  // namespace

NewMailBalloon::NewMailBalloon(UINT clickCommand) : clickCommand(clickCommand) {
}

NewMailBalloon::~NewMailBalloon() {
    close();
}

bool NewMailBalloon::makeTip(HWND square) {
    owner = square;
    tip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                          WS_POPUP | TTS_BALLOON | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, square, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (tip == nullptr) {
        return false;
    }
    SetWindowLongPtrA(tip, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    tipOriginalProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(tip, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&NewMailBalloon::tipProc)));
    char empty[] = "";
    TOOLINFOA tool = toolOf(owner, empty);
    SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageA(tip, TTM_SETMAXTIPWIDTH, 0, scaledForDpi(kMaxWidth, windowDpi(square)));
    return true;
}

void NewMailBalloon::showAtSquare(HWND square, const NewMailNotice& notice) {
    close();
    if (notice.empty() || !makeTip(square)) {
        return;
    }
    shown = notice.title + "\n" + notice.text;
    std::string text = notice.text;
    TOOLINFOA tool = toolOf(owner, text.data());
    SendMessageA(tip, TTM_SETTITLEA, TTI_INFO, reinterpret_cast<LPARAM>(notice.title.c_str()));
    SendMessageA(tip, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
    // The stem points at the middle of the square's bottom edge.
    RECT rect{};
    GetWindowRect(square, &rect);
    SendMessageA(tip, TTM_TRACKPOSITION, 0, MAKELPARAM((rect.left + rect.right) / 2, rect.bottom));
    SendMessageA(tip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
    SetTimer(tip, kCloseTimerId, noticeMilliseconds(), nullptr);
}

void NewMailBalloon::showInTray(const NOTIFYICONDATAA& tray, const NewMailNotice& notice) {
    close();
    if (notice.empty()) {
        return;
    }
    NOTIFYICONDATAA data = tray;
    data.cbSize = NOTIFYICONDATAA_V2_SIZE;
    data.uFlags = NIF_INFO;
    copyCut(data.szInfo, sizeof data.szInfo, notice.text);
    copyCut(data.szInfoTitle, sizeof data.szInfoTitle, notice.title);
    data.dwInfoFlags = NIIF_INFO;
    data.uTimeout = noticeMilliseconds();
    if (Shell_NotifyIconA(NIM_MODIFY, &data)) {
        trayShown = data;
    }
}

void NewMailBalloon::close() {
    closeTray();
    if (tip != nullptr) {
        HWND window = tip;
        tip = nullptr;
        DestroyWindow(window);
    }
    shown.clear();
}

// An empty text takes the tray's balloon down.
void NewMailBalloon::closeTray() {
    if (trayShown.hWnd == nullptr) {
        return;
    }
    trayShown.szInfo[0] = '\0';
    trayShown.szInfoTitle[0] = '\0';
    Shell_NotifyIconA(NIM_MODIFY, &trayShown);
    trayShown = NOTIFYICONDATAA{};
}

LRESULT CALLBACK NewMailBalloon::tipProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<NewMailBalloon*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcA(window, msg, wParam, lParam);
    }
    return self->tipMessage(window, msg, wParam, lParam);
}

LRESULT NewMailBalloon::tipMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    const WNDPROC original = tipOriginalProc;
    switch (msg) {
        case WM_GETTEXTLENGTH:
            return static_cast<LRESULT>(shown.size());
        case WM_GETTEXT:
            if (wParam == 0 || lParam == 0) {
                return 0;
            }
            copyCut(reinterpret_cast<char*>(lParam), wParam, shown);
            return static_cast<LRESULT>(std::strlen(reinterpret_cast<char*>(lParam)));
        case WM_TIMER:
            if (wParam == kCloseTimerId) {
                close();
                return 0;
            }
            break;
        case WM_LBUTTONDOWN: {
            const HWND square = owner;
            close();
            PostMessageA(square, WM_COMMAND, clickCommand, 0);
            return 0;
        }
        case WM_NCDESTROY:
            KillTimer(window, kCloseTimerId);
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            if (tip == window) {
                tip = nullptr;
            }
            return CallWindowProcA(original, window, msg, wParam, lParam);
        default:
            break;
    }
    return CallWindowProcA(original, window, msg, wParam, lParam);
}

}  // namespace app
