#include "app/mail_info_dialog.h"

#include <cstdint>

#include "app/list_texts.h"
#include "res/resource_ids.h"

namespace app {

namespace {

// Fills one field and selects its whole text, so it can be copied at once.
void showText(HWND dialog, int id, const std::string& text) {
    SetWindowTextA(GetDlgItem(dialog, id), text.c_str());
    SendDlgItemMessageA(dialog, id, EM_SETSEL, 0, -1);
}

}  // namespace

void MailInfoDialog::SetEntry(const mail::MailEntry* shown) {
    entry = shown;
    fillFields();
}

int MailInfoDialog::Show(HWND parent) {
    int result = Open(false, IDD_MAIL_INFO, parent, nullptr);
    if (result == 1) {
        // The template is not visible by itself: a modeless dialog must be shown.
        ShowWindow(hwnd, SW_SHOW);
    }
    return result;
}

LRESULT MailInfoDialog::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        fillFields();
    } else if (msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        entry = nullptr;
    } else if (msg == WM_DESTROY) {
        // Also when the list window takes this dialog down with it: the entry may not outlive the list.
        entry = nullptr;
    }
    return OkCancelDialog::WindowProc(msg, wParam, lParam);
}

void MailInfoDialog::fillFields() {
    if (entry == nullptr || hwnd == nullptr || !IsWindow(hwnd)) {
        return;
    }
    SetWindowTextA(hwnd, detailsTitle(*entry, showMailbox).c_str());
    showText(hwnd, IDC_INFO_SUBJECT, entry->subject);
    showText(hwnd, IDC_INFO_FROM, entry->from);
    // The size is an unsigned count of octets, whatever its top bit.
    SetDlgItemInt(hwnd, IDC_INFO_SIZE, static_cast<std::uint32_t>(entry->size), FALSE);
    SendDlgItemMessageA(hwnd, IDC_INFO_SIZE, EM_SETSEL, 0, -1);
    showText(hwnd, IDC_INFO_FIRST_LINES, entry->firstLines);
}

}  // namespace app
