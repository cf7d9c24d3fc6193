#include "app/program.h"

#include <gtest/gtest.h>

#include "framework/window_base.h"
#include "tests/app/ui_test_support.h"

namespace {

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
