#include "app/program.h"

#include <commctrl.h>

#include "app/application.h"
#include "app/status_texts.h"
#include "framework/window_base.h"
#include "res/resource_ids.h"

namespace app {

namespace {

bool anotherInstanceRuns() {
    return FindWindowA(nullptr, kProgramTitle) != nullptr;
}

}  // namespace

int runProgram(HINSTANCE instance) {
    if (anotherInstanceRuns()) {
        return 0;
    }
    framework::RegisterWindowClass(instance, nullptr, nullptr, LoadIconA(instance, MAKEINTRESOURCEA(IDI_IDLE)), nullptr,
                                   reinterpret_cast<HBRUSH>(COLOR_MENU + 1), 0, 0, framework::SharedWindowProc);
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
    owner.Create(kProgramTitle, nullptr, nullptr, WS_OVERLAPPEDWINDOW, WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE,
                 CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, nullptr, instance);
    application.createMainWindow(owner.hwndRef);

    MSG msg{};
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace app
