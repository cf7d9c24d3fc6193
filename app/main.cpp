// The entry point of Quorvane.exe. Its one argument is "/startup", which the Run key gives it when the program
// starts with Windows: it then reads its settings from the exe's own folder.
#include <windows.h>

#include <cstdlib>

#include "app/program.h"
#include "app/start_with_windows.h"

// The library's default terminate handler prints the uncaught exception's demangled type to a console that a GUI
// program does not have, and brings the whole demangler into the exe. This one ends the program the same way.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
}  // namespace __gnu_cxx

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int) {
    if (arguments != nullptr && app::isStartupSwitch(arguments)) {
        app::enterExeFolder();
    }
    return app::runProgram(instance);
}
