// Quitting, or the session ending, while a check waits for a server that does not answer: the program runs on
// a thread of its own, as in the real process, and this thread gives it a bounded time to end.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "app/application.h"
#include "framework/window_base.h"
#include "res/resource_ids.h"
#include "settings/password_scramble.h"
#include "tests/app/ui_test_support.h"
#include "tests/support/fake_pop3_server.h"

namespace {

// The user-interface thread of one program run: makes the windows, starts a check, runs the message loop.
class ProgramThread {
public:
    ProgramThread() {
        ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        thread = CreateThread(nullptr, 0, &ProgramThread::main, this, 0, nullptr);
        WaitForSingleObject(ready, 10000);
    }

    ~ProgramThread() {
        if (WaitForSingleObject(thread, 0) == WAIT_TIMEOUT) {
            // A failed test must not leave the program behind: close it the hard way, if it ever gets there.
            PostMessageA(mainWindow, WM_CLOSE, 0, 0);
            WaitForSingleObject(thread, 10000);
        }
        CloseHandle(thread);
        CloseHandle(ready);
    }

    // Waits at most timeoutMs for the message loop to end; the milliseconds it took, or -1.
    long waitForEnd(DWORD timeoutMs, DWORD since) {
        if (WaitForSingleObject(thread, timeoutMs) != WAIT_OBJECT_0) {
            return -1;
        }
        return static_cast<long>(GetTickCount() - since);
    }

    HWND mainWindow = nullptr;

private:
    static DWORD WINAPI main(void* parameter) {
        auto* self = static_cast<ProgramThread*>(parameter);
        uitest::prepareWindowing();
        framework::WindowBase owner;
        {
            app::Application application;
            owner.Create("Quorvane", nullptr, nullptr, WS_OVERLAPPEDWINDOW, 0, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0,
                         nullptr, nullptr);
            application.createMainWindow(owner.hwndRef);
            self->mainWindow = application.hwndRef;
            PostMessageA(self->mainWindow, WM_COMMAND, IDM_CHECK_NOW, 0);
            SetEvent(self->ready);
            MSG msg;
            while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
        DestroyWindow(owner.hwndRef);
        return 0;
    }

    HANDLE ready = nullptr;
    HANDLE thread = nullptr;
};

struct ShutdownCase {
    const char* name;
    UINT message;
    const char* greeting;
    testenv::After afterGreeting;
    std::vector<testenv::Exchange> script;
};

TEST(ApplicationShutdown, EndsPromptlyAndWritesTheWindowStateWhileTheCheckIsBlocked) {
    const ShutdownCase cases[] = {
        {"quit, waiting for the greeting", WM_CLOSE, "", testenv::After::Hang, {}},
        {"quit, waiting for the reply to USER",
         WM_CLOSE,
         "+OK ready\r\n",
         testenv::After::Nothing,
         {{"USER neko", "", testenv::After::Hang}}},
        {"session end, waiting for the reply to USER",
         WM_QUERYENDSESSION,
         "+OK ready\r\n",
         testenv::After::Nothing,
         {{"USER neko", "", testenv::After::Hang}}},
        {"quit, waiting inside a TOP reply",
         WM_CLOSE,
         "+OK ready\r\n",
         testenv::After::Nothing,
         {{"USER neko", "+OK\r\n"},
          {"PASS secret", "+OK\r\n"},
          {"STAT", "+OK 1 100\r\n"},
          {"TOP 1 9", "+OK\r\nSubject: half\r\n", testenv::After::Hang}}},
    };
    for (const auto& c : cases) {
        uitest::ScratchFolder folder;
        testenv::FakePop3Server server(c.greeting, c.script, c.afterGreeting);
        folder.setIni("SERVER", "127.0.0.1");
        folder.setIni("POP3_PORT", std::to_string(server.port()));
        folder.setIni("USER", "neko");
        folder.setIni("PASS", settings::encodePass("secret"));
        folder.setIni("X", "321");
        folder.setIni("Y", "123");

        ProgramThread program;
        ASSERT_NE(nullptr, program.mainWindow) << c.name;
        server.waitUntilHanging();

        DWORD asked = GetTickCount();
        PostMessageA(program.mainWindow, c.message, 0, 0);
        // A deadlock would never end; the bound only keeps a failing run short. The time is printed.
        long took = program.waitForEnd(5000, asked);
        ASSERT_GE(took, 0) << c.name << ": the program did not end";
        std::printf("[ measured ] %s: ended %ld ms after the request\n", c.name, took);
        EXPECT_EQ("321", folder.ini("X")) << c.name;
        EXPECT_EQ("123", folder.ini("Y")) << c.name;
        EXPECT_EQ("0", folder.ini("InTaskTray")) << c.name;
    }
}

}  // namespace
