// The login part of the settings dialog: the method chooser, the protected password box, the OAuth fields and
// the sign-in they start, driven through the dialog's own messages.
#include <gtest/gtest.h>

#include <ctime>
#include <functional>
#include <string>
#include <thread>

#include "app/settings_dialog.h"
#include "app/sign_in_dialog.h"
#include "res/resource_ids.h"
#include "tests/framework/dialog_driver.h"
#include "tests/support/oauth_tokens.h"
#include "tests/support/test_env.h"

namespace {

using app::SettingsDialog;
using testwin::itemText;

settings::Settings sample() {
    settings::Settings s;
    s.server = "pop.example.jp";
    s.user = "tama";
    s.pass = "neko-pass";
    s.pop3Port = 110;
    s.sslMode = 0;
    s.oauthClientId = "neko-app";
    s.oauthAuthorizeUrl = "https://login.example.jp/authorize";
    s.oauthTokenUrl = "https://login.example.jp/token";
    return s;
}

// Picks the entry of a drop-down list as the user would: the selection, then the notice to the dialog.
void pick(HWND dialog, int id, int entry) {
    SendDlgItemMessageA(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

int shownEntry(HWND dialog, int id) {
    return static_cast<int>(SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0));
}

// Runs the dialog over `values`; `act` works on the settings dialog, every other dialog (a box) is answered
// with OK and its text appended to `boxes`.
void runDialog(SettingsDialog& dialog,
               const settings::Settings& values,
               const std::function<void(HWND)>& act,
               std::string* boxes = nullptr) {
    dialog.fill(values, nullptr, nullptr);
    testwin::DialogInitHook hook([&](HWND hwnd) {
        if (hwnd == dialog.hwndRef) {
            act(hwnd);
            return;
        }
        if (boxes != nullptr) {
            *boxes += itemText(hwnd, 0xFFFF) + "|";
        }
        testwin::postCommand(hwnd, IDOK);
    });
    dialog.Open(true, IDD_SETTINGS, nullptr, nullptr);
}

TEST(SettingsDialogLogin, TheMethodChooserShowsAndTakesTheAuthKey) {
    const struct {
        const char* file;
        int shown;   // the entry shown for the file's value (-1: none)
        int picked;  // what the user picks (-1: nothing)
        const char* saved;
        bool oauthFields;  // the OAuth fields are usable after the pick
    } rows[] = {
        {"", 0, -1, "", false},
        {"auto", 1, -1, "auto", false},
        {"USER", 2, -1, "user", false},
        {"apop", 3, -1, "apop", false},
        {"plain", 4, -1, "plain", false},
        {"cram-md5", 5, -1, "cram-md5", false},
        {"scram-sha-256", 6, -1, "scram-sha-256", false},
        {"oauth2", 7, -1, "oauth2", true},
        {"kerberos", -1, -1, "kerberos", false},  // a value no method has stays until one is picked
        {"kerberos", -1, 6, "scram-sha-256", false},
        {"", 0, 7, "oauth2", true},
        {"oauth2", 7, 0, "", false},
    };
    for (const auto& row : rows) {
        settings::Settings values = sample();
        values.auth = row.file;
        SettingsDialog dialog;
        int shown = -2;
        bool signInUsable = false, urlUsable = false, protectUsable = false;
        runDialog(dialog, values, [&](HWND hwnd) {
            shown = shownEntry(hwnd, IDC_AUTH);
            if (row.picked >= 0) {
                pick(hwnd, IDC_AUTH, row.picked);
            }
            signInUsable = IsWindowEnabled(GetDlgItem(hwnd, IDC_SIGN_IN));
            urlUsable = IsWindowEnabled(GetDlgItem(hwnd, IDC_OAUTH_TOKEN_URL));
            protectUsable = IsWindowEnabled(GetDlgItem(hwnd, IDC_PROTECT_PASS));
            testwin::postCommand(hwnd, IDOK);
        });
        EXPECT_EQ(row.shown, shown) << row.file;
        EXPECT_TRUE(dialog.accepted) << row.file;
        EXPECT_EQ(row.saved, dialog.edited().auth) << row.file << " " << row.picked;
        EXPECT_EQ(row.oauthFields, signInUsable) << row.file;
        EXPECT_EQ(row.oauthFields, urlUsable) << row.file << ": an empty provider is a custom one";
        EXPECT_NE(row.oauthFields, protectUsable) << row.file;
    }
}

TEST(SettingsDialogLogin, AKnownProviderFillsInItsServer) {
    const struct {
        const char* file;
        int picked;
        const char* server;
        const char* port;
        int sslMode;
        const char* saved;
        bool endpointsUsable;
    } rows[] = {
        {"", -1, "pop.example.jp", "110", 0, "", true},
        {"", 0, "outlook.office365.com", "995", 2, "microsoft", false},
        {"custom", 1, "pop.gmail.com", "995", 2, "google", false},
        {"Google", -1, "pop.example.jp", "110", 0, "Google", false},
        {"google", 2, "pop.example.jp", "110", 0, "custom", true},
    };
    for (const auto& row : rows) {
        settings::Settings values = sample();
        values.auth = "oauth2";
        values.oauthProvider = row.file;
        values.oauthClientSecret = "throwaway-secret";
        SettingsDialog dialog;
        std::string server, port;
        int mode = -2;
        bool endpoints = false;
        runDialog(dialog, values, [&](HWND hwnd) {
            if (row.picked >= 0) {
                pick(hwnd, IDC_OAUTH_PROVIDER, row.picked);
            }
            server = itemText(hwnd, IDC_SERVER);
            port = itemText(hwnd, IDC_PORT);
            mode = shownEntry(hwnd, IDC_SSL_MODE);
            endpoints = IsWindowEnabled(GetDlgItem(hwnd, IDC_OAUTH_AUTHORIZE_URL));
            testwin::postCommand(hwnd, IDOK);
        });
        const settings::Settings edited = dialog.edited();
        EXPECT_EQ(row.server, server) << row.file << " " << row.picked;
        EXPECT_EQ(row.port, port) << row.file << " " << row.picked;
        EXPECT_EQ(row.sslMode, mode) << row.file << " " << row.picked;
        EXPECT_EQ(row.saved, edited.oauthProvider) << row.file << " " << row.picked;
        EXPECT_EQ(row.server, edited.server);
        EXPECT_EQ(row.endpointsUsable, endpoints) << row.file << " " << row.picked;
    }
}

// A newly typed password is kept protected unless the user unticks the box; showing the file's does not tick it.
TEST(SettingsDialogLogin, ANewPasswordTicksTheProtectionOnce) {
    const struct {
        bool file;
        const char* typed;  // nullptr: the password is left alone
        bool untickAfter;   // the user unticks the box after typing, then types more
        bool saved;
    } rows[] = {
        {false, nullptr, false, false}, {true, nullptr, false, true},          {false, "new-throwaway", false, true},
        {false, "", false, true},       {false, "new-throwaway", true, false}, {true, "new-throwaway", true, false},
    };
    for (const auto& row : rows) {
        settings::Settings values = sample();
        values.protectPass = row.file;
        SettingsDialog dialog;
        runDialog(dialog, values, [&](HWND hwnd) {
            if (row.typed != nullptr) {
                SetDlgItemTextA(hwnd, IDC_PASS, row.typed);
            }
            if (row.untickAfter) {
                CheckDlgButton(hwnd, IDC_PROTECT_PASS, BST_UNCHECKED);
                SetDlgItemTextA(hwnd, IDC_PASS, "more-throwaway");
            }
            testwin::postCommand(hwnd, IDOK);
        });
        EXPECT_TRUE(dialog.accepted);
        EXPECT_EQ(row.saved, dialog.edited().protectPass) << row.file << " " << (row.typed ? row.typed : "-");
    }
}

TEST(SettingsDialogLogin, OAuthWithoutWhatItNeedsIsRefused) {
    const struct {
        const char* provider;
        const char* clientId;
        const char* secret;
        const char* authorizeUrl;
        const char* tokenUrl;
        bool several;  // a second mailbox: the box names the first
        const char* said;
        int focus;
    } rows[] = {
        {"custom", "", "", "https://a", "https://t", false, "クライアントIDがいるにゃ", IDC_OAUTH_CLIENT_ID},
        {"google", "g-app", "", "", "", false, "クライアントシークレットもいるにゃ", IDC_OAUTH_CLIENT_SECRET},
        {"custom", "c-app", "", "", "https://t", false, "認可URLとトークンURLがいるにゃ", IDC_OAUTH_AUTHORIZE_URL},
        {"", "c-app", "", "https://a", "", true, "tama@pop.example.jp\nカスタムのプロバイダには", IDC_OAUTH_TOKEN_URL},
        {"microsoft", "m-app", "", "", "", false, nullptr, 0},
        {"google", "g-app", "throwaway-secret", "", "", false, nullptr, 0},
    };
    for (const auto& row : rows) {
        settings::Settings values = sample();
        values.auth = "oauth2";
        values.oauthProvider = row.provider;
        values.oauthClientId = row.clientId;
        values.oauthClientSecret = row.secret;
        values.oauthAuthorizeUrl = row.authorizeUrl;
        values.oauthTokenUrl = row.tokenUrl;
        if (row.several) {
            values.moreMailboxes.push_back(settings::Settings{});
        }
        SettingsDialog dialog;
        std::string boxes;
        int focus = 0;
        runDialog(
            dialog, values,
            [&](HWND hwnd) {
                SendMessageA(hwnd, WM_COMMAND, IDOK, 0);
                focus = GetDlgCtrlID(GetFocus());
                if (!dialog.accepted) {
                    testwin::postCommand(hwnd, IDCANCEL);
                }
            },
            &boxes);
        EXPECT_EQ(row.said == nullptr, dialog.accepted) << row.provider << " " << row.clientId;
        if (row.said != nullptr) {
            EXPECT_NE(std::string::npos, boxes.find(row.said)) << boxes;
            EXPECT_EQ(row.focus, focus) << row.said;
        } else {
            EXPECT_EQ("", boxes);
        }
    }
}

// "サインイン" against the fake authorization server, with the test as the browser: it reads the address from the
// sign-in dialog, asks the authorization page, and takes its redirect to the program's listener (or spoils it).
TEST(SettingsDialogLogin, SignInStoresTheTokensOnlyWhenItSucceeds) {
    const std::string server = testenv::env("QV_OAUTH_URL"), browserSide = testenv::env("QV_OAUTH_BROWSER_URL");
    const std::string untrusted = testenv::env("QV_OAUTH_UNTRUSTED_URL");
    ASSERT_FALSE(server.empty() || browserSide.empty()) << "run under scripts/with-test-env";
    enum Browser { Follow, SpoilState, Cancel };
    const struct {
        const char* clientId;
        std::string tokenUrl;
        Browser browser;
        const char* box;  // nullptr: none
        bool stored;
    } rows[] = {
        {"quorvane-test", server + "/token", Follow, "サインインできたにゃ！", true},
        {"deny", server + "/token", Follow, "ことわられたにゃ", false},
        {"quorvane-test", server + "/token", SpoilState, "変な返事", false},
        {"quorvane-test", untrusted + "/token", Follow, "証明書が信用できない", false},
        {"quorvane-test", server + "/token", Cancel, nullptr, false},
    };
    for (const auto& row : rows) {
        settings::Settings values = sample();
        values.auth = "oauth2";
        values.oauthProvider = "custom";
        values.oauthClientId = row.clientId;
        values.oauthAuthorizeUrl = browserSide + "/authorize";
        values.oauthTokenUrl = row.tokenUrl;
        SettingsDialog dialog;
        dialog.fill(values, nullptr, nullptr);
        std::string boxes, address;
        std::thread browser;
        testwin::DialogInitHook hook([&](HWND hwnd) {
            if (hwnd == dialog.hwndRef) {
                testwin::postCommand(hwnd, IDC_SIGN_IN);
                return;
            }
            if (GetDlgItem(hwnd, IDC_SIGN_IN_URL) != nullptr) {
                address = itemText(hwnd, IDC_SIGN_IN_URL);
                if (row.browser == Cancel) {
                    testwin::postCommand(hwnd, IDCANCEL);
                    testwin::postCommand(dialog.hwndRef, IDOK);
                    return;
                }
                browser = std::thread([&] {
                    const std::string page = testenv::getOverPlainHttp(address);
                    const std::size_t at = page.find("Location: ") + 10;
                    std::string redirect = page.substr(at, page.find("\r\n", at) - at);
                    if (row.browser == SpoilState) {
                        redirect.replace(redirect.find("state=") + 6, 1, "~");
                    }
                    testenv::getOverPlainHttp(redirect);
                });
                return;
            }
            boxes += itemText(hwnd, 0xFFFF) + "|";
            testwin::postCommand(hwnd, IDOK);
            testwin::postCommand(dialog.hwndRef, IDOK);
        });
        dialog.Open(true, IDD_SETTINGS, nullptr, nullptr);
        if (browser.joinable()) {
            browser.join();
        }
        EXPECT_EQ(0u, address.find(browserSide + "/authorize?")) << address;
        EXPECT_NE(std::string::npos, address.find("client_id=" + std::string(row.clientId))) << address;
        if (row.box != nullptr) {
            EXPECT_NE(std::string::npos, boxes.find(row.box)) << row.clientId << ": " << boxes;
        } else {
            EXPECT_EQ("", boxes);
        }
        const settings::Settings edited = dialog.edited();
        EXPECT_EQ(row.stored, edited.signedInHere) << boxes;
        EXPECT_EQ(row.stored, !edited.refreshToken.empty()) << boxes;
        EXPECT_EQ(row.stored, !edited.accessToken.empty()) << boxes;
        EXPECT_EQ(row.stored, edited.accessExpiresAt > std::time(nullptr)) << boxes;
    }
}

}  // namespace
