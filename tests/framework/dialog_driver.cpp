#include "tests/framework/dialog_driver.h"

#include <utility>

#include "tests/support/window_capture.h"

namespace testwin {

namespace {

// The hook of the one live DialogInitHook.
HHOOK hook = nullptr;
std::function<void(HWND)> hookAction;

LRESULT CALLBACK afterWindowProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && hookAction) {
        const auto* message = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        if (message->message == WM_INITDIALOG && IsWindow(message->hwnd)) {
            hookAction(message->hwnd);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

DialogInitHook::DialogInitHook(std::function<void(HWND)> action) {
    hookAction = std::move(action);
    hook = SetWindowsHookExA(WH_CALLWNDPROCRET, afterWindowProc, nullptr, GetCurrentThreadId());
}

DialogInitHook::~DialogInitHook() {
    UnhookWindowsHookEx(hook);
    hook = nullptr;
    hookAction = nullptr;
}

std::string windowText(HWND window) {
    int length = GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    int copied = GetWindowTextA(window, &text[0], length + 1);
    text.resize(static_cast<std::size_t>(copied));
    return text;
}

std::string itemText(HWND dialog, int id) {
    return windowText(GetDlgItem(dialog, id));
}

void postCommand(HWND window, WPARAM wParam) {
    PostMessageA(window, WM_COMMAND, wParam, 0);
}

void pumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool savePicture(HWND window, const std::string& name) {
    // A modal dialog is shown only once its loop runs; a picture taken earlier needs it on screen now.
    if (!IsWindowVisible(window)) {
        ShowWindow(window, SW_SHOWNOACTIVATE);
    }
    return !testenv::saveWindowPicture(window, name).empty();
}

}  // namespace testwin
