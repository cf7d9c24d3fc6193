#pragma once

// The main window's own commands: a WM_COMMAND posted with one of these ids as wParam and the parameter as lParam.
// The menu commands are in res/resource_ids.h.
namespace app {

enum CommandId : int {
    kCmdNoMail = 101,         // lParam 0: nothing waiting, or every waiting message was deleted
    kCmdMailWaiting = 102,    // lParam: the count of mails waiting
    kCmdListClosed = 104,     // lParam 1: the user confirmed deleting the marked mails
    kCmdCheckFailed = 105,    // lParam: a mail::ErrorCode
    kCmdRaiseList = 106,      // lParam 0
    kCmdNoticeClicked = 108,  // the new-mail balloon was clicked
};

// Parameter of command 40003 that asks for a check which keeps the list (it carries a deletion).
constexpr long kKeepListMarker = 0xFF0F;

}  // namespace app
