#pragma once

// Which object serves which window: the process-wide map from window handle to framework object.
// User-interface thread only.

#include <windows.h>

#include <cstddef>

namespace framework {

class WindowBase;

class WindowRegistry {
public:
    // The object bound to `hwnd`, or null.
    static WindowBase* Find(HWND hwnd);
    // Binds `hwnd` to `object` unless `hwnd` is bound already.
    static void Insert(HWND hwnd, WindowBase* object);
    // Forgets the binding of `hwnd`, if any.
    static void Remove(HWND hwnd);
    static std::size_t Size();
};

}  // namespace framework
