// quorvane_probe: reads a running Quorvane's state through its test hook, or posts it a command.
//   quorvane_probe state              prints the state text (code page 932 "key=value" lines) to stdout
//   quorvane_probe command ID [PARAM] posts WM_COMMAND ID with lParam PARAM (default 0) to the main window
// Exit code 0 on success, 2 when no running Quorvane answered, 1 on a usage error.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/test_hook.h"

namespace {

std::string reply;
bool replied = false;

LRESULT CALLBACK probeProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COPYDATA) {
        auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (data != nullptr && data->dwData == app::test_hook::kStateReply) {
            reply.assign(static_cast<const char*>(data->lpData), data->cbData);
            replied = true;
            return TRUE;
        }
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

struct Search {
    HWND self;
    HWND found;
};

BOOL CALLBACK askWindow(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    char className[64] = {};
    GetClassNameA(hwnd, className, sizeof className);
    if (std::strcmp(className, "EDefaultCN") != 0) {
        return TRUE;
    }
    COPYDATASTRUCT query{};
    query.dwData = app::test_hook::kStateQuery;
    DWORD_PTR result = 0;
    if (SendMessageTimeoutA(hwnd, WM_COPYDATA, reinterpret_cast<WPARAM>(search->self), reinterpret_cast<LPARAM>(&query),
                            SMTO_ABORTIFHUNG, 5000, &result) &&
        result == app::test_hook::kStateQuery) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND findMainWindow() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = probeProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "QuorvaneProbe";
    RegisterClassA(&windowClass);
    Search search{
        CreateWindowExA(0, "QuorvaneProbe", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, windowClass.hInstance, nullptr),
        nullptr};
    EnumWindows(askWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: quorvane_probe state | command ID [PARAM]\n");
        return 1;
    }
    HWND mainWindow = findMainWindow();
    if (mainWindow == nullptr) {
        std::fprintf(stderr, "no running Quorvane answered\n");
        return 2;
    }
    if (std::strcmp(argv[1], "state") == 0 && replied) {
        std::fwrite(reply.data(), 1, reply.size(), stdout);
        return 0;
    }
    if (std::strcmp(argv[1], "command") == 0 && argc >= 3) {
        long param = argc >= 4 ? std::strtol(argv[3], nullptr, 0) : 0;
        return PostMessageA(mainWindow, WM_COMMAND, std::strtoul(argv[2], nullptr, 0), param) ? 0 : 2;
    }
    std::fprintf(stderr, "usage: quorvane_probe state | command ID [PARAM]\n");
    return 1;
}
