#include "framework/window_base.h"

#include <cstring>

#include "framework/window_registry.h"

namespace framework {

const char defaultClassName[] = "EDefaultCN";
bool defaultClassRegistered = false;
WindowBase* creatingWindow = nullptr;

ATOM RegisterWindowClass(HINSTANCE instance,
                         const char* className,
                         const char* menuName,
                         HICON icon,
                         HCURSOR cursor,
                         HBRUSH background,
                         int classExtra,
                         int windowExtra,
                         WNDPROC windowProc) {
    WNDCLASSA windowClass{};
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = windowProc;
    windowClass.cbClsExtra = classExtra;
    windowClass.cbWndExtra = windowExtra;
    windowClass.hInstance = instance != nullptr ? instance : GetModuleHandleA(nullptr);
    windowClass.hIcon = icon != nullptr ? icon : LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hCursor = cursor != nullptr ? cursor : LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = background;
    windowClass.lpszMenuName = menuName;
    windowClass.lpszClassName = className != nullptr ? className : defaultClassName;
    // An atom given as the class name is never the default class's name.
    if (!IS_INTRESOURCE(windowClass.lpszClassName) && std::strcmp(windowClass.lpszClassName, defaultClassName) == 0) {
        defaultClassRegistered = true;
    }
    return RegisterClassA(&windowClass);
}

WindowBase::~WindowBase() {
    Unbind();
}

void WindowBase::Detach() {
    Unbind();
}

void WindowBase::Unbind() {
    if (hwnd == nullptr) {
        return;
    }
    WindowRegistry::Remove(hwnd);
    hwnd = nullptr;
    kind = kNotBound;
}

LRESULT WindowBase::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefaultProc(msg, wParam, lParam);
}

LRESULT WindowBase::DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

bool WindowBase::Create(const char* title,
                        const char* className,
                        HWND parent,
                        DWORD style,
                        DWORD exStyle,
                        int x,
                        int y,
                        int width,
                        int height,
                        HMENU menu,
                        HINSTANCE instance) {
    if (hwnd != nullptr && IsWindow(hwnd)) {
        return false;
    }
    if (className == nullptr && !defaultClassRegistered) {
        return false;
    }
    Detach();
    kind = kPlainWindow;
    if (instance == nullptr) {
        instance = GetModuleHandleA(nullptr);
    }
    if (className == nullptr) {
        className = defaultClassName;
    }
    // The window's first message arrives inside CreateWindowExA and binds it to this object.
    creatingWindow = this;
    HWND made = CreateWindowExA(exStyle, className, title, style, x, y, width, height, parent, menu, instance, this);
    // Cleared here too for a window that never took a message (an unknown class, say): no later window
    // may inherit the binding.
    creatingWindow = nullptr;
    hwnd = made;
    return made != nullptr;
}

}  // namespace framework
