#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/application.h"
#include "framework/window_base.h"
#include "tests/app/ui_test_support.h"

namespace uitest {

// An Application made in-process as the program makes it (hidden owner window, then the main window), over
// a scratch folder whose ./Quorvane.ini the test writes before start().
class ApplicationTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Constructs the application (which reads the settings file) and creates its main window.
    void start();
    // The shutdown sequence, as the quit command or the session end runs it.
    void quit();

    HWND mainWindow() const;
    void command(int id, LPARAM lParam = 0);
    // Writes the settings that point the program at the real test server.
    void useRealServer();
    // Waits for the running check (if any) to end and its posted results to be handled.
    bool waitForCheckEnd(DWORD timeoutMs = 20000);

    std::string menuState(UINT item) const;
    std::string stateLine(const char* key) const;

    ScratchFolder folder;
    framework::WindowBase owner;
    std::unique_ptr<app::Application> application;
};

}  // namespace uitest
