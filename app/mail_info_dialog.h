#pragma once

#include <windows.h>

#include "framework/ok_cancel_dialog.h"
#include "mail/mail_entry.h"

namespace app {

// The details of one waiting mail (subject, sender, size, first lines) in read-only fields: a modeless
// dialog over the mail list window, which holds it for the whole run and refills it in place.
class MailInfoDialog : public framework::OkCancelDialog {
public:
    // Shows `shown` (not owned: an element of the application's mail list), at once when the dialog is open.
    void SetEntry(const mail::MailEntry* shown);
    // Opens the dialog over `parent`: 1 when it is open afterwards, 0 when it could not be made, -1 when it
    // was open already (SetEntry has refreshed it all the same).
    int Show(HWND parent);

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // The mail shown, or null. Cleared when the dialog closes, so it never outlives the window it fills.
    const mail::MailEntry* entry = nullptr;
    // With several mailboxes the title names the mail's mailbox.
    bool showMailbox = false;

private:
    void fillFields();
};

}  // namespace app
