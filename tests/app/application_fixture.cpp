#include "tests/app/application_fixture.h"

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
    folder.setIni("PASS", encodePass(peer.pass));
}

bool ApplicationTest::waitForCheckEnd(DWORD timeoutMs) {
    bool ended = pumpUntil([&] { return application->IsEnded() && !application->isCheckRunning(); }, timeoutMs);
    drainMessages();
    return ended;
}

std::string ApplicationTest::stateLine(const char* key) const {
    std::string state = application->describeState();
    std::string prefix = std::string(key) + "=";
    size_t at = state.find("\n" + prefix);
    at = state.compare(0, prefix.size(), prefix) == 0 ? 0 : (at == std::string::npos ? at : at + 1);
    if (at == std::string::npos) {
        return "<missing>";
    }
    size_t end = state.find('\n', at);
    return state.substr(at + prefix.size(), end - at - prefix.size());
}

std::string ApplicationTest::menuState(UINT item) const {
    return stateLine(("menu." + std::to_string(item)).c_str());
}

}  // namespace uitest
