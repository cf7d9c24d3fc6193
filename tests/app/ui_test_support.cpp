#include "tests/app/ui_test_support.h"

#include <commctrl.h>

#include <set>

#include "framework/window_base.h"

namespace uitest {

namespace {

DialogAnswerer* activeAnswerer = nullptr;
// The dialogs already answered: activation can come more than once per dialog.
std::set<HWND> answered;

BOOL CALLBACK findText(HWND child, LPARAM param) {
    char className[32] = {};
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "Static") == 0) {
        std::string text = windowText(child);
        if (!text.empty()) {
            *reinterpret_cast<std::string*>(param) = text;
            return FALSE;
        }
    }
    return TRUE;
}

bool isDialog(HWND window) {
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    return lstrcmpA(className, "#32770") == 0;
}

}  // namespace

void prepareWindowing() {
    static bool prepared = false;
    if (prepared) {
        return;
    }
    prepared = true;
    framework::RegisterWindowClass(nullptr, nullptr, nullptr, nullptr, nullptr,
                                   reinterpret_cast<HBRUSH>(COLOR_MENU + 1), 0, 0, framework::SharedWindowProc);
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_LISTVIEW_CLASSES;
    InitCommonControlsEx(&controls);
}

bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message != WM_QUIT) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            if (done()) {
                return true;
            }
        }
        if (done()) {
            return true;
        }
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
    }
}

void drainMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message != WM_QUIT) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

DialogAnswerer::DialogAnswerer(int button, std::function<void(HWND)> prepare)
    : button(button), prepare(std::move(prepare)) {
    activeAnswerer = this;
    answered.clear();
    hook = SetWindowsHookExA(WH_CBT, &DialogAnswerer::hookProc, nullptr, GetCurrentThreadId());
}

DialogAnswerer::~DialogAnswerer() {
    UnhookWindowsHookEx(hook);
    activeAnswerer = nullptr;
}

void DialogAnswerer::answerWith(int newButton, std::function<void(HWND)> newPrepare) {
    button = newButton;
    prepare = std::move(newPrepare);
}

LRESULT CALLBACK DialogAnswerer::hookProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && activeAnswerer != nullptr) {
        auto window = reinterpret_cast<HWND>(wParam);
        if (isDialog(window) && answered.insert(window).second) {
            activeAnswerer->answer(window);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void DialogAnswerer::answer(HWND dialog) {
    SeenDialog seen{windowText(dialog), ""};
    EnumChildWindows(dialog, findText, reinterpret_cast<LPARAM>(&seen.text));
    dialogs.push_back(seen);
    if (prepare) {
        prepare(dialog);
    }
    PostMessageA(dialog, WM_COMMAND, static_cast<WPARAM>(button), 0);
}

namespace {

HWND watchedWindow = nullptr;
int popupsOpened = 0;
HMENU openedMenu = nullptr;

}  // namespace

PopupWatcher::PopupWatcher(HWND window) {
    watchedWindow = window;
    popupsOpened = 0;
    openedMenu = nullptr;
    hook = SetWindowsHookExA(WH_CALLWNDPROC, &PopupWatcher::hookProc, nullptr, GetCurrentThreadId());
}

PopupWatcher::~PopupWatcher() {
    UnhookWindowsHookEx(hook);
    watchedWindow = nullptr;
}

int PopupWatcher::timesOpened() const {
    return popupsOpened;
}

HMENU PopupWatcher::lastMenu() const {
    return openedMenu;
}

LRESULT CALLBACK PopupWatcher::hookProc(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message->hwnd == watchedWindow) {
        if (message->message == WM_INITMENUPOPUP) {
            ++popupsOpened;
            openedMenu = reinterpret_cast<HMENU>(message->wParam);
        } else if (message->message == WM_ENTERIDLE && message->wParam == MSGF_MENU) {
            EndMenu();
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

ScratchFolder::ScratchFolder() {
    char current[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof current, current);
    previous = current;
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    static unsigned counter = 0;
    for (;;) {
        folder = std::string(temp) + "quorvane-app-" + std::to_string(GetCurrentProcessId()) + "-" +
                 std::to_string(++counter);
        if (CreateDirectoryA(folder.c_str(), nullptr)) {
            break;
        }
    }
    SetCurrentDirectoryA(folder.c_str());
}

ScratchFolder::~ScratchFolder() {
    SetCurrentDirectoryA(previous.c_str());
    DeleteFileA((folder + "\\Quorvane.ini").c_str());
    RemoveDirectoryA(folder.c_str());
}

void ScratchFolder::setIni(const char* key, const std::string& value) {
    setIni("SETTING", key, value);
}

void ScratchFolder::setIni(const char* section, const char* key, const std::string& value) {
    WritePrivateProfileStringA(section, key, value.c_str(), (folder + "\\Quorvane.ini").c_str());
}

std::string ScratchFolder::ini(const char* key) const {
    char value[256] = {};
    GetPrivateProfileStringA("SETTING", key, "", value, sizeof value, (folder + "\\Quorvane.ini").c_str());
    return value;
}

bool ScratchFolder::iniHas(const char* key) const {
    char value[256] = {};
    GetPrivateProfileStringA("SETTING", key, "\x01", value, sizeof value, (folder + "\\Quorvane.ini").c_str());
    return std::string(value) != "\x01";
}

std::string windowText(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

}  // namespace uitest
