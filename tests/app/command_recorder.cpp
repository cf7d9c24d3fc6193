#include "tests/app/command_recorder.h"

#include "tests/app/ui_test_support.h"

namespace uitest {

CommandRecorder::CommandRecorder() {
    prepareWindowing();
    owner.Create("recorder owner", nullptr, nullptr, WS_OVERLAPPEDWINDOW, 0, 0, 0, 10, 10, nullptr, nullptr);
    Create("recorder", nullptr, owner.hwndRef, WS_POPUP, 0, 600, 600, 32, 32, nullptr, nullptr);
}

CommandRecorder::~CommandRecorder() {
    if (hwnd != nullptr) {
        DestroyWindow(hwnd);
    }
    if (owner.hwndRef != nullptr) {
        DestroyWindow(owner.hwndRef);
    }
}

LRESULT CommandRecorder::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND) {
        received.push_back(Command{LOWORD(wParam), lParam});
        return 1;
    }
    return DefaultProc(msg, wParam, lParam);
}

int CommandRecorder::count(int id) const {
    int n = 0;
    for (const auto& command : received) {
        n += command.id == id ? 1 : 0;
    }
    return n;
}

LPARAM CommandRecorder::lastParam(int id) const {
    LPARAM param = -1;
    for (const auto& command : received) {
        if (command.id == id) {
            param = command.lParam;
        }
    }
    return param;
}

}  // namespace uitest
