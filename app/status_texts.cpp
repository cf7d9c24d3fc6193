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

}  // namespace app
