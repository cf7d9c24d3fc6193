#pragma once

#include <windows.h>

namespace app {

// The whole run of the program: refuses to run beside another instance (a window named "Quorvane"), registers
// the window class, prepares the list-view control, makes the owner window and the main window, and runs the
// message loop until the main window has shut down. Returns the exit code: the loop's, or 0 when another
// instance runs.
int runProgram(HINSTANCE instance);

}  // namespace app
