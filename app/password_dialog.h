#pragma once

#include <windows.h>

#include <string>

#include "framework/ok_cancel_dialog.h"

namespace app {

// Asks for the POP3 password when a check is about to start and none is stored. Built for one question.
class PasswordDialog : public framework::OkCancelDialog {
public:
    // Wipes the password: whoever needs it has taken a copy by then.
    ~PasswordDialog() override;

    // Shows the modal dialog over `parent`: 1 after OK, 0 after cancel or the close box, -1 when the dialog
    // cannot be made. `password` then holds what was typed, empty unless OK was pressed; it is wiped with the dialog.
    int Ask(HWND parent);

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    std::string password;
    // With several mailboxes, the one the password is for: the title names it.
    std::string mailboxName;
};

}  // namespace app
