#pragma once

// Pictures of windows for a person to look at: tests of dialogs and windows save them as PNG files under
// <build tree>/screenshots/ (Win32 only; built into quorvane_test_support for the Windows build).
#include <windows.h>

#include <string>

namespace testenv {

// The screenshots folder of the build tree as a path this process opens; created when missing.
std::string screenshotDir();

// Saves what the screen shows of the window, frame included, as screenshots/<name>.png, after repainting it.
// The window must be visible and uncovered. Returns the path written, or the empty string on failure.
std::string saveWindowPicture(HWND window, const std::string& name);

// Saves a device-dependent bitmap (for example one drawn into off screen) as screenshots/<name>.png.
// Returns the path written, or the empty string on failure.
std::string saveBitmapPicture(HBITMAP bitmap, const std::string& name);

}  // namespace testenv
