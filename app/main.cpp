// The entry point of Quorvane.exe. The program takes no arguments.
#include <windows.h>

#include "app/program.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return app::runProgram(instance);
}
