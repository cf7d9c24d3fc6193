#include "framework/window_base.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "framework/handler_table.h"
#include "framework/notify_forwarding.h"
#include "framework/window_registry.h"

namespace {

using framework::WindowBase;
using framework::WindowRegistry;

// Registers the default class once for every test of this program, as the application does at start.
class WindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!framework::defaultClassRegistered) {
            framework::RegisterWindowClass(nullptr, nullptr, nullptr, nullptr, nullptr,
                                           reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), 0, 0,
                                           framework::SharedWindowProc);
        }
    }

    static bool makeWindow(WindowBase& window, const char* title = "probe") {
        return window.Create(title, nullptr, nullptr, WS_OVERLAPPEDWINDOW, 0, 10, 10, 120, 80, nullptr, nullptr);
    }
};

// Notes every message that reaches the object; can refuse its own creation.
class ProbeWindow : public WindowBase {
public:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        seen.push_back(msg);
        if (msg == WM_CREATE && refuseCreation) {
            return -1;
        }
        return WindowBase::WindowProc(msg, wParam, lParam);
    }
    bool saw(UINT msg) const {
        return std::find(seen.begin(), seen.end(), msg) != seen.end();
    }

    std::vector<UINT> seen;
    bool refuseCreation = false;
};

TEST_F(WindowTest, CreateBindsTheWindowFromItsFirstMessage) {
    ProbeWindow window;
    EXPECT_EQ(window.Kind(), WindowBase::kNotBound);
    EXPECT_EQ(window.hwndRef, nullptr);

    ASSERT_TRUE(makeWindow(window));
    HWND hwnd = window.hwndRef;
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(window.Kind(), WindowBase::kPlainWindow);
    EXPECT_EQ(WindowRegistry::Find(hwnd), &window);
    EXPECT_EQ(framework::creatingWindow, nullptr);
    // Messages sent inside CreateWindowExA already reached the object.
    EXPECT_TRUE(window.saw(WM_NCCREATE));
    EXPECT_TRUE(window.saw(WM_CREATE));
    DestroyWindow(hwnd);
}

TEST_F(WindowTest, SecondCreateRefusedWhileTheFirstWindowLives) {
    ProbeWindow window;
    ASSERT_TRUE(makeWindow(window));
    HWND first = window.hwndRef;

    EXPECT_FALSE(makeWindow(window));
    EXPECT_EQ(window.hwndRef, first);
    EXPECT_EQ(WindowRegistry::Find(first), &window);

    DestroyWindow(first);
    ASSERT_TRUE(makeWindow(window));
    EXPECT_NE(window.hwndRef, nullptr);
    EXPECT_TRUE(IsWindow(window.hwndRef));
    EXPECT_EQ(WindowRegistry::Find(window.hwndRef), &window);
    DestroyWindow(window.hwndRef);
}

TEST_F(WindowTest, DestroyedWindowIsUnboundAtDestroy) {
    ProbeWindow window;
    ASSERT_TRUE(makeWindow(window));
    HWND hwnd = window.hwndRef;
    const std::size_t before = WindowRegistry::Size();

    DestroyWindow(hwnd);
    EXPECT_EQ(WindowRegistry::Find(hwnd), nullptr);
    EXPECT_EQ(WindowRegistry::Size(), before - 1);
    EXPECT_EQ(window.hwndRef, nullptr);
    EXPECT_EQ(window.Kind(), WindowBase::kNotBound);
    EXPECT_TRUE(window.saw(WM_DESTROY));
    // The last message went past the object, to the default procedure.
    EXPECT_FALSE(window.saw(WM_NCDESTROY));
}

TEST_F(WindowTest, WindowRefusedInCreationLeavesNoBinding) {
    ProbeWindow window;
    window.refuseCreation = true;
    const std::size_t before = WindowRegistry::Size();
    EXPECT_FALSE(makeWindow(window));
    EXPECT_EQ(window.hwndRef, nullptr);
    EXPECT_EQ(WindowRegistry::Size(), before);
    EXPECT_EQ(framework::creatingWindow, nullptr);
}

TEST_F(WindowTest, FailedCreationDoesNotCaptureTheNextWindow) {
    ProbeWindow failed;
    EXPECT_FALSE(failed.Create("x", "QuorvaneNoSuchClass", nullptr, WS_POPUP, 0, 0, 0, 10, 10, nullptr, nullptr));
    EXPECT_EQ(framework::creatingWindow, nullptr);

    // A window of the default class made past the framework belongs to nobody and gets default handling.
    HWND stray = CreateWindowExA(0, framework::defaultClassName, "stray", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(stray, nullptr);
    EXPECT_EQ(WindowRegistry::Find(stray), nullptr);
    EXPECT_TRUE(failed.seen.empty());
    EXPECT_EQ(SendMessageA(stray, WM_GETTEXTLENGTH, 0, 0), 5);
    DestroyWindow(stray);
}

TEST_F(WindowTest, CreateWithoutClassNeedsTheDefaultClass) {
    const bool registered = framework::defaultClassRegistered;
    framework::defaultClassRegistered = false;
    WindowBase window;
    EXPECT_FALSE(makeWindow(window));
    EXPECT_EQ(window.hwndRef, nullptr);
    framework::defaultClassRegistered = registered;
}

TEST_F(WindowTest, PlainWindowBaseHandsEverythingToDefWindowProc) {
    WindowBase owner;
    ASSERT_TRUE(makeWindow(owner, "Quorvane"));
    EXPECT_EQ(SendMessageA(owner.hwndRef, WM_GETTEXTLENGTH, 0, 0), 8);
    DestroyWindow(owner.hwndRef);
}

TEST_F(WindowTest, DestructorUnbindsALiveWindow) {
    HWND orphan = nullptr;
    {
        ProbeWindow window;
        ASSERT_TRUE(makeWindow(window, "orphan"));
        orphan = window.hwndRef;
    }
    EXPECT_EQ(WindowRegistry::Find(orphan), nullptr);
    ASSERT_TRUE(IsWindow(orphan));
    // Its messages no longer reach the destroyed object.
    EXPECT_EQ(SendMessageA(orphan, WM_GETTEXTLENGTH, 0, 0), 6);
    DestroyWindow(orphan);
}

TEST(RegisterWindowClassTest, OnlyTheDefaultNameMarksTheDefaultClass) {
    const bool registered = framework::defaultClassRegistered;
    framework::defaultClassRegistered = false;
    EXPECT_NE(framework::RegisterWindowClass(nullptr, "QuorvaneOtherClass", nullptr, nullptr, nullptr, nullptr, 0, 0,
                                             framework::SharedWindowProc),
              0);
    EXPECT_FALSE(framework::defaultClassRegistered);

    // Registering the default class marks it even when the class exists already and registration fails.
    framework::RegisterWindowClass(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0,
                                   framework::SharedWindowProc);
    framework::RegisterWindowClass(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0,
                                   framework::SharedWindowProc);
    EXPECT_TRUE(framework::defaultClassRegistered);

    WNDCLASSA info{};
    ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "QuorvaneOtherClass", &info));
    EXPECT_EQ(info.style, static_cast<UINT>(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS));
    EXPECT_EQ(info.hCursor, LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_EQ(info.hIcon, LoadIconA(nullptr, IDI_APPLICATION));
    framework::defaultClassRegistered = registered || framework::defaultClassRegistered;
}

// A window with the three tables, as the program's windows build them.
class TableWindow : public WindowBase {
public:
    TableWindow() {
        messageHandlers.Set(WM_COMMAND, &TableWindow::onCommand);
        messageHandlers.Set(WM_NOTIFY, &TableWindow::onNotify);
        commandHandlers.Set(40003, &TableWindow::onCheckNow);
        notifyHandlers.Set(-155, &TableWindow::onKeyDown);
    }

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        framework::MessageRecord record{msg, wParam, lParam, 0};
        messageHandlers.Dispatch(msg, &record);
        return record.result;
    }

    int checks = 0;
    framework::NotifyRecord lastNotify;

private:
    void onDefault(framework::MessageRecord* record) {
        record->result = DefaultProc(record->msg, record->wParam, record->lParam);
    }
    void onCommand(framework::MessageRecord* record) {
        framework::ForwardCommand(commandHandlers, record);
    }
    void onNotify(framework::MessageRecord* record) {
        framework::ForwardNotify(notifyHandlers, record);
    }
    void onCheckNow(framework::MessageRecord* record) {
        ++checks;
        record->result = 0;
    }
    void onKeyDown(framework::NotifyRecord* record) {
        lastNotify = *record;
        record->result = 77;
    }

    framework::MessageTable<TableWindow> messageHandlers{this, &TableWindow::onDefault};
    framework::CommandTable<TableWindow> commandHandlers{this};
    framework::NotifyTable<TableWindow> notifyHandlers{this};
};

TEST_F(WindowTest, TablesOfAConcreteWindow) {
    TableWindow window;
    ASSERT_TRUE(makeWindow(window, "tables"));
    HWND hwnd = window.hwndRef;

    EXPECT_EQ(SendMessageA(hwnd, WM_COMMAND, 40003, 0), 0);
    EXPECT_EQ(window.checks, 1);
    // A command without a handler answers 1.
    EXPECT_EQ(SendMessageA(hwnd, WM_COMMAND, 40099, 0), 1);
    // A message without a handler: DefWindowProcA through the fallback.
    EXPECT_EQ(SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0), 6);

    // WM_NOTIFY without a header dispatches nothing.
    EXPECT_EQ(SendMessageA(hwnd, WM_NOTIFY, 10, 0), 0);
    EXPECT_EQ(window.lastNotify.header, nullptr);

    NMHDR header{hwnd, 10, static_cast<UINT>(-155)};
    EXPECT_EQ(SendMessageA(hwnd, WM_NOTIFY, 10, reinterpret_cast<LPARAM>(&header)), 77);
    EXPECT_EQ(window.lastNotify.header, &header);
    EXPECT_EQ(window.lastNotify.wParam, 10u);
    // A code without a handler leaves the result as it stood.
    header.code = static_cast<UINT>(-101);
    EXPECT_EQ(SendMessageA(hwnd, WM_NOTIFY, 10, reinterpret_cast<LPARAM>(&header)), 0);
    DestroyWindow(hwnd);
}

}  // namespace
