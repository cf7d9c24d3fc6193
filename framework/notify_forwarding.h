#pragma once

// The body of a WM_NOTIFY handler: hands the notification to a table keyed by notification code.

#include <windows.h>

#include "framework/handler_table.h"

namespace framework {

// Nothing happens for a null lParam. Otherwise the notification handler sees the message's result so far
// and what it leaves in its record becomes the message's result.
template <class Owner>
void ForwardNotify(const NotifyTable<Owner>& notifications, MessageRecord* record) {
    if (record->lParam == 0) {
        return;
    }
    NotifyRecord notify;
    notify.result = record->result;
    notify.wParam = record->wParam;
    notify.header = reinterpret_cast<NMHDR*>(record->lParam);
    notifications.Dispatch(static_cast<NotifyCode>(notify.header->code), &notify);
    record->result = notify.result;
}

}  // namespace framework
