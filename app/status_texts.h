#pragma once

#include <string>
#include <vector>

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

// With several mailboxes, the tooltip's line for one: "<name>: <count>通", "<name>: メールなし", the last failure
// "<name>: エラーにゃ (<code>)", or "<name>: 未設定にゃ" for one without server or user, which is never checked.
std::string mailboxStatusLine(const std::string& name, int waiting, int lastError, bool unfinished);

// The password question's title for one of several mailboxes: "パスワードの入力　（<name>）".
std::string passwordTitle(const std::string& name);

// The tray tooltip of several mailboxes: the title, then a line per mailbox as long as whole lines fit the
// tooltip's 63 bytes.
std::string severalMailboxesTip(const std::string& title, const std::vector<std::string>& lines);

// A box about one of several mailboxes: its name on a line of its own, then the text.
std::string mailboxBoxText(const std::string& name, const char* text);

}  // namespace app
