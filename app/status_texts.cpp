#include "app/status_texts.h"

#include <string>

namespace app {

std::string checkingText(bool listHasEntries) {
    return std::string(listHasEntries ? "削除＆チェック中 - " : "チェック中 - ") + kProgramTitle;
}

std::string noMailText() {
    return std::string("メールなし - ") + kProgramTitle;
}

std::string mailWaitingText(int count) {
    return std::to_string(count) + "通のメールが来ました - " + kProgramTitle;
}

std::string mailboxStatusLine(const std::string& name, int waiting, int lastError, bool unfinished) {
    if (unfinished) {
        return name + ": 未設定にゃ";
    }
    if (lastError >= 0) {
        return name + ": エラーにゃ (" + std::to_string(lastError) + ")";
    }
    return name + ": " + (waiting > 0 ? std::to_string(waiting) + "通" : std::string("メールなし"));
}

std::string severalMailboxesTip(const std::string& title, const std::vector<std::string>& lines) {
    constexpr std::size_t kTipBytes = 63;
    std::string tip = title;
    for (const std::string& line : lines) {
        if (tip.size() + 1 + line.size() > kTipBytes) {
            break;
        }
        tip += '\n' + line;
    }
    return tip;
}

std::string passwordTitle(const std::string& name) {
    return "パスワードの入力　（" + name + "）";
}

std::string mailboxBoxText(const std::string& name, const char* text) {
    return name + "\n" + text;
}

}  // namespace app
