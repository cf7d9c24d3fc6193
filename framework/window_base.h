#pragma once

// The base of every framework window: binds one window handle to one object and hands every message of that
// window to the object's WindowProc.

#include <windows.h>

namespace framework {

class WindowBase;

// The procedure of every framework window class and, through SharedDialogProc, of every framework dialog.
LRESULT CALLBACK SharedWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The class name registered when RegisterWindowClass is given none: "EDefaultCN".
extern const char defaultClassName[];
// Whether RegisterWindowClass was asked to register defaultClassName (even when that failed).
extern bool defaultClassRegistered;
// The object whose Create is inside CreateWindowExA; the first message of the new window binds it.
extern WindowBase* creatingWindow;

// Registers a window class with style CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS. Null arguments take defaults:
// this module, the application icon, the arrow cursor, defaultClassName. Returns the class atom or 0.
ATOM RegisterWindowClass(HINSTANCE instance,
                         const char* className,
                         const char* menuName,
                         HICON icon,
                         HCURSOR cursor,
                         HBRUSH background,
                         int classExtra,
                         int windowExtra,
                         WNDPROC windowProc);

// A plain window. Used on its own it hands every message to DefWindowProcA.
class WindowBase {
public:
    // How the object is bound to a window.
    enum Binding : int {
        kNotBound = -1,
        kPlainWindow = 0,
        kModelessDialog = 2,
        kModalDialog = 3,
        kOtherDialog = 4,  // accepted at dialog initialisation; nothing here creates it
    };

    WindowBase() = default;
    virtual ~WindowBase();

    WindowBase(const WindowBase&) = delete;
    WindowBase& operator=(const WindowBase&) = delete;

    // Drops the binding: the registry entry for the window, the handle and the kind.
    virtual void Detach();
    // Handles one message of the bound window; the default hands it to DefaultProc.
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // What a message without a handler gets: DefWindowProcA here.
    virtual LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam);

    // Makes the window, bound to this object. False when this object already has a live window, when no
    // class name is given before the default class was registered, or when the window cannot be made.
    // Null className and instance mean defaultClassName and this module.
    bool Create(const char* title,
                const char* className,
                HWND parent,
                DWORD style,
                DWORD exStyle,
                int x,
                int y,
                int width,
                int height,
                HMENU menu,
                HINSTANCE instance);

    int Kind() const {
        return kind;
    }

protected:
    // Removes the binding whatever the window's state; the destructor and the end of a window use it.
    void Unbind();

    int kind = kNotBound;
    HWND hwnd = nullptr;

public:
    // The bound window, or null.
    const HWND& hwndRef{hwnd};

private:
    friend LRESULT CALLBACK SharedWindowProc(HWND, UINT, WPARAM, LPARAM);
};

}  // namespace framework
