#pragma once

#include <string>

// The program's title and the status texts built on it. The status text is at once the main window's title
// and the tray icon's tooltip.
namespace app {

// The window name of the owner window and the idle main window, the default status text, the tooltip and the
// caption of every message box. Another instance is recognised by a window of this name.
inline constexpr const char kProgramTitle[] = "Quorvane";

// Shown while a check runs: "削除＆チェック中 - Quorvane" when the check starts with entries in the list (it may
// delete marked mails), "チェック中 - Quorvane" otherwise.
std::string checkingText(bool listHasEntries);

// After a check that found no mail.
std::string noMailText();

// After a check that found mail: "<count>通のメールが来ました - Quorvane".
std::string mailWaitingText(int count);

}  // namespace app
