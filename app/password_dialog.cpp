#include "app/password_dialog.h"

#include "app/status_texts.h"
#include "base/wipe.h"
#include "res/resource_ids.h"

namespace app {

PasswordDialog::~PasswordDialog() {
    base::wipeString(password);
}

int PasswordDialog::Ask(HWND parent) {
    base::wipeString(password);
    return Open(true, IDD_PASSWORD, parent, nullptr);
}

LRESULT PasswordDialog::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    // The user came to type the password: put the caret into its field (otherwise the default button has the
    // focus and the typing is lost).
    if (msg == WM_INITDIALOG) {
        if (!mailboxName.empty()) {
            SetWindowTextA(hwnd, passwordTitle(mailboxName).c_str());
        }
        SetFocus(GetDlgItem(hwnd, IDC_PASSWORD));
    }
    // Only the exact IDOK, the one that closes the dialog: text taken by anything else would survive a
    // cancel that follows.
    if (msg == WM_COMMAND && wParam == IDOK) {
        char typed[260];  // at most 259 bytes of the field are taken
        GetDlgItemTextA(hwnd, IDC_PASSWORD, typed, sizeof(typed));
        password = typed;
        base::wipeBytes(typed, sizeof(typed));
        // The edit control's own copy goes before the dialog does.
        SetDlgItemTextA(hwnd, IDC_PASSWORD, "");
    }
    return OkCancelDialog::WindowProc(msg, wParam, lParam);
}

}  // namespace app
