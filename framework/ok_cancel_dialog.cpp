#include "framework/ok_cancel_dialog.h"

namespace framework {

LRESULT OkCancelDialog::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND && (wParam == IDOK || wParam == IDCANCEL)) {
        if (kind == kModalDialog) {
            EndDialog(hwnd, wParam == IDOK ? 1 : 0);
        } else {
            DestroyWindow(hwnd);
        }
        return 1;
    }
    return DialogBase::WindowProc(msg, wParam, lParam);
}

}  // namespace framework
