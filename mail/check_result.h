#pragma once

// How one check reports to the main window: a WM_COMMAND posted with one of these ids as wParam
// and the parameter as lParam.
namespace mail {

enum CommandId : int {
    kCmdNoMail = 101,        // lParam 0: nothing waiting, or every waiting message was deleted
    kCmdMailWaiting = 102,   // lParam: the message count from STAT
    kCmdListClosed = 104,    // lParam 1: the user confirmed deleting the marked mails
    kCmdCheckFailed = 105,   // lParam: an ErrorCode
    kCmdRaiseList = 106,     // lParam 0
    kCmdListMarkStep = 107,  // the list window's own mark walk
};

// Parameter of command 40003 that asks for a check which keeps the list (it carries a deletion).
constexpr long kKeepListMarker = 0xFF0F;

enum ErrorCode : int {
    kErrSettingsIncomplete = 0,
    kErrSocket = 1,
    kErrConnect = 2,
    kErrUser = 3,
    kErrPass = 4,
    kErrStat = 5,
    kErrTop = 6,
    kErrTopRead = 7,
    kErrApopNoTimestamp = 8,
    kErrApopRefused = 9,
    kErrOutOfMemory = 10,
    kErrTimeout = 11,  // the server did not answer a connect or a wait for data within the time-out
};

// The message box text of an error code (Shift_JIS), or nullptr for a code outside 0..11,
// which the error handler ignores.
const char* errorMessage(int code);

}  // namespace mail
