#include "app/status_texts.h"

#include <cstdio>

namespace app {

std::string checkingText(bool listHasEntries) {
    return std::string(listHasEntries ? "削除＆チェック中 - " : "チェック中 - ") + kProgramTitle;
}

std::string noMailText() {
    return std::string("メールなし - ") + kProgramTitle;
}

std::string mailWaitingText(int count) {
    char text[80];
    std::snprintf(text, sizeof text, "%d通のメールが来ました - %s", count, kProgramTitle);
    return text;
}

}  // namespace app
