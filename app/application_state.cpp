// The test hook: the program's state as text, sent back to a test program that asks for it.
#include "app/application.h"

#include <cstddef>

#include "app/test_hook.h"
#include "res/resource_ids.h"

namespace app {

namespace {

const char* lookName(Application::Look look) {
    switch (look) {
        case Application::Look::Checking:
            return "checking";
        case Application::Look::MailWaiting:
            return "mail";
        case Application::Look::Idle:
        default:
            return "idle";
    }
}

std::string windowText(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string menuItemState(HMENU menu, UINT item) {
    MENUITEMINFOA info{};
    info.cbSize = offsetof(MENUITEMINFOA, hbmpItem);
    info.fMask = MIIM_STATE;
    if (menu == nullptr || !GetMenuItemInfoA(menu, item, FALSE, &info)) {
        return "none";
    }
    std::string state = (info.fState & MFS_GRAYED) ? "grayed" : "enabled";
    if (info.fState & MFS_CHECKED) {
        state += ",checked";
    }
    if (info.fState & MFS_DEFAULT) {
        state += ",default";
    }
    return state;
}

void line(std::string& out, const char* key, const std::string& value) {
    out += key;
    out += '=';
    out += value;
    out += '\n';
}

const char* flag(bool value) {
    return value ? "1" : "0";
}

}  // namespace

std::string Application::describeState() const {
    std::string out;
    line(out, "title", windowText(hwnd));
    line(out, "look", lookName(currentLook));
    line(out, "visible", flag(IsWindowVisible(hwnd) != FALSE));
    line(out, "inTaskTray", flag(settings.inTaskTray));
    line(out, "paused", flag(paused));
    line(out, "settingsOpen", flag(settingsOpen));
    line(out, "checkRunning", flag(checkRunning.load()));
    line(out, "timer", std::to_string(timerRunning ? timerPeriodMs : 0));
    for (UINT item = IDM_QUIT; item <= IDM_START_MAILER; ++item) {
        line(out, ("menu." + std::to_string(item)).c_str(), menuItemState(popup, item));
    }
    int marks = 0;
    for (const auto& entry : mailList) {
        marks += entry.deleteMark ? 1 : 0;
    }
    line(out, "mailList", std::to_string(mailList.size()));
    line(out, "marks", std::to_string(marks));

    HWND list = mailListWindow.hwndRef;
    bool open = list != nullptr && IsWindow(list);
    line(out, "list", !open ? "closed" : (IsWindowVisible(list) ? "shown" : "hidden"));
    auto rows = mailListWindow.rowViews();
    line(out, "list.rows", std::to_string(rows.size()));
    for (size_t i = 0; i < rows.size(); ++i) {
        const auto& row = rows[i];
        line(out, ("list.row." + std::to_string(i)).c_str(),
             std::string(flag(row.ticked)) + "\t" + row.subject + "\t" + row.from + "\t" + row.size + "\t" +
                 row.firstLines);
    }
    return out;
}

void Application::onCopyData(Record* record) {
    auto* query = reinterpret_cast<const COPYDATASTRUCT*>(record->lParam);
    if (query == nullptr || query->dwData != test_hook::kStateQuery) {
        onDefault(record);
        return;
    }
    std::string state = describeState();
    COPYDATASTRUCT reply{};
    reply.dwData = test_hook::kStateReply;
    reply.cbData = static_cast<DWORD>(state.size());
    reply.lpData = state.data();
    SendMessageA(reinterpret_cast<HWND>(record->wParam), WM_COPYDATA, reinterpret_cast<WPARAM>(hwnd),
                 reinterpret_cast<LPARAM>(&reply));
    record->result = static_cast<framework::MessageResult>(test_hook::kStateQuery);
}

}  // namespace app
