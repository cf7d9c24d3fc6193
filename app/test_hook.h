#pragma once

#include <windows.h>

// A small hook through which a test program outside the process reads the running program's state (the
// end-to-end tests drive the real exe; Wine keeps menus and list-view rows out of another process's reach).
//
// The test sends WM_COPYDATA to the main window with dwData = kStateQuery and wParam = a window of its own.
// While handling it the program sends WM_COPYDATA back to that window with dwData = kStateReply and the state
// text (code page 932, lines "key=value" ended by "\n", no terminating zero), then returns kStateQuery. Every
// other window of the program returns 0 to the query, which is how the test finds the main window (class
// "EDefaultCN"; its title changes with the status text). Nothing is written anywhere; a program that is never
// asked behaves as if the hook did not exist.
namespace app::test_hook {

constexpr ULONG_PTR kStateQuery = 0x51565351;  // "QVSQ"
constexpr ULONG_PTR kStateReply = 0x51565352;  // "QVSR"

}  // namespace app::test_hook
