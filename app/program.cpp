#include "app/program.h"

#include <commctrl.h>

#include "app/application.h"
#include "app/status_texts.h"
#include "framework/window_base.h"
#include "res/resource_ids.h"

namespace app {

namespace {

constexpr char kCannotStart[] =
    "ウインドウを作れなかったので、Quorvane を起動できないにゃ\nメモリーが足りないのかもしれないにゃ";

bool anotherInstanceRuns() {
    return FindWindowA(nullptr, kProgramTitle) != nullptr;
}

// A program without its windows could only sit unseen for ever: say so and end with a failure code.
int cannotStart() {
    MessageBoxA(nullptr, kCannotStart, kProgramTitle, MB_ICONERROR);
    return 1;
}

}  // namespace

int runProgram(HINSTANCE instance) {
    if (anotherInstanceRuns()) {
        return 0;
    }
    // A class this module registered before is as good as a new one.
    if (framework::RegisterWindowClass(instance, nullptr, nullptr, LoadIconA(instance, MAKEINTRESOURCEA(IDI_IDLE)),
                                       nullptr, reinterpret_cast<HBRUSH>(COLOR_MENU + 1), 0, 0,
                                       framework::SharedWindowProc) == 0 &&
        GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return cannotStart();
    }
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_LISTVIEW_CLASSES;
    InitCommonControlsEx(&controls);

    framework::WindowBase owner;
    Application application;
    // The other instance may have made its window while this one read its settings.
    if (anotherInstanceRuns()) {
        return 0;
    }
    // The hidden owner of the main window and the mail list window. It keeps the title for the whole run,
    // so that another instance always finds it.
    if (!owner.Create(kProgramTitle, nullptr, nullptr, WS_OVERLAPPEDWINDOW, WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE,
                      CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, nullptr, instance)) {
        return cannotStart();
    }
    if (!application.createMainWindow(owner.hwndRef)) {
        DestroyWindow(owner.hwndRef);
        return cannotStart();
    }

    MSG msg{};
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace app
