// Dialogs 106, 109, 111 and 112: the templates as stored (style, size, font, every control in order) and the same
// dialogs created for real, where the captions, control texts, classes, positions and default buttons are read
// back from the windows. A picture of each dialog goes into the screenshots folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "res/resource_ids.h"
#include "tests/res/dialog_template.h"
#include "tests/support/window_capture.h"

namespace {

using restest::DialogItem;
using restest::DialogTemplate;

enum Class : uint16_t { kButton = 0x80, kEdit = 0x81, kStatic = 0x82, kComboBox = 0x85 };

const DWORD kChild = WS_CHILD | WS_VISIBLE;
const DWORD kDefaultButton = kChild | WS_TABSTOP | BS_DEFPUSHBUTTON;
const DWORD kButtonStyle = kChild | WS_TABSTOP | BS_PUSHBUTTON;
const DWORD kGroupBox = kChild | BS_GROUPBOX;
const DWORD kIcon = kChild | SS_ICON;
const DWORD kLabel = kChild | SS_LEFT;
const DWORD kRightLabel = kChild | SS_RIGHT;
const DWORD kEditStyle = kChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
const DWORD kPasswordEdit = kEditStyle | ES_PASSWORD;
const DWORD kCheckBox = kChild | WS_TABSTOP | BS_AUTOCHECKBOX;
const DWORD kDropDownList = kChild | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST;
const DWORD kInfoField = kChild | WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL | ES_NOHIDESEL;
const uint16_t kNoId = 0xFFFF;  // -1 in a 16-bit id
const int kIconText = -1;       // the item's text is the icon resource, not a string

struct ExpectedItem {
    uint16_t id;
    Class windowClass;
    const char* text;  // nullptr: an icon
    int x, y, width, height;
    DWORD style;  // compared without WS_GROUP, which labels carry by the resource compiler's habit
};

struct ExpectedDialog {
    int id;
    const char* name;  // for the screenshot file
    const char* caption;
    int width, height;
    std::vector<ExpectedItem> items;
};

const DWORD kDialogStyle = 0x80C800C0;  // WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT
const char kFont[] = "ＭＳ Ｐゴシック";

const ExpectedDialog kSettings = {
    IDD_SETTINGS,
    "dialog-106-settings",
    "せってい～＆バージョン情報　（Quorvane）",
    398,
    269,
    {
        {IDOK, kButton, "おっけーにゃん", 181, 7, 50, 14, kDefaultButton},
        {IDCANCEL, kButton, "やめるにゃー", 181, 24, 50, 14, kButtonStyle},
        {kNoId, kButton, "ばーじょん　じょうほう", 7, 7, 165, 40, kGroupBox},
        {kNoId, kStatic, nullptr, 15, 19, 20, 20, kIcon},
        {kNoId, kButton, "メールのせってい", 7, 66, 224, 130, kGroupBox},
        // The mailbox chooser and the chosen mailbox's name and switch, above its other fields.
        {kNoId, kStatic, "メールボックス：", 9, 82, 47, 8, kRightLabel},
        {IDC_MAILBOX, kComboBox, "", 60, 80, 75, 120, kDropDownList},
        {IDC_ADD_MAILBOX, kButton, "追加", 140, 80, 30, 14, kButtonStyle},
        {IDC_DELETE_MAILBOX, kButton, "削除", 173, 80, 30, 14, kButtonStyle},
        {kNoId, kStatic, "なまえ：", 13, 98, 43, 8, kRightLabel},
        {IDC_MAILBOX_NAME, kEdit, "", 60, 96, 75, 14, kEditStyle},
        {IDC_MAILBOX_ENABLED, kButton, "チェックする", 140, 98, 60, 10, kCheckBox},
        {kNoId, kStatic, "POP3サーバ：", 13, 114, 43, 8, kRightLabel},
        {kNoId, kStatic, "メール ID：", 13, 130, 43, 8, kRightLabel},
        {kNoId, kStatic, "パスワード：", 13, 146, 43, 8, kRightLabel},
        {IDC_SERVER, kEdit, "", 60, 112, 75, 14, kEditStyle},
        {IDC_USER, kEdit, "", 60, 128, 75, 14, kEditStyle},
        {IDC_PASS, kEdit, "", 60, 144, 75, 14, kPasswordEdit},
        {kNoId, kStatic, "POP3ポート(110)：", 140, 114, 58, 8, kLabel},
        {IDC_PORT, kEdit, "", 202, 112, 21, 16, kEditStyle},
        {kNoId, kStatic, "取り込む先頭行数：", 140, 130, 58, 8, kLabel},
        {IDC_HEAD_COUNT, kEdit, "", 202, 129, 21, 16, kEditStyle},
        {IDC_APOP, kButton, "APOP認証を行う", 140, 146, 64, 10, kCheckBox},
        {kNoId, kStatic, "チェック周期", 149, 53, 37, 8, kLabel},
        {IDC_TIMER_MIN, kEdit, "", 189, 51, 25, 14, kEditStyle},
        {kNoId, kStatic, "分間隔", 217, 54, 14, 8, kLabel},
        {kNoId, kStatic, "メール到着時、鳴らす音：", 15, 167, 75, 8, kLabel},
        {IDC_SOUND, kEdit, "", 92, 163, 113, 14, kEditStyle},
        {IDC_BROWSE_SOUND, kButton, "...", 208, 163, 16, 14, kButtonStyle},
        {kNoId, kStatic, "登録するメールソフト：", 14, 181, 66, 8, kLabel},
        {IDC_MAILER, kEdit, "", 92, 177, 113, 14, kEditStyle},
        {IDC_BROWSE_MAILER, kButton, "...", 208, 177, 16, 14, kButtonStyle},
        {kNoId, kButton, "そのほかのせってい", 7, 200, 224, 62, kGroupBox},
        {kNoId, kStatic, "応答待ち（秒）：", 13, 214, 65, 8, kLabel},
        {IDC_TIMEOUT_SEC, kEdit, "", 80, 212, 25, 14, kEditStyle},
        {kNoId, kStatic, "暗号化：", 120, 214, 38, 8, kLabel},
        {IDC_SSL_MODE, kComboBox, "", 160, 212, 64, 60, kDropDownList},
        {IDC_NEW_MAIL_SOUND_ONLY, kButton, "新着メールだけ音を鳴らす", 13, 230, 100, 10, kCheckBox},
        {IDC_START_WITH_WINDOWS, kButton, "Windowsといっしょに起動にゃ", 120, 230, 100, 10, kCheckBox},
        {IDC_SHOW_COUNT, kButton, "メールの数をアイコンに出す", 13, 244, 100, 10, kCheckBox},
        {IDC_NOTIFY, kButton, "新着メールをお知らせするにゃ", 120, 244, 100, 10, kCheckBox},
        // The version of the build (CMake's project version), beside the icon.
        {kNoId, kStatic, "Quorvane " QV_EXPECTED_VERSION, 42, 24, 120, 8, kLabel},
        // The chosen mailbox's login, in the right-hand column.
        {kNoId, kButton, "ログインのせってい", 238, 7, 153, 255, kGroupBox},
        {kNoId, kStatic, "ログイン方式：", 246, 21, 60, 8, kLabel},
        {IDC_AUTH, kComboBox, "", 246, 31, 139, 120, kDropDownList},
        {IDC_PROTECT_PASS, kButton, "パスワードを暗号化して保存", 246, 49, 139, 10, kCheckBox},
        {kNoId, kButton, "OAuth 2.0", 242, 64, 145, 192, kGroupBox},
        {kNoId, kStatic, "プロバイダ：", 246, 80, 46, 8, kRightLabel},
        {IDC_OAUTH_PROVIDER, kComboBox, "", 295, 78, 86, 60, kDropDownList},
        {kNoId, kStatic, "クライアントID：", 246, 98, 46, 8, kRightLabel},
        {IDC_OAUTH_CLIENT_ID, kEdit, "", 295, 96, 86, 14, kEditStyle},
        {kNoId, kStatic, "シークレット：", 246, 116, 46, 8, kRightLabel},
        {IDC_OAUTH_CLIENT_SECRET, kEdit, "", 295, 114, 86, 14, kPasswordEdit},
        {kNoId, kStatic, "カスタムのとき：", 248, 136, 100, 8, kLabel},
        {kNoId, kStatic, "認可URL：", 246, 152, 46, 8, kRightLabel},
        {IDC_OAUTH_AUTHORIZE_URL, kEdit, "", 295, 150, 86, 14, kEditStyle},
        {kNoId, kStatic, "トークンURL：", 246, 170, 46, 8, kRightLabel},
        {IDC_OAUTH_TOKEN_URL, kEdit, "", 295, 168, 86, 14, kEditStyle},
        {kNoId, kStatic, "スコープ：", 246, 188, 46, 8, kRightLabel},
        {IDC_OAUTH_SCOPE, kEdit, "", 295, 186, 86, 14, kEditStyle},
        {IDC_SIGN_IN, kButton, "サインイン", 295, 210, 86, 16, kButtonStyle},
    },
};

const ExpectedDialog kPassword = {
    IDD_PASSWORD,
    "dialog-109-password",
    "パスワードの入力　（Quorvane）",
    187,
    45,
    {
        {IDOK, kButton, "OK", 130, 7, 50, 14, kDefaultButton},
        {IDCANCEL, kButton, "中止", 130, 24, 50, 14, kButtonStyle},
        {IDC_PASSWORD, kEdit, "", 53, 15, 71, 14, kPasswordEdit},
        {kNoId, kStatic, "メールの\nパスワード", 7, 13, 42, 21, kLabel},
    },
};

const ExpectedDialog kMailInfo = {
    IDD_MAIL_INFO,
    "dialog-111-mail-info",
    "メール",
    187,
    93,
    {
        {kNoId, kStatic, "件名：", 7, 9, 18, 8, kLabel},
        {IDC_INFO_SUBJECT, kEdit, "", 47, 9, 74, 12, kInfoField},
        {kNoId, kStatic, "差出人：", 7, 29, 25, 8, kLabel},
        {IDC_INFO_FROM, kEdit, "", 47, 29, 74, 12, kInfoField},
        {kNoId, kStatic, "サイズ：", 7, 51, 24, 8, kLabel},
        {IDC_INFO_SIZE, kEdit, "", 47, 51, 74, 12, kInfoField},
        {kNoId, kStatic, "内容(先頭)：", 7, 74, 36, 8, kLabel},
        {IDC_INFO_FIRST_LINES, kEdit, "", 47, 74, 133, 12, kInfoField},
        {IDOK, kButton, "閉じる", 130, 7, 50, 14, kDefaultButton},
    },
};

const ExpectedDialog kSignIn = {
    IDD_SIGN_IN,
    "dialog-112-sign-in",
    "サインイン　（Quorvane）",
    260,
    70,
    {
        {kNoId, kStatic, "ブラウザでサインインしてにゃ…\nブラウザが開かないときは、このアドレスをブラウザに貼ってにゃ",
         7, 7, 190, 20, kLabel},
        {IDC_SIGN_IN_URL, kEdit, "", 7, 32, 246, 14, kEditStyle | ES_READONLY | ES_NOHIDESEL},
        {IDCANCEL, kButton, "やめるにゃー", 203, 50, 50, 14, kButtonStyle},
    },
};

const ExpectedDialog* const kDialogs[] = {&kSettings, &kPassword, &kMailInfo, &kSignIn};

const char* className(Class c) {
    return c == kButton ? "Button" : c == kEdit ? "Edit" : c == kComboBox ? "ComboBox" : "Static";
}

std::string windowText(HWND window) {
    char buffer[512] = {};
    const int length = GetWindowTextA(window, buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}

INT_PTR CALLBACK quietDialogProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

void pumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

class DialogResource : public testing::TestWithParam<const ExpectedDialog*> {};

TEST_P(DialogResource, TemplateHoldsTheControlsInOrder) {
    const ExpectedDialog& want = *GetParam();
    DialogTemplate got;
    ASSERT_TRUE(restest::loadDialogTemplate(GetModuleHandleA(nullptr), want.id,
                                            MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), &got));
    EXPECT_EQ(kDialogStyle, got.style);
    EXPECT_EQ(0u, got.exStyle);
    EXPECT_EQ(want.width, got.width);
    EXPECT_EQ(want.height, got.height);
    EXPECT_FALSE(got.menu.isOrdinal || !got.menu.name.empty()) << "no menu";
    EXPECT_FALSE(got.windowClass.isOrdinal || !got.windowClass.name.empty()) << "the standard dialog class";
    EXPECT_EQ(want.caption, got.caption);
    EXPECT_EQ(9, got.pointSize);
    EXPECT_EQ(kFont, got.typeface);
    ASSERT_EQ(want.items.size(), got.items.size());
    for (size_t i = 0; i < want.items.size(); ++i) {
        const ExpectedItem& w = want.items[i];
        const DialogItem& g = got.items[i];
        SCOPED_TRACE("item " + std::to_string(i));
        EXPECT_EQ(w.id, g.id);
        EXPECT_TRUE(g.windowClass.isOrdinal);
        EXPECT_EQ(w.windowClass, g.windowClass.ordinal);
        if (w.text) {
            EXPECT_FALSE(g.text.isOrdinal);
            EXPECT_EQ(w.text, g.text.name);
        } else {
            EXPECT_TRUE(g.text.isOrdinal);
            EXPECT_EQ(IDI_MAIL, g.text.ordinal);
        }
        EXPECT_EQ(w.x, g.x);
        EXPECT_EQ(w.y, g.y);
        EXPECT_EQ(w.width, g.width);
        EXPECT_EQ(w.height, g.height);
        EXPECT_EQ(w.style, g.style & ~static_cast<DWORD>(WS_GROUP));
        EXPECT_EQ(0u, g.exStyle);
    }
}

TEST_P(DialogResource, CreatedDialogShowsTheTextsAtTheirPlaces) {
    const ExpectedDialog& want = *GetParam();
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(want.id), nullptr, quietDialogProc, 0);
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(want.caption, windowText(dialog));

    RECT client;
    GetClientRect(dialog, &client);
    RECT size = {0, 0, want.width, want.height};
    MapDialogRect(dialog, &size);
    EXPECT_EQ(size.right, client.right);
    EXPECT_EQ(size.bottom, client.bottom);

    // The dialog's font is the one the template names, at 9 points.
    LOGFONTA font = {};
    ASSERT_NE(0, GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)), sizeof font, &font));
    EXPECT_STREQ(kFont, font.lfFaceName);
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(-MulDiv(9, GetDeviceCaps(screen, LOGPIXELSY), 72), font.lfHeight);
    ReleaseDC(nullptr, screen);

    // The controls are created in template order: the first child is the first item.
    size_t index = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT), ++index) {
        ASSERT_LT(index, want.items.size()) << "more controls than expected";
        const ExpectedItem& w = want.items[index];
        SCOPED_TRACE("item " + std::to_string(index));
        EXPECT_EQ(w.id, static_cast<uint16_t>(GetDlgCtrlID(child)));
        char cls[64] = {};
        GetClassNameA(child, cls, sizeof cls);
        EXPECT_EQ(0, lstrcmpiA(className(w.windowClass), cls)) << cls;
        if (w.text) {
            EXPECT_EQ(w.text, windowText(child));
        } else {
            EXPECT_NE(0, SendMessageA(child, STM_GETICON, 0, 0)) << "the icon control has its icon";
        }
        // The dialog manager converts position and size each on its own, as MapDialogRect converts each field.
        RECT expected = {w.x, w.y, w.width, w.height};
        MapDialogRect(dialog, &expected);
        RECT actual;
        GetWindowRect(child, &actual);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
        EXPECT_EQ(expected.left, actual.left);
        EXPECT_EQ(expected.top, actual.top);
        if (w.text) {  // an icon control takes the size of its icon
            EXPECT_EQ(expected.right, actual.right - actual.left);
            // A drop-down list's height in the template is that of its open list, not of the closed box.
            if (w.windowClass != kComboBox) {
                EXPECT_EQ(expected.bottom, actual.bottom - actual.top);
            }
        }
    }
    EXPECT_EQ(want.items.size(), index);

    const LRESULT defaultId = SendMessageA(dialog, DM_GETDEFID, 0, 0);
    EXPECT_EQ(DC_HASDEFID, HIWORD(defaultId));
    EXPECT_EQ(IDOK, LOWORD(defaultId));
    DestroyWindow(dialog);
}

TEST_P(DialogResource, PictureIsSaved) {
    const ExpectedDialog& want = *GetParam();
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(want.id), nullptr, quietDialogProc, 0);
    ASSERT_NE(nullptr, dialog);
    // Sample contents, so the picture shows how the fields carry text.
    const struct {
        int id;
        const char* text;
    } samples[] = {
        {IDC_SERVER, "pop.example.jp"},
        {IDC_USER, "tama"},
        {IDC_PASS, "neko"},
        {IDC_PORT, "110"},
        {IDC_HEAD_COUNT, "2"},
        {IDC_TIMER_MIN, "60"},
        {IDC_SOUND, "C:\\sound\\nyaa.wav"},
        {IDC_MAILER, ""},
        {IDC_INFO_SUBJECT, "お昼ごはんのお知らせ"},
        {IDC_INFO_FROM, "tama@example.jp"},
        {IDC_INFO_SIZE, "1536"},
        {IDC_INFO_FIRST_LINES, "今日はカリカリです。"},
        {IDC_SIGN_IN_URL, "http://127.0.0.1:50123/authorize?response_type=code&client_id=neko"},
    };
    if (want.id != IDD_PASSWORD) {
        for (const auto& sample : samples) {
            SetDlgItemTextA(dialog, sample.id, sample.text);
        }
    }
    SetWindowPos(dialog, HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    UpdateWindow(dialog);
    pumpMessages();
    EXPECT_NE("", testenv::saveWindowPicture(dialog, want.name));
    DestroyWindow(dialog);
}

INSTANTIATE_TEST_SUITE_P(Resources,
                         DialogResource,
                         testing::ValuesIn(kDialogs),
                         [](const testing::TestParamInfo<const ExpectedDialog*>& info) {
                             return "Dialog" + std::to_string(info.param->id);
                         });

// A few texts pinned by their bytes: the ideographic space 81 40, the wave dash 81 60 and the typeface.
TEST(DialogBytes, CaptionsAndFontAreShiftJis) {
    DialogTemplate settings, password;
    const WORD japanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
    ASSERT_TRUE(restest::loadDialogTemplate(GetModuleHandleA(nullptr), IDD_SETTINGS, japanese, &settings));
    ASSERT_TRUE(restest::loadDialogTemplate(GetModuleHandleA(nullptr), IDD_PASSWORD, japanese, &password));
    EXPECT_EQ("\x82\x6c\x82\x72\x20\x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e", settings.typeface);
    EXPECT_EQ("\x83\x70\x83\x58\x83\x8f\x81\x5b\x83\x68\x82\xcc\x93\xfc\x97\xcd\x81\x40\x81\x69Quorvane\x81\x6a",
              password.caption);
    EXPECT_EQ(std::string("\x82\xb9\x82\xc1\x82\xc4\x82\xa2\x81\x60\x81\x95", 12), settings.caption.substr(0, 12));
    EXPECT_EQ("\x82\xce\x81\x5b\x82\xb6\x82\xe5\x82\xf1\x81\x40\x82\xb6\x82\xe5\x82\xa4\x82\xd9\x82\xa4",
              settings.items.at(2).text.name);
}

}  // namespace
