#pragma once

// Helpers for tests that drive real windows and dialogs on the test's own thread.

#include <windows.h>

#include <functional>
#include <string>

namespace testwin {

// While alive, calls `action` with every dialog of this thread right after the dialog has handled
// WM_INITDIALOG, before a modal dialog's loop starts. The action typically sets control texts and posts the
// commands that will close the dialog; posted messages are taken by that dialog's own loop, in order.
// One hook at a time.
class DialogInitHook {
public:
    explicit DialogInitHook(std::function<void(HWND)> action);
    ~DialogInitHook();

    DialogInitHook(const DialogInitHook&) = delete;
    DialogInitHook& operator=(const DialogInitHook&) = delete;
};

// The text of a window or of a dialog control, as bytes.
std::string windowText(HWND window);
std::string itemText(HWND dialog, int id);

// Posts a WM_COMMAND with exactly this wParam, as a button click or a menu would.
void postCommand(HWND window, WPARAM wParam);

// Handles every message waiting for this thread, without waiting for more.
void pumpMessages();

// Saves what `window` shows, frame included, as <build>/screenshots/<name>.png, showing it first when it
// is hidden; false on failure.
bool savePicture(HWND window, const std::string& name);

}  // namespace testwin
