#include "tests/app/application_fixture.h"

#include <cstddef>

#include "settings/password_scramble.h"
#include "tests/support/test_env.h"

namespace uitest {

void ApplicationTest::SetUp() {
    prepareWindowing();
    app::MailListWindow::sortState = app::MailListWindow::SortState{};
}

void ApplicationTest::TearDown() {
    if (application && mainWindow() != nullptr) {
        quit();
    }
    application.reset();
    if (owner.hwndRef != nullptr) {
        DestroyWindow(owner.hwndRef);
    }
    drainMessages();
}

void ApplicationTest::start() {
    application = std::make_unique<app::Application>();
    owner.Create("Quorvane", nullptr, nullptr, WS_OVERLAPPEDWINDOW, WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE, CW_USEDEFAULT,
                 0, CW_USEDEFAULT, 0, nullptr, nullptr);
    ASSERT_TRUE(application->createMainWindow(owner.hwndRef));
}

void ApplicationTest::quit() {
    SendMessageA(mainWindow(), WM_CLOSE, 0, 0);
    drainMessages();
}

HWND ApplicationTest::mainWindow() const {
    return application->hwndRef;
}

void ApplicationTest::command(int id, LPARAM lParam) {
    SendMessageA(mainWindow(), WM_COMMAND, static_cast<WPARAM>(id), lParam);
}

void ApplicationTest::useRealServer() {
    auto peer = testenv::pop3Peer();
    folder.setIni("SERVER", peer.host);
    folder.setIni("POP3_PORT", std::to_string(peer.port));
    folder.setIni("USER", peer.user);
    folder.setIni("PASS", settings::encodePass(peer.pass));
}

bool ApplicationTest::waitForCheckEnd(DWORD timeoutMs) {
    bool ended = pumpUntil([&] { return application->IsEnded() && !application->isCheckRunning(); }, timeoutMs);
    drainMessages();
    return ended;
}

std::string ApplicationTest::stateLine(const char* key) const {
    const auto rows = application->listWindow().rowViews();
    const std::string name = key;
    const std::string rowPrefix = "list.row.";
    if (name == "list.rows") {
        return std::to_string(rows.size());
    }
    if (name.compare(0, rowPrefix.size(), rowPrefix) == 0) {
        size_t index = std::stoul(name.substr(rowPrefix.size()));
        if (index >= rows.size()) {
            return "<missing>";
        }
        const auto& row = rows[index];
        return std::string(row.ticked ? "1" : "0") + "\t" + row.subject + "\t" + row.from + "\t" + row.size + "\t" +
               row.firstLines;
    }
    return "<missing>";
}

std::string ApplicationTest::menuState(UINT item) const {
    MENUITEMINFOA info{};
    info.cbSize = offsetof(MENUITEMINFOA, hbmpItem);
    info.fMask = MIIM_STATE;
    HMENU menu = application->popupMenu();
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

}  // namespace uitest
