// The settings dialog's start-with-Windows box, driven for real: it shows the Run key when the dialog opens,
// and OK (only OK, only when the box changed) writes or removes the Run key's value. The INI is no part of it.
#include <gtest/gtest.h>

#include <functional>

#include "app/settings_dialog.h"
#include "res/resource_ids.h"
#include "tests/app/run_key.h"
#include "tests/framework/dialog_driver.h"

namespace {

using app::SettingsDialog;

const std::wstring& thisExeCommand() {
    static const std::wstring command = L"\"" + settings_test::thisExePath() + L"\" /startup";
    return command;
}

// Opens the dialog, reads the box's state when it is shown, sets it to `tick` and ends with `button`.
UINT runBox(bool tick, int button) {
    SettingsDialog dialog;
    dialog.fill(settings::Settings{}, nullptr, nullptr);
    UINT shown = 99;
    testwin::DialogInitHook hook([&](HWND hwnd) {
        if (hwnd == dialog.hwndRef) {
            shown = IsDlgButtonChecked(hwnd, IDC_START_WITH_WINDOWS);
            CheckDlgButton(hwnd, IDC_START_WITH_WINDOWS, tick ? BST_CHECKED : BST_UNCHECKED);
            testwin::postCommand(hwnd, button);
        }
    });
    dialog.Open(true, IDD_SETTINGS, nullptr, nullptr);
    return shown;
}

TEST(StartWithWindowsBox, ShowsTheRunKeyAndOkChangesIt) {
    settings_test::RunValueGuard guard;
    const struct {
        const char* step;
        bool tick;
        int button;
        UINT shownBefore;
        bool valueAfter;
    } steps[] = {
        {"off by default; cancel writes nothing", true, IDCANCEL, BST_UNCHECKED, false},
        {"ticked with OK: added", true, IDOK, BST_UNCHECKED, true},
        {"shown ticked; OK unchanged keeps it", true, IDOK, BST_CHECKED, true},
        {"cleared with cancel: kept", false, IDCANCEL, BST_CHECKED, true},
        {"cleared with OK: removed", false, IDOK, BST_CHECKED, false},
        {"shown clear again", false, IDOK, BST_UNCHECKED, false},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.step);
        EXPECT_EQ(s.shownBefore, runBox(s.tick, s.button));
        auto value = settings_test::readRunValue();
        EXPECT_EQ(s.valueAfter, value.has_value());
        if (value) {
            EXPECT_EQ(thisExeCommand(), *value);
        }
    }
}

// A value left by a copy of the program in another folder shows as clear and stays unless the box is ticked,
// which points the value at this copy.
TEST(StartWithWindowsBox, OtherCopysValueStaysUntilTheBoxIsTicked) {
    settings_test::RunValueGuard guard;
    const std::wstring other = L"\"C:\\old\\Quorvane.exe\" /startup";
    settings_test::writeRunValue(other);
    EXPECT_EQ(static_cast<UINT>(BST_UNCHECKED), runBox(false, IDOK));
    EXPECT_EQ(other, settings_test::readRunValue().value_or(L"(none)"));
    EXPECT_EQ(static_cast<UINT>(BST_UNCHECKED), runBox(true, IDOK));
    EXPECT_EQ(thisExeCommand(), settings_test::readRunValue().value_or(L"(none)"));
}

}  // namespace
