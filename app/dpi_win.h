#pragma once

#include <windows.h>

// The DPI of the screen a window is on, on every system from XP on.
namespace app {

// Sent to a per-monitor aware top-level window whose DPI changed (Windows 8.1 on); wParam carries the new DPI
// in both words, lParam the RECT the system suggests for the window at that DPI.
constexpr UINT kWmDpiChanged = 0x02E0;

// GetDpiForWindow where user32 has it (Windows 10 on), otherwise the system DPI of the screen's device context.
int windowDpi(HWND window);

}  // namespace app
