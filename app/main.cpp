// The entry point of Quorvane.exe. Its one argument is "/startup", which the Run key gives it when the program
// starts with Windows: it then reads its settings from the exe's own folder.
#include <windows.h>

#include "app/program.h"
#include "app/start_with_windows.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int) {
    if (arguments != nullptr && app::isStartupSwitch(arguments)) {
        app::enterExeFolder();
    }
    return app::runProgram(instance);
}
