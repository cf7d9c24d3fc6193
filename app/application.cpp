#include "app/application.h"

#include <cstddef>

#include "app/command_ids.h"
#include "app/dpi_win.h"
#include "app/status_texts.h"
#include "mail/check_result.h"
#include "res/resource_ids.h"
#include "settings/settings_store.h"

namespace app {

namespace {

// The size of MENUITEMINFOA without the later hbmpItem field, which every version of the system accepts.
constexpr UINT kMenuItemInfoSize = offsetof(MENUITEMINFOA, hbmpItem);
constexpr UINT kTrayCallback = WM_USER + 0x86;
constexpr DWORD kStopRetryMs = 50;

}  // namespace

Application::Application()
    : messageHandlers(this, &Application::onDefault),
      commandHandlers(this),
      trayHandlers(this),
      profile(settings::kSettingsFilePath) {
    messageHandlers.Set(WM_CREATE, &Application::onCreate);
    messageHandlers.Set(WM_MOVE, &Application::onMove);
    messageHandlers.Set(WM_ACTIVATE, &Application::onActivate);
    messageHandlers.Set(WM_CLOSE, &Application::onClose);
    messageHandlers.Set(WM_QUERYENDSESSION, &Application::onQueryEndSession);
    messageHandlers.Set(WM_ERASEBKGND, &Application::onEraseBackground);
    messageHandlers.Set(WM_CONTEXTMENU, &Application::onContextMenu);
    messageHandlers.Set(WM_DISPLAYCHANGE, &Application::onDisplayChange);
    messageHandlers.Set(kWmDpiChanged, &Application::onDpiChanged);
    messageHandlers.Set(WM_NCHITTEST, &Application::onHitTest);
    messageHandlers.Set(WM_NCLBUTTONDBLCLK, &Application::onNcLeftDoubleClick);
    messageHandlers.Set(WM_NCRBUTTONDOWN, &Application::onNcRightButtonDown);
    messageHandlers.Set(WM_NCRBUTTONUP, &Application::onContextMenu);
    messageHandlers.Set(WM_COMMAND, &Application::onCommand);
    messageHandlers.Set(WM_TIMER, &Application::onTimer);
    messageHandlers.Set(kTrayCallback, &Application::onTrayCallback);
    messageHandlers.Set(kMsgWorkerLook, &Application::onWorkerLook);
    messageHandlers.Set(kMsgWorkerStatusText, &Application::onWorkerStatusText);
    messageHandlers.Set(kMsgCheckEnded, &Application::onCheckEnded);

    commandHandlers.Set(kCmdNoMail, &Application::onNoMail);
    commandHandlers.Set(kCmdMailWaiting, &Application::onMailWaiting);
    commandHandlers.Set(kCmdListClosed, &Application::onListClosed);
    commandHandlers.Set(kCmdCheckFailed, &Application::onCheckFailed);
    commandHandlers.Set(kCmdRaiseList, &Application::onRaiseList);
    commandHandlers.Set(IDM_QUIT, &Application::onQuit);
    commandHandlers.Set(IDM_SETTINGS, &Application::onSettings);
    commandHandlers.Set(IDM_CHECK_NOW, &Application::onCheckNow);
    commandHandlers.Set(IDM_STOP_CHECK, &Application::onStopCheck);
    commandHandlers.Set(IDM_TRAY, &Application::onTrayOrWindow);
    commandHandlers.Set(IDM_PAUSE, &Application::onPause);
    commandHandlers.Set(IDM_START_MAILER, &Application::onStartMailer);
    commandHandlers.Set(kCmdNoticeClicked, &Application::onNoticeClicked);

    trayHandlers.Set(WM_LBUTTONDOWN, &Application::onTrayLeftDown);
    trayHandlers.Set(WM_LBUTTONDBLCLK, &Application::onTrayLeftDoubleClick);
    trayHandlers.Set(WM_RBUTTONDOWN, &Application::onTrayRightDown);
    trayHandlers.Set(WM_RBUTTONUP, &Application::onTrayRightUp);
    trayHandlers.Set(NIN_BALLOONUSERCLICK, &Application::onNoticeClicked);

    settings::loadSettings(profile, settings);
    matchMailboxChecks();
}

Application::~Application() {
    // The checks use this object's members: end those that still run before they go.
    stopAllChecks();
    mailboxChecks.clear();
    if (hwnd != nullptr && IsWindow(hwnd)) {
        DestroyWindow(hwnd);
    }
    dropBadgedTrayIcon();
}

bool Application::createMainWindow(HWND ownerWindow) {
    return Create(kProgramTitle, nullptr, ownerWindow, WS_POPUP, WS_EX_TOPMOST, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0,
                  nullptr, GetModuleHandleA(nullptr));
}

LRESULT Application::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    Record record{msg, wParam, static_cast<framework::MessageLParam>(lParam), 0};
    messageHandlers.Dispatch(msg, &record);
    return record.result;
}

void Application::onDefault(Record* record) {
    record->result = DefaultProc(record->msg, record->wParam, record->lParam);
}

void Application::onCreate(Record*) {
    redBrush = CreateSolidBrush(RGB(255, 0, 0));
    blueBrush = CreateSolidBrush(RGB(0, 0, 255));
    greenBrush = CreateSolidBrush(RGB(0, 255, 0));

    // The square's size and icons at the DPI of the screen it starts on (at 96 DPI: 32 pixels, as drawn).
    dpi = windowDpi(hwnd);
    loadIcons();
    settings::WindowPosition saved = settings::readWindowPosition(profile);
    RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    moveSquareInto(saved.x, saved.y, screen, SWP_NOZORDER | SWP_NOREDRAW | SWP_NOOWNERZORDER);

    currentBrush = blueBrush;
    currentIcon = idleIcon;

    menuResource = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_POPUP_MENU));
    if (menuResource != nullptr) {
        popup = GetSubMenu(menuResource, 0);
        EnableMenuItem(popup, IDM_START_MAILER, MF_BYCOMMAND | (settings.exeMail.empty() ? MF_GRAYED : MF_ENABLED));
        setMenuItemState(IDM_CHECK_NOW, MFS_DEFAULT);
    }

    trayData.cbSize = NOTIFYICONDATAA_V1_SIZE;
    trayData.hWnd = hwnd;
    trayData.uID = 1;
    trayData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    trayData.uCallbackMessage = kTrayCallback;
    trayData.hIcon = idleIconSmall;
    lstrcpynA(trayData.szTip, kProgramTitle, sizeof trayData.szTip);

    if (settings.inTaskTray) {
        enterTray();
        setMenuItemState(IDM_TRAY, MFS_CHECKED);
    } else {
        ShowWindow(hwnd, SW_SHOW);
        setMenuItemState(IDM_TRAY, 0);
    }
    startTimer();
}

void Application::onMove(Record*) {
    // The square moves by dragging; nothing to do, and nothing for the default procedure either.
}

void Application::onActivate(Record* record) {
    if (LOWORD(record->wParam) != 0) {
        PostMessageA(hwnd, WM_COMMAND, kCmdRaiseList, 0);
    }
    onDefault(record);
}

// Every point of the square is its caption, so a left drag anywhere moves it.
void Application::onHitTest(Record* record) {
    record->result = HTCAPTION;
}

// A double click asks for a fresh check, whatever position its lParam carries.
void Application::onNcLeftDoubleClick(Record*) {
    checkNow(false);
}

// The default handling of a right press on a caption (under Wine) captures the mouse and swallows the
// release, so neither WM_NCRBUTTONUP nor WM_CONTEXTMENU would arrive. Taking the press here lets the
// release come through as WM_NCRBUTTONUP, which opens the popup menu on every platform.
void Application::onNcRightButtonDown(Record*) {
}

void Application::onContextMenu(Record*) {
    openPopupMenu();
}

void Application::onCommand(Record* record) {
    framework::ForwardCommand(commandHandlers, record);
}

void Application::onTrayCallback(Record* record) {
    trayHandlers.Dispatch(static_cast<UINT>(record->lParam), record);
}

void Application::onClose(Record*) {
    shutDown();
}

void Application::onQueryEndSession(Record* record) {
    shutDown();
    record->result = 1;
}

// Quitting, or the session ending. The workers are woken (sockets closed) and told to stop, the window state is
// written, and the workers are waited for before anything they might still touch (the menu) is released.
void Application::shutDown() {
    if (closed) {
        return;
    }
    closed = true;
    stopAllChecks();
    stopTimer();

    RECT rect{};
    GetWindowRect(hwnd, &rect);
    settings::saveWindowState(profile, rect.left, rect.top, settings.inTaskTray);
    notice.close();
    leaveTray();
    dropBadgedTrayIcon();

    // No worker waits for this thread (their screen updates are posted), so this wait ends as soon as each check
    // notices the stop request or its socket call fails. The request is repeated while waiting: one made while a
    // worker was still starting is lost, and a socket a worker opened after the close above must be closed too.
    while (!Wait(kStopRetryMs)) {
        stopAllChecks();
    }

    if (menuResource != nullptr) {
        DestroyMenu(menuResource);
    }
    menuResource = nullptr;
    popup = nullptr;
    for (HBRUSH* brush : {&redBrush, &blueBrush, &greenBrush}) {
        if (*brush != nullptr) {
            DeleteObject(*brush);
            *brush = nullptr;
        }
    }
    currentBrush = nullptr;
    DestroyWindow(hwnd);
    PostQuitMessage(0);
}

void Application::setMenuItemState(UINT item, UINT state) {
    MENUITEMINFOA info{};
    info.cbSize = kMenuItemInfoSize;
    info.fMask = MIIM_STATE;
    info.fState = state;
    SetMenuItemInfoA(popup, item, FALSE, &info);
}

}  // namespace app
