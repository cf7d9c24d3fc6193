// Looks into another process's windows for the end-to-end tests: what a person would read on the screen.
//   peek texts <caption>      the window's text and every child's class and text, one per line
//   peek rows <caption>       the rows of the list view in that window: check state, then its columns
//   peek windows              every visible top-level window: handle, class, caption
//   peek read                 the same with each window's text as WM_GETTEXT gives it (as a screen reader asks)
//   peek command <id>         posts WM_COMMAND <id> to Quorvane's main window (also while it hides in the tray)
//   peek timer                posts the check timer's tick (WM_TIMER, id 10) to the main window
//   peek menu                 opens the main window's popup menu and prints its items, "id<TAB>state" lines, read
//                             by a hook procedure of menu_peek_hook.dll inside the program; the menu closes again
//   peek copydata             sends WM_COPYDATA to the main window and prints what it returns
//   peek rect <caption> <id>  screen rectangle "x y width height" of the control with that id
//   peek row <caption> <row>  screen rectangle of that list-view row (the check box sits at its left end)
//   peek item <caption> <id>  the text of the control with that id as WM_GETTEXT gives it (an edit's contents)
// A caption may be followed by a window class to tell apart windows of the same caption (e.g. "#32770").
// Captions come in as the program's own text (code page 932 under the ja_JP locale); output is UTF-8.
#include <windows.h>

#include <commctrl.h>

#include "tests/e2e/menu_peek_protocol.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string toUtf8(const std::string& ansi) {
    int wide = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, nullptr, 0);
    std::wstring w(wide, L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, &w[0], wide);
    int bytes = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(bytes, '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, &out[0], bytes, nullptr, nullptr);
    out.resize(bytes > 0 ? bytes - 1 : 0);
    return out;
}

std::string textOf(HWND window) {
    char buffer[4096] = "";
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

std::string classOf(HWND window) {
    char buffer[256] = "";
    GetClassNameA(window, buffer, sizeof buffer);
    return buffer;
}

// Escapes line breaks so that one control is one output line.
std::string oneLine(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') {
            out += "\\n";
        } else if (c != '\r') {
            out += c;
        }
    }
    return out;
}

struct Search {
    const char* caption;
    const char* className;  // null: any class
    HWND found;
};

// A named stdcall function: on i686 a lambda cannot serve as an enumeration callback.
BOOL CALLBACK matchCaption(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    if (IsWindowVisible(window) && textOf(window) == search->caption &&
        (!search->className || classOf(window) == search->className)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND findVisible(const char* caption, const char* className) {
    Search search{caption, className, nullptr};
    EnumWindows(matchCaption, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK printChild(HWND child, LPARAM) {
    std::printf("%s\t%d\t%s\n", classOf(child).c_str(), GetDlgCtrlID(child), toUtf8(oneLine(textOf(child))).c_str());
    return TRUE;
}

// The text as a screen reader asks for it: WM_GETTEXT sent to the window (GetWindowText does not ask a window
// of another process).
std::string textAsked(HWND window) {
    char buffer[4096] = "";
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000,
                        &copied);
    return buffer;
}

BOOL CALLBACK printTopLevelAsked(HWND window, LPARAM) {
    if (IsWindowVisible(window)) {
        std::printf("%p\t%s\t%s\n", static_cast<void*>(window), classOf(window).c_str(),
                    toUtf8(oneLine(textAsked(window))).c_str());
    }
    return TRUE;
}

BOOL CALLBACK printTopLevel(HWND window, LPARAM) {
    if (IsWindowVisible(window)) {
        std::printf("%p\t%s\t%s\n", static_cast<void*>(window), classOf(window).c_str(),
                    toUtf8(oneLine(textOf(window))).c_str());
    }
    return TRUE;
}

// Reads one cell of a list view that lives in another process: the item record and its text buffer are
// placed in that process's memory.
std::string cellText(HWND list, HANDLE process, int row, int column) {
    const SIZE_T textSize = 512;
    auto* remote =
        static_cast<char*>(VirtualAllocEx(process, nullptr, sizeof(LVITEMA) + textSize, MEM_COMMIT, PAGE_READWRITE));
    if (!remote) {
        return "?";
    }
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = remote + sizeof(LVITEMA);
    item.cchTextMax = textSize;
    WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
    SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(remote));
    char text[textSize] = "";
    ReadProcessMemory(process, remote + sizeof(LVITEMA), text, textSize - 1, nullptr);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return text;
}

void printScreenRect(HWND window, RECT rect) {
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

int printControlRect(HWND window, int id) {
    HWND control = GetDlgItem(window, id);
    if (!control) {
        return 1;
    }
    RECT rect;
    GetClientRect(control, &rect);
    printScreenRect(control, rect);
    return 0;
}

int printRowRect(HWND window, int row) {
    HWND list = FindWindowExA(window, nullptr, "SysListView32", nullptr);
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!list || !process) {
        return 1;
    }
    auto* remote = static_cast<RECT*>(VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE));
    RECT rect = {};
    rect.left = LVIR_BOUNDS;
    WriteProcessMemory(process, remote, &rect, sizeof rect, nullptr);
    bool ok = SendMessageA(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(remote)) != 0;
    ReadProcessMemory(process, remote, &rect, sizeof rect, nullptr);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    if (!ok) {
        return 1;
    }
    printScreenRect(list, rect);
    return 0;
}

int printRows(HWND window) {
    HWND list = FindWindowExA(window, nullptr, "SysListView32", nullptr);
    if (!list) {
        return 1;
    }
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) {
        return 1;
    }
    int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    // Four columns, or five with the account column first.
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    int columns = header != nullptr ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 4;
    for (int row = 0; row < rows; ++row) {
        UINT state = static_cast<UINT>(SendMessageA(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK | LVIS_SELECTED));
        std::printf("%s%s", (state >> 12) == 2 ? "[x]" : "[ ]", (state & LVIS_SELECTED) ? "*" : "");
        for (int column = 0; column < columns; ++column) {
            std::printf("\t%s", toUtf8(oneLine(cellText(list, process, row, column))).c_str());
        }
        std::printf("\n");
    }
    CloseHandle(process);
    return 0;
}

// The main window is the program's topmost window of its own class, shown or not.
HWND findMainWindow() {
    HWND main = nullptr;
    while ((main = FindWindowExA(nullptr, main, "EDefaultCN", nullptr)) != nullptr) {
        if (GetWindowLongA(main, GWL_EXSTYLE) & WS_EX_TOPMOST) {
            return main;
        }
    }
    return nullptr;
}

std::string menuReport;
bool menuReported = false;

LRESULT CALLBACK receiveMenu(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COPYDATA) {
        auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (data->dwData == menu_peek::kReport) {
            menuReport.assign(static_cast<const char*>(data->lpData), data->cbData);
            menuReported = true;
            return TRUE;
        }
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}

// Handles this thread's messages until `done` or ten seconds have passed.
template <typename Done>
bool pumpUntil(Done done) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > 10000) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&msg);
        }
    }
    return true;
}

bool popupMenuShown() {
    HWND menu = FindWindowA("#32768", nullptr);
    return menu != nullptr && IsWindowVisible(menu);
}

// The hook procedure comes from a DLL beside this program; Wine loads it into Quorvane for the hook.
int printMenu() {
    HWND main = findMainWindow();
    if (!main) {
        return 1;
    }
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = receiveMenu;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = menu_peek::kReceiverClass;
    RegisterClassA(&windowClass);
    HWND receiver = CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    windowClass.hInstance, nullptr);
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string dllPath = path;
    dllPath = dllPath.substr(0, dllPath.find_last_of('\\') + 1) + "menu_peek_hook.dll";
    HMODULE dll = LoadLibraryA(dllPath.c_str());
    auto proc =
        dll ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(dll, "menuPeekProc"))) : nullptr;
    HHOOK hook = proc ? SetWindowsHookExA(WH_CALLWNDPROC, proc, dll, GetWindowThreadProcessId(main, nullptr)) : nullptr;
    if (!receiver || !hook) {
        std::fprintf(stderr, "peek: no hook (%lu)\n", GetLastError());
        return 1;
    }
    PostMessageA(main, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(main), MAKELPARAM(-1, -1));
    bool reported = pumpUntil([] { return menuReported; });
    // The hook closes the menu once it waits for input; cancelling the owner's mode closes it as well.
    PostMessageA(main, WM_CANCELMODE, 0, 0);
    pumpUntil([] { return !popupMenuShown(); });
    UnhookWindowsHookEx(hook);
    DestroyWindow(receiver);
    if (!reported) {
        return 1;
    }
    std::printf("%s", menuReport.c_str());
    return 0;
}

int printCopyDataAnswer() {
    HWND main = findMainWindow();
    if (!main) {
        return 1;
    }
    char nothing = 0;
    COPYDATASTRUCT data = {};
    data.dwData = 0x51565351;
    data.cbData = 1;
    data.lpData = &nothing;
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 5000, &answer)) {
        return 1;
    }
    std::printf("%lu\n", static_cast<unsigned long>(answer));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string verb = argc > 1 ? argv[1] : "";
    if (verb == "windows") {
        EnumWindows(printTopLevel, 0);
        return 0;
    }
    if (verb == "read") {
        EnumWindows(printTopLevelAsked, 0);
        return 0;
    }
    if (verb == "menu") {
        return printMenu();
    }
    if (verb == "copydata") {
        return printCopyDataAnswer();
    }
    if (verb == "timer") {
        HWND main = findMainWindow();
        return main && PostMessageA(main, WM_TIMER, 10, 0) ? 0 : 1;
    }
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: peek texts|rows <caption> [class] | peek command <id> | peek windows | peek read | peek "
                     "menu | peek "
                     "timer | peek copydata\n");
        return 2;
    }
    if (verb == "command") {
        HWND main = findMainWindow();
        return main && PostMessageA(main, WM_COMMAND, std::atoi(argv[2]), 0) ? 0 : 1;
    }
    bool classGiven = (verb == "texts") && argc > 3;
    HWND window = findVisible(argv[2], classGiven ? argv[3] : nullptr);
    if (!window) {
        return 1;
    }
    if (verb == "texts") {
        std::printf("%s\n", toUtf8(oneLine(textOf(window))).c_str());
        EnumChildWindows(window, printChild, 0);
        return 0;
    }
    if (verb == "rows") {
        return printRows(window);
    }
    if (verb == "rect" && argc > 3) {
        return printControlRect(window, std::atoi(argv[3]));
    }
    if (verb == "row" && argc > 3) {
        return printRowRect(window, std::atoi(argv[3]));
    }
    if (verb == "item" && argc > 3) {
        HWND control = GetDlgItem(window, std::atoi(argv[3]));
        char buffer[8192] = "";
        DWORD_PTR copied = 0;
        if (!control || !SendMessageTimeoutA(control, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                                             SMTO_ABORTIFHUNG, 5000, &copied)) {
            return 1;
        }
        std::printf("%s\n", toUtf8(buffer).c_str());
        return 0;
    }
    return 2;
}
