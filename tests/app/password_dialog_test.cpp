#include "app/password_dialog.h"

#include <gtest/gtest.h>

#include <string>

#include "res/resource_ids.h"
#include "tests/framework/dialog_driver.h"

namespace {

using app::PasswordDialog;

TEST(PasswordDialogTest, AnswersOfTheModalDialog) {
    const std::string longText(300, 'k');
    struct Case {
        const char* name;
        std::string typed;
        WPARAM closing;  // the command posted to close the dialog; 0: the close box
        int result;
        std::string password;
    };
    const Case cases[] = {
        {"ok", "neko-pass", IDOK, 1, "neko-pass"},
        {"ok with japanese", "ねこ", IDOK, 1, "ねこ"},
        {"ok empty", "", IDOK, 1, ""},
        {"cancel", "neko-pass", IDCANCEL, 0, ""},
        {"close box", "neko-pass", 0, 0, ""},
        {"long", longText, IDOK, 1, longText.substr(0, 259)},
    };
    for (const Case& c : cases) {
        PasswordDialog prompt;
        prompt.password = "left over";  // Ask starts empty
        testwin::DialogInitHook hook([&](HWND dialog) {
            SetDlgItemTextA(dialog, IDC_PASSWORD, c.typed.c_str());
            if (c.closing == 0) {
                PostMessageA(dialog, WM_CLOSE, 0, 0);
            } else {
                testwin::postCommand(dialog, c.closing);
            }
        });
        EXPECT_EQ(prompt.Ask(nullptr), c.result) << c.name;
        EXPECT_EQ(prompt.password, c.password) << c.name;
    }
}

TEST(PasswordDialogTest, OnlyTheClosingOkTakesTheText) {
    PasswordDialog prompt;
    testwin::DialogInitHook hook([](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_PASSWORD, "typed");
        // Id 1 with a notification code in the high word neither closes nor takes the text...
        testwin::postCommand(dialog, MAKEWPARAM(IDOK, 1));
        // ... so the cancel that follows leaves no password behind.
        testwin::postCommand(dialog, IDCANCEL);
    });
    EXPECT_EQ(prompt.Ask(nullptr), 0);
    EXPECT_EQ(prompt.password, "");
}

TEST(PasswordDialogTest, TypingGoesIntoThePasswordField) {
    PasswordDialog prompt;
    HWND focused = nullptr;
    HWND field = nullptr;
    testwin::DialogInitHook hook([&](HWND dialog) {
        focused = GetFocus();
        field = GetDlgItem(dialog, IDC_PASSWORD);
        testwin::postCommand(dialog, IDCANCEL);
    });
    prompt.Ask(nullptr);
    EXPECT_NE(field, nullptr);
    EXPECT_EQ(focused, field);
}

TEST(PasswordDialogTest, Picture) {
    PasswordDialog prompt;
    bool saved = false;
    testwin::DialogInitHook hook([&](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_PASSWORD, "secret");
        saved = testwin::savePicture(dialog, "password-dialog");
        testwin::postCommand(dialog, IDCANCEL);
    });
    prompt.Ask(nullptr);
    EXPECT_TRUE(saved);
}

}  // namespace
