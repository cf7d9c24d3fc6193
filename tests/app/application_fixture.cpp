#include "tests/app/application_fixture.h"

#include <cstddef>

#include <commctrl.h>

#include "app/list_view.h"
#include "res/resource_ids.h"
#include "settings/password_scramble.h"
#include "tests/support/painted_pixels.h"
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
    PopupWatcher watcher(mainWindow());
    SendMessageA(mainWindow(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(mainWindow()), MAKELPARAM(500, 400));
    popup = watcher.lastMenu();
    ASSERT_NE(nullptr, popup) << "the popup menu did not open";
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

std::vector<testenv::Exchange> ApplicationTest::mailboxSession(const std::vector<ServedMail>& mails,
                                                               const std::vector<testenv::Exchange>& beforeQuit) {
    std::vector<testenv::Exchange> script = {{"USER neko", "+OK\r\n"}, {"PASS secret", "+OK\r\n"}};
    int total = 0;
    std::string sizes = "+OK\r\n";
    for (const ServedMail& mail : mails) {
        total += mail.size;
    }
    script.push_back({"STAT", "+OK " + std::to_string(mails.size()) + " " + std::to_string(total) + "\r\n"});
    for (size_t i = 0; i < mails.size(); ++i) {
        const std::string number = std::to_string(i + 1);
        script.push_back({"TOP " + number + " 9",
                          "+OK\r\nFrom: " + mails[i].from + "\r\nSubject: " + mails[i].subject + "\r\n\r\n.\r\n"});
        sizes += number + " " + std::to_string(mails[i].size) + "\r\n";
    }
    script.push_back({"LIST", sizes + ".\r\n"});
    script.insert(script.end(), beforeQuit.begin(), beforeQuit.end());
    script.push_back({"QUIT", "+OK\r\n", testenv::After::Close});
    return script;
}

void ApplicationTest::serveMails(const std::vector<ServedMail>& mails) {
    mailServer = std::make_unique<testenv::FakePop3Server>("+OK ready\r\n", mailboxSession(mails));
    folder.setIni("SERVER", "127.0.0.1");
    folder.setIni("POP3_PORT", std::to_string(mailServer->port()));
    folder.setIni("USER", "neko");
    folder.setIni("PASS", settings::encodePass("secret"));
}

void ApplicationTest::confirmDeletion(int row) {
    app::list_view::setCheckState(listView(), row, app::list_view::kTicked);
    DialogAnswerer answer(IDYES);
    SendMessageA(listWindow(), WM_COMMAND, IDM_DELETE_CHECKED, 0);
    EXPECT_EQ(1u, answer.seen().size()) << "the deletion is asked first";
}

void ApplicationTest::checkByHand() {
    command(IDM_CHECK_NOW);
    EXPECT_TRUE(waitForCheckEnd());
    mailServer.reset();
}

bool ApplicationTest::waitForCheckEnd(DWORD timeoutMs) {
    // The worker never waits for this thread, so its end can be awaited here; before a run has begun (or after
    // it has ended) that returns at once.
    bool ended =
        pumpUntil([&] { return application->IsEnded() && !checkRunning(); }, timeoutMs) && application->Wait(timeoutMs);
    drainMessages();
    return ended;
}

std::string ApplicationTest::stateLine(const char* key) const {
    HWND view = listView();
    const int rows = view != nullptr ? app::list_view::rowCount(view) : 0;
    const std::string name = key;
    const std::string rowPrefix = "list.row.";
    if (name == "list.rows") {
        return std::to_string(rows);
    }
    if (name.compare(0, rowPrefix.size(), rowPrefix) == 0) {
        const int row = std::stoi(name.substr(rowPrefix.size()));
        if (row >= rows) {
            return "<missing>";
        }
        std::string line = app::list_view::checkState(view, row) == app::list_view::kTicked ? "1" : "0";
        for (int column = 0; column < 4; ++column) {
            line += "\t" + app::list_view::cellText(view, row, column);
        }
        return line;
    }
    return "<missing>";
}

app::Application::Look ApplicationTest::look() const {
    // The square is painted by its background erase, as the window system asks for it.
    const auto pixels = testenv::paintedPixels(4, 4, RGB(128, 128, 128), [this](HDC dc) {
        SendMessageA(mainWindow(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    });
    const COLORREF corner = testenv::colourOf(pixels[0]);
    if (corner == RGB(0, 0, 255)) {
        return app::Application::Look::Idle;
    }
    if (corner == RGB(0, 255, 0)) {
        return app::Application::Look::Checking;
    }
    if (corner == RGB(255, 0, 0)) {
        return app::Application::Look::MailWaiting;
    }
    ADD_FAILURE() << "the square's corner has no look's colour: " << std::hex << pixels[0];
    return app::Application::Look::Idle;
}

bool ApplicationTest::checkRunning() const {
    return menuState(IDM_STOP_CHECK) == "enabled";
}

bool ApplicationTest::paused() const {
    return menuState(IDM_PAUSE).find("checked") != std::string::npos;
}

bool ApplicationTest::endTimer() const {
    return KillTimer(mainWindow(), 10) != FALSE;
}

namespace {

struct ListSearch {
    HWND found = nullptr;
};

BOOL CALLBACK findListWindow(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<ListSearch*>(lParam);
    if (windowText(window) == "新着メール一覧 (Quorvane)" && IsWindow(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND ApplicationTest::listWindow() const {
    ListSearch search;
    EnumThreadWindows(GetCurrentThreadId(), &findListWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND ApplicationTest::listView() const {
    HWND list = listWindow();
    return list != nullptr ? FindWindowExA(list, nullptr, WC_LISTVIEWA, nullptr) : nullptr;
}

std::vector<std::string> ApplicationTest::subjects() const {
    std::vector<std::string> result;
    HWND view = listView();
    const int rows = view != nullptr ? app::list_view::rowCount(view) : 0;
    for (int row = 0; row < rows; ++row) {
        result.push_back(app::list_view::cellText(view, row, 0));
    }
    return result;
}

bool ApplicationTest::rowInBold(int row) const {
    HWND view = listView();
    LPARAM data = 0;
    if (view == nullptr || !app::list_view::rowData(view, row, data)) {
        ADD_FAILURE() << "no row " << row;
        return false;
    }
    HDC dc = GetDC(view);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    NMLVCUSTOMDRAW custom{};
    custom.nmcd.hdr.hwndFrom = view;
    custom.nmcd.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(view));
    custom.nmcd.hdr.code = NM_CUSTOMDRAW;
    custom.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
    custom.nmcd.hdc = dc;
    custom.nmcd.dwItemSpec = static_cast<DWORD_PTR>(row);
    custom.nmcd.lItemlParam = data;
    SendMessageA(listWindow(), WM_NOTIFY, custom.nmcd.hdr.idFrom, reinterpret_cast<LPARAM>(&custom));
    LOGFONTA face{};
    GetObjectA(GetCurrentObject(dc, OBJ_FONT), sizeof face, &face);
    ReleaseDC(view, dc);
    return face.lfWeight >= FW_BOLD;
}

std::string ApplicationTest::menuState(UINT item) const {
    MENUITEMINFOA info{};
    info.cbSize = offsetof(MENUITEMINFOA, hbmpItem);
    info.fMask = MIIM_STATE;
    HMENU menu = popup;
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
