#include "framework/dialog_base.h"
#include "framework/window_base.h"
#include "framework/window_registry.h"

namespace framework {

namespace {

// The object named by a dialog's creation parameter, or null when the parameter is not one of ours.
WindowBase* dialogObjectOf(LPARAM lParam) {
    const auto* param = reinterpret_cast<const DialogCreateParam*>(lParam);
    if (param->size != DialogCreateParam::kSize || param->object == nullptr) {
        return nullptr;
    }
    int kind = param->object->Kind();
    if (kind != WindowBase::kModelessDialog && kind != WindowBase::kModalDialog && kind != WindowBase::kOtherDialog) {
        return nullptr;
    }
    return param->object;
}

}  // namespace

LRESULT CALLBACK SharedWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    WindowBase* object = WindowRegistry::Find(hwnd);
    if (object == nullptr && creatingWindow != nullptr) {
        // The first message of a window that Create is making.
        object = creatingWindow;
        creatingWindow = nullptr;
        WindowRegistry::Insert(hwnd, object);
    } else if (object == nullptr && msg == WM_INITDIALOG && lParam != 0) {
        object = dialogObjectOf(lParam);
        if (object == nullptr) {
            // A dialog that is not ours: refuse it.
            DestroyWindow(hwnd);
            return 0;
        }
        WindowRegistry::Insert(hwnd, object);
    } else if (object == nullptr) {
        // Not ours, or a dialog's messages before WM_INITDIALOG.
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    object->hwnd = hwnd;

    LRESULT result = object->WindowProc(msg, wParam, lParam);
    if (msg == WM_DESTROY) {
        // A plain window ends its binding here; a dialog only once its window is gone.
        object->Detach();
    } else if (msg == WM_NCDESTROY) {
        // The last message of any window, a dialog's included: the handle value may later name another
        // window, so no binding outlives this one.
        object->Unbind();
    }
    return result;
}

INT_PTR CALLBACK SharedDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return SharedWindowProc(hwnd, msg, wParam, lParam);
}

}  // namespace framework
