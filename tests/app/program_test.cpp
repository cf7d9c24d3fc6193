#include "app/program.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/window_base.h"
#include "tests/app/ui_test_support.h"

namespace {

// Refuses the n-th window of the program's class made on this thread (1: the owner, 2: the main window).
int refuseNth = 0;
int madeSoFar = 0;

LRESULT CALLBACK refuseCreation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        const char* className = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs->lpszClass;
        if (!IS_INTRESOURCE(className) && std::strcmp(className, framework::defaultClassName) == 0 &&
            ++madeSoFar == refuseNth) {
            return 1;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A window that cannot be made ends the run with a message and a failure code, instead of a loop with no window.
TEST(Program, AWindowThatCannotBeMadeEndsTheRunWithAMessage) {
    uitest::prepareWindowing();
    for (int nth : {1, 2}) {
        uitest::ScratchFolder folder;
        refuseNth = nth;
        madeSoFar = 0;
        HHOOK hook = SetWindowsHookExA(WH_CBT, refuseCreation, nullptr, GetCurrentThreadId());
        uitest::DialogAnswerer answerer(IDOK);
        int exitCode = app::runProgram(GetModuleHandleA(nullptr));
        UnhookWindowsHookEx(hook);
        EXPECT_EQ(1, exitCode) << "window " << nth;
        ASSERT_EQ(1u, answerer.seen().size()) << "window " << nth;
        EXPECT_EQ("Quorvane", answerer.seen()[0].caption);
        EXPECT_NE(std::string::npos, answerer.seen()[0].text.find("起動できないにゃ"));
        EXPECT_EQ(nullptr, FindWindowA(nullptr, "Quorvane")) << "no window is left behind";
    }
}

// Another instance is recognised by a window named "Quorvane": this run ends at once with 0 and makes no window.
TEST(Program, RefusesToRunBesideAnotherInstance) {
    uitest::prepareWindowing();
    framework::WindowBase other;
    ASSERT_TRUE(other.Create("Quorvane", nullptr, nullptr, WS_OVERLAPPEDWINDOW, 0, 0, 0, 10, 10, nullptr, nullptr));
    uitest::ScratchFolder folder;

    EXPECT_EQ(0, app::runProgram(GetModuleHandleA(nullptr)));
    EXPECT_EQ(other.hwndRef, FindWindowA(nullptr, "Quorvane")) << "the other instance is left alone";
    EXPECT_EQ(nullptr, FindWindowExA(nullptr, other.hwndRef, nullptr, "Quorvane"));
    DestroyWindow(other.hwndRef);
}

}  // namespace
