#include "framework/dialog_base.h"

namespace framework {

void DialogBase::Detach() {
    if (hwnd != nullptr && !IsWindow(hwnd)) {
        Unbind();
    }
}

LRESULT DialogBase::DefaultProc(UINT, WPARAM, LPARAM) {
    return 0;
}

int DialogBase::Open(bool modal, int templateId, HWND parent, HINSTANCE instance) {
    if (hwnd != nullptr && IsWindow(hwnd)) {
        return -1;
    }
    Detach();
    kind = modal ? kModalDialog : kModelessDialog;
    if (instance == nullptr) {
        instance = GetModuleHandleA(nullptr);
    }
    DialogCreateParam param;
    param.object = this;
    LPARAM paramAddress = reinterpret_cast<LPARAM>(&param);
    if (modal) {
        return static_cast<int>(
            DialogBoxParamA(instance, MAKEINTRESOURCEA(templateId), parent, SharedDialogProc, paramAddress));
    }
    HWND made = CreateDialogParamA(instance, MAKEINTRESOURCEA(templateId), parent, SharedDialogProc, paramAddress);
    if (made == nullptr && kind != kNotBound) {
        hwnd = nullptr;
    }
    return hwnd != nullptr ? 1 : 0;
}

}  // namespace framework
