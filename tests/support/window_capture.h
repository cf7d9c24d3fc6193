#pragma once

// Pictures of windows for a person to look at: tests of dialogs and windows save them as PNG files under
// <build tree>/screenshots/ (Win32 only; built into quorvane_test_support for the Windows build).
#include <windows.h>

#include <string>

namespace testenv {

// The screenshots folder of the build tree as a path this process opens; created when missing.
std::string screenshotDir();

// Repaints the window and saves it as painted, frame and child controls included, as screenshots/<name>.png.
// The window must be shown (a hidden window has nothing painted); under Wine it is read from its own painted
// surface, so windows over it do not matter.
// Returns the path written, or the empty string on failure.
std::string saveWindowPicture(HWND window, const std::string& name);

// Saves a device-dependent bitmap (for example one drawn into off screen) as screenshots/<name>.png.
// Returns the path written, or the empty string on failure.
std::string saveBitmapPicture(HBITMAP bitmap, const std::string& name);

}  // namespace testenv
