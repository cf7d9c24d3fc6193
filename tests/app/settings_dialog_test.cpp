#include "app/settings_dialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "res/resource_ids.h"
#include "settings/settings_field_limits.h"
#include "tests/app/dialog_fields.h"
#include "tests/framework/dialog_driver.h"
#include "tests/settings/temp_dir.h"

namespace {

using app::SettingsDialog;
using testwin::itemText;

const char kSoundPickerTitle[] = "メール到着時、鳴らす音の選択";
const char kMailerPickerTitle[] = "登録するメールソフト";

settings::Settings sampleSettings() {
    settings::Settings s;
    s.server = "pop.example.jp";
    s.user = "tama";
    s.pass = "neko-pass";
    s.pop3Port = 995;
    s.timerMin = 15;
    s.headCount = 5;
    s.playSound = "C:\\sounds\\nyan.wav";
    s.exeMail = "C:\\mail\\mailer.exe";
    s.apop = true;
    s.timeoutSec = 45;
    s.sslMode = 2;
    s.newMailSoundOnly = true;
    s.showCount = true;
    return s;
}

// Opens the dialog modally over nothing, with `atInit` run on it once it is initialised; returns Open's value.
int runDialog(SettingsDialog& dialog, const std::function<void(HWND)>& atInit) {
    testwin::DialogInitHook hook([&](HWND hwnd) {
        if (hwnd == dialog.hwndRef) {
            atInit(hwnd);
        }
    });
    return dialog.Open(true, IDD_SETTINGS, nullptr, nullptr);
}

std::string currentDirectory() {
    char path[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof(path), path);
    return path;
}

TEST(SettingsDialogTest, ShowsTheValuesAndCancelKeepsThem) {
    const settings::Settings original = sampleSettings();
    HICON big = LoadIconA(nullptr, IDI_APPLICATION);
    HICON small = LoadIconA(nullptr, IDI_INFORMATION);
    SettingsDialog dialog;
    dialog.fill(original, big, small);
    std::string server, user, pass, port, timer, lines, sound, mailer, timeout;
    LRESULT apopState = 0, newMailState = 0;
    HICON shownBig = nullptr, shownSmall = nullptr;

    EXPECT_EQ(runDialog(dialog,
                        [&](HWND hwnd) {
                            server = itemText(hwnd, IDC_SERVER);
                            user = itemText(hwnd, IDC_USER);
                            pass = itemText(hwnd, IDC_PASS);
                            port = itemText(hwnd, IDC_PORT);
                            timer = itemText(hwnd, IDC_TIMER_MIN);
                            lines = itemText(hwnd, IDC_HEAD_COUNT);
                            sound = itemText(hwnd, IDC_SOUND);
                            mailer = itemText(hwnd, IDC_MAILER);
                            timeout = itemText(hwnd, IDC_TIMEOUT_SEC);
                            apopState = SendDlgItemMessageA(hwnd, IDC_APOP, BM_GETCHECK, 0, 0);
                            newMailState = SendDlgItemMessageA(hwnd, IDC_NEW_MAIL_SOUND_ONLY, BM_GETCHECK, 0, 0);
                            shownBig = reinterpret_cast<HICON>(SendMessageA(hwnd, WM_GETICON, ICON_BIG, 0));
                            shownSmall = reinterpret_cast<HICON>(SendMessageA(hwnd, WM_GETICON, ICON_SMALL, 0));
                            // Edits made before cancelling go nowhere.
                            SetDlgItemTextA(hwnd, IDC_SERVER, "other.example.jp");
                            SetDlgItemTextA(hwnd, IDC_PORT, "110");
                            testwin::postCommand(hwnd, IDCANCEL);
                        }),
              0);
    EXPECT_EQ(server, "pop.example.jp");
    EXPECT_EQ(user, "tama");
    EXPECT_EQ(pass, "neko-pass");
    EXPECT_EQ(port, "995");
    EXPECT_EQ(timer, "15");
    EXPECT_EQ(lines, "5");
    EXPECT_EQ(sound, original.playSound);
    EXPECT_EQ(mailer, original.exeMail);
    EXPECT_EQ(timeout, "45");
    EXPECT_EQ(apopState, BST_CHECKED);
    EXPECT_EQ(newMailState, BST_CHECKED);
    EXPECT_EQ(shownBig, big);
    EXPECT_EQ(shownSmall, small);

    EXPECT_FALSE(dialog.accepted);
    settings_test::expectSameDialogFields(original, dialog.edited());
}

TEST(SettingsDialogTest, CloseBoxIsCancel) {
    SettingsDialog dialog;
    dialog.fill(sampleSettings(), nullptr, nullptr);
    EXPECT_EQ(runDialog(dialog,
                        [](HWND hwnd) {
                            SetDlgItemTextA(hwnd, IDC_USER, "changed");
                            PostMessageA(hwnd, WM_CLOSE, 0, 0);
                        }),
              0);
    EXPECT_FALSE(dialog.accepted);
    EXPECT_EQ(dialog.edited().user, "tama");
}

TEST(SettingsDialogTest, OkTakesEveryField) {
    SettingsDialog dialog;
    dialog.fill(sampleSettings(), nullptr, nullptr);
    EXPECT_EQ(runDialog(dialog,
                        [](HWND hwnd) {
                            SetDlgItemTextA(hwnd, IDC_SERVER, "127.0.0.1");
                            SetDlgItemTextA(hwnd, IDC_USER, "");
                            SetDlgItemTextA(hwnd, IDC_PASS, "ねこ");
                            SetDlgItemTextA(hwnd, IDC_PORT, "1110");
                            SetDlgItemTextA(hwnd, IDC_TIMER_MIN, "30");
                            SetDlgItemTextA(hwnd, IDC_HEAD_COUNT, "3");
                            SetDlgItemTextA(hwnd, IDC_TIMEOUT_SEC, "20");
                            SetDlgItemTextA(hwnd, IDC_SOUND, "");
                            SetDlgItemTextA(hwnd, IDC_MAILER, "C:\\ソフト\\表.exe");
                            SendDlgItemMessageA(hwnd, IDC_APOP, BM_SETCHECK, BST_UNCHECKED, 0);
                            SendDlgItemMessageA(hwnd, IDC_NEW_MAIL_SOUND_ONLY, BM_SETCHECK, BST_UNCHECKED, 0);
                            SendDlgItemMessageA(hwnd, IDC_SHOW_COUNT, BM_SETCHECK, BST_UNCHECKED, 0);
                            SendDlgItemMessageA(hwnd, IDC_NOTIFY, BM_SETCHECK, BST_CHECKED, 0);
                            testwin::postCommand(hwnd, IDOK);
                        }),
              0);
    EXPECT_TRUE(dialog.accepted);
    settings::Settings expected;
    expected.server = "127.0.0.1";
    expected.user = "";
    expected.pass = "ねこ";
    expected.pop3Port = 1110;
    expected.timerMin = 30;
    expected.headCount = 3;
    expected.playSound = "";
    expected.exeMail = "C:\\ソフト\\表.exe";
    expected.apop = false;
    expected.timeoutSec = 20;
    expected.sslMode = 2;  // as filled: the box was left alone
    expected.newMailSoundOnly = false;
    expected.showCount = false;
    expected.notify = true;
    settings_test::expectSameDialogFields(expected, dialog.edited());
}

TEST(SettingsDialogTest, NumbersThatCannotBeReadTakeTheirFallbacks) {
    struct Case {
        const char* timer;
        const char* port;
        const char* lines;
        int timerMin;
        int pop3Port;
        int headCount;
    };
    const Case cases[] = {
        {"abc", "", "-1", 60, 110, 2},
        {"1", "1", "0", 1, 1, 0},  // the lowest numbers allowed
        {"-5", "pop", "x1", 60, 110, 2},
        {"4294967296", "99999999999", "ニャ", 60, 110, 2},  // beyond 32 bits
        {"35791", "65535", "9999", 35791, 65535, 9999},     // the highest
    };
    for (const Case& c : cases) {
        SettingsDialog dialog;
        dialog.fill(sampleSettings(), nullptr, nullptr);
        runDialog(dialog, [&](HWND hwnd) {
            SetDlgItemTextA(hwnd, IDC_TIMER_MIN, c.timer);
            SetDlgItemTextA(hwnd, IDC_PORT, c.port);
            SetDlgItemTextA(hwnd, IDC_HEAD_COUNT, c.lines);
            testwin::postCommand(hwnd, IDOK);
        });
        EXPECT_TRUE(dialog.accepted) << c.timer;
        EXPECT_EQ(dialog.edited().timerMin, c.timerMin) << c.timer;
        EXPECT_EQ(dialog.edited().pop3Port, c.pop3Port) << c.port;
        EXPECT_EQ(dialog.edited().headCount, c.headCount) << c.lines;
    }
}

// Picks an entry of the encryption box as the user does: the selection, then the box's change notification.
void chooseSslMode(HWND hwnd, int mode) {
    HWND box = GetDlgItem(hwnd, IDC_SSL_MODE);
    SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(mode), 0);
    SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDC_SSL_MODE, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
}

TEST(SettingsDialogTest, TheEncryptionBoxShowsTheModeAndOffersTheMatchingPort) {
    const struct {
        int storedMode;
        const char* port;
        int chosenMode;
        int expectedPort;
    } cases[] = {
        {0, "110", 2, 995},                         // implicit TLS on the plain port: the POP3S port instead
        {2, "995", 0, 110},                         // and back
        {2, "995", 1, 110},                         // STLS runs on the plain port
        {0, "110", 1, 110},                         // STLS keeps 110
        {0, "1110", 2, 1110},                       // a port of the user's own choice stays
        {2, "2995", 0, 2995}, {-1, "110", 2, 995},  // a file's unusable value shows no choice; the one picked counts
        {-1, "110", 1, 110},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.storedMode) + " -> " + std::to_string(c.chosenMode) + " at " + c.port);
        settings::Settings stored = sampleSettings();
        stored.sslMode = c.storedMode;
        SettingsDialog dialog;
        dialog.fill(stored, nullptr, nullptr);
        LRESULT shown = -1, entries = 0;
        std::string offeredPort;
        runDialog(dialog, [&](HWND hwnd) {
            shown = SendDlgItemMessageA(hwnd, IDC_SSL_MODE, CB_GETCURSEL, 0, 0);
            entries = SendDlgItemMessageA(hwnd, IDC_SSL_MODE, CB_GETCOUNT, 0, 0);
            SetDlgItemTextA(hwnd, IDC_PORT, c.port);
            chooseSslMode(hwnd, c.chosenMode);
            offeredPort = itemText(hwnd, IDC_PORT);
            testwin::postCommand(hwnd, IDOK);
        });
        EXPECT_EQ(shown, c.storedMode);
        EXPECT_EQ(entries, 3);
        EXPECT_EQ(offeredPort, std::to_string(c.expectedPort));
        EXPECT_EQ(dialog.edited().sslMode, c.chosenMode);
        EXPECT_EQ(dialog.edited().pop3Port, c.expectedPort);
        EXPECT_EQ(dialog.edited().sslMode, c.chosenMode);
    }
}

// A file's unusable SSL value shows no choice, and OK without one keeps it unusable: it never turns into plain
// text by itself.
TEST(SettingsDialogTest, AnUnusableModeStaysUnusableUntilOneIsPicked) {
    settings::Settings stored = sampleSettings();
    stored.sslMode = settings::limits::kInvalidSslMode;
    SettingsDialog dialog;
    dialog.fill(stored, nullptr, nullptr);
    LRESULT shown = 0;
    runDialog(dialog, [&](HWND hwnd) {
        shown = SendDlgItemMessageA(hwnd, IDC_SSL_MODE, CB_GETCURSEL, 0, 0);
        testwin::postCommand(hwnd, IDOK);
    });
    EXPECT_EQ(shown, CB_ERR);
    EXPECT_TRUE(dialog.accepted);
    EXPECT_EQ(dialog.edited().sslMode, settings::limits::kInvalidSslMode);
}

TEST(SettingsDialogTest, TextsAreCutTo259Bytes) {
    const std::string longText(300, 'q');
    SettingsDialog dialog;
    dialog.fill(sampleSettings(), nullptr, nullptr);
    runDialog(dialog, [&](HWND hwnd) {
        for (int id : {IDC_SERVER, IDC_USER, IDC_PASS, IDC_SOUND, IDC_MAILER}) {
            SetDlgItemTextA(hwnd, id, longText.c_str());
        }
        testwin::postCommand(hwnd, IDOK);
    });
    const std::string cut = longText.substr(0, 259);
    EXPECT_EQ(dialog.edited().server, cut);
    EXPECT_EQ(dialog.edited().user, cut);
    EXPECT_EQ(dialog.edited().pass, cut);
    EXPECT_EQ(dialog.edited().playSound, cut);
    EXPECT_EQ(dialog.edited().exeMail, cut);
}

// A number out of its range, or a user name or password that would break a command line: the dialog says so,
// puts the focus on the field and stays open; nothing is taken.
TEST(SettingsDialogTest, RefusesWhatTheProgramCannotUse) {
    struct Case {
        int id;
        std::string text;
        const char* said;
    };
    const Case cases[] = {
        {IDC_TIMER_MIN, "0", "1 から 35791"},
        {IDC_TIMER_MIN, "35792", "1 から 35791"},
        {IDC_PORT, "0", "1 から 65535"},
        {IDC_PORT, "65536", "1 から 65535"},
        {IDC_HEAD_COUNT, "10000", "0 から 9999"},
        {IDC_TIMEOUT_SEC, "0", "1 から 3600"},
        {IDC_TIMEOUT_SEC, "3601", "1 から 3600"},
        {IDC_USER, "ta\r\nma", "改行"},
        {IDC_PASS, "secret\r\nDELE 1", "改行"},
        {IDC_PASS, "a\rb", "改行"},
        {IDC_USER, "a\nb", "改行"},
    };
    for (const Case& c : cases) {
        SettingsDialog dialog;
        dialog.fill(sampleSettings(), nullptr, nullptr);
        std::string said;
        testwin::DialogInitHook hook([&](HWND hwnd) {
            if (hwnd == dialog.hwndRef) {
                SetDlgItemTextA(hwnd, c.id, c.text.c_str());
                testwin::postCommand(hwnd, IDOK);
                return;
            }
            said = testwin::windowText(hwnd) + ":" + testwin::itemText(hwnd, 0xFFFF);
            testwin::postCommand(hwnd, IDOK);
            // The settings dialog stayed open behind the box; cancel it.
            testwin::postCommand(dialog.hwndRef, IDCANCEL);
        });
        dialog.Open(true, IDD_SETTINGS, nullptr, nullptr);
        EXPECT_FALSE(dialog.accepted) << c.text;
        EXPECT_NE(std::string::npos, said.find("Quorvane:")) << c.text;
        EXPECT_NE(std::string::npos, said.find(c.said)) << c.text << " -> " << said;
        settings_test::expectSameDialogFields(sampleSettings(), dialog.edited());
    }
}

// Each text field takes what comes back whole from the settings file; the password is stored at twice its size.
TEST(SettingsDialogTest, FieldsTakeOnlyWhatTheFileGivesBack) {
    SettingsDialog dialog;
    dialog.fill(sampleSettings(), nullptr, nullptr);
    std::vector<LRESULT> limits;
    runDialog(dialog, [&](HWND hwnd) {
        for (int id : {IDC_SERVER, IDC_USER, IDC_PASS, IDC_SOUND, IDC_MAILER}) {
            limits.push_back(SendDlgItemMessageA(hwnd, id, EM_GETLIMITTEXT, 0, 0));
        }
        testwin::postCommand(hwnd, IDCANCEL);
    });
    const LRESULT field = settings::kFieldLimit, password = settings::kPasswordLimit;
    EXPECT_EQ((std::vector<LRESULT>{field, field, password, field, field}), limits);
    EXPECT_LE(2 * settings::kPasswordLimit, settings::profile_file::kMaxStringBytes);
}

TEST(SettingsDialogTest, EveryCommandAnswersOneOtherMessagesZero) {
    SettingsDialog dialog;
    dialog.fill(sampleSettings(), nullptr, nullptr);
    LRESULT unknownCommand = -1, unknownMessage = -1;
    runDialog(dialog, [&](HWND hwnd) {
        unknownCommand = dialog.WindowProc(WM_COMMAND, 40099, 0);
        unknownMessage = dialog.WindowProc(WM_USER + 1, 0, 0);
        testwin::postCommand(hwnd, IDCANCEL);
    });
    EXPECT_EQ(unknownCommand, 1);
    EXPECT_EQ(unknownMessage, 0);
}

// The "..." buttons: the picker runs inside the dialog's loop and is answered from the hook.
class FilePickerTest : public ::testing::Test {
protected:
    // Runs the settings dialog, presses `button`, answers the picker titled `pickerTitle` with `chosen` (or
    // cancels it when empty) after moving the current directory elsewhere, then closes with OK.
    void pick(SettingsDialog& dialog, int button, const char* pickerTitle, const std::string& chosen) {
        pickerSeen = false;
        testwin::DialogInitHook hook([&](HWND hwnd) {
            if (hwnd == dialog.hwndRef) {
                testwin::postCommand(hwnd, button);
                return;
            }
            if (testwin::windowText(hwnd) != pickerTitle) {
                return;
            }
            pickerSeen = true;
            // Whatever the picker does with the current directory, the dialog must undo it.
            SetCurrentDirectoryA(elsewhere.path().string().c_str());
            if (chosen.empty()) {
                testwin::postCommand(hwnd, IDCANCEL);
            } else {
                SetDlgItemTextA(hwnd, kFileNameBox, chosen.c_str());
                testwin::postCommand(hwnd, IDOK);
            }
            // Taken by the settings dialog once the picker's loop has ended.
            testwin::postCommand(dialog.hwndRef, IDOK);
        });
        dialog.Open(true, IDD_SETTINGS, nullptr, nullptr);
    }

    // The file name box of the picker (cmb13).
    static constexpr int kFileNameBox = 0x47C;

    settings_test::TempDir start;
    settings_test::TempDir elsewhere;
    settings_test::TempDir sounds;
    bool pickerSeen = false;
};

TEST_F(FilePickerTest, ChosenSoundFillsItsFieldAndTheDirectoryStays) {
    const std::string wave = sounds.file("nyan.wav");
    settings_test::writeBytes(wave, "RIFF");
    settings_test::CurrentDirectory inStart(start.path());
    const std::string before = currentDirectory();

    SettingsDialog dialog;
    dialog.fill(sampleSettings(), nullptr, nullptr);
    pick(dialog, IDC_BROWSE_SOUND, kSoundPickerTitle, wave);
    EXPECT_TRUE(pickerSeen);
    EXPECT_TRUE(dialog.accepted);
    EXPECT_EQ(dialog.edited().playSound, wave);
    EXPECT_EQ(dialog.edited().exeMail, sampleSettings().exeMail);
    EXPECT_EQ(currentDirectory(), before);
}

TEST_F(FilePickerTest, ChosenMailerFillsItsField) {
    const std::string mailer = sounds.file("mailer.exe");
    settings_test::writeBytes(mailer, "MZ");
    settings_test::CurrentDirectory inStart(start.path());
    const std::string before = currentDirectory();

    SettingsDialog dialog;
    dialog.fill(sampleSettings(), nullptr, nullptr);
    pick(dialog, IDC_BROWSE_MAILER, kMailerPickerTitle, mailer);
    EXPECT_TRUE(pickerSeen);
    EXPECT_EQ(dialog.edited().exeMail, mailer);
    EXPECT_EQ(dialog.edited().playSound, sampleSettings().playSound);
    EXPECT_EQ(currentDirectory(), before);
}

TEST_F(FilePickerTest, CancelledPickerChangesNothing) {
    settings_test::CurrentDirectory inStart(start.path());
    const std::string before = currentDirectory();

    SettingsDialog dialog;
    dialog.fill(sampleSettings(), nullptr, nullptr);
    pick(dialog, IDC_BROWSE_SOUND, kSoundPickerTitle, "");
    EXPECT_TRUE(pickerSeen);
    EXPECT_TRUE(dialog.accepted);
    EXPECT_EQ(dialog.edited().playSound, sampleSettings().playSound);
    EXPECT_EQ(currentDirectory(), before);
}

TEST(SettingsDialogPictureTest, Picture) {
    SettingsDialog dialog;
    dialog.fill(sampleSettings(), LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_IDLE)), nullptr);
    bool saved = false;
    runDialog(dialog, [&](HWND hwnd) {
        saved = testwin::savePicture(hwnd, "settings-dialog");
        testwin::postCommand(hwnd, IDCANCEL);
    });
    EXPECT_TRUE(saved);
}

}  // namespace

namespace {

// With several mailboxes the chooser picks whose fields show: choosing keeps what was typed for the one before,
// "追加" adds one, "削除" asks and deletes the chosen one; the program's fields stay the same throughout.
TEST(SettingsDialogTest, TheChooserShowsEachMailboxAddsAndDeletesThem) {
    settings::Settings values = sampleSettings();
    settings::Settings work;
    work.server = "b.example.jp";
    work.user = "b";
    work.name = "しごと";
    settings::Settings spare;
    spare.server = "c.example.jp";
    spare.user = "c";
    spare.enabled = false;
    values.moreMailboxes = {work, spare};
    SettingsDialog dialog;
    dialog.fill(values, nullptr, nullptr);
    std::vector<std::string> seen;
    const auto choose = [](HWND hwnd, int index) {
        SendDlgItemMessageA(hwnd, IDC_MAILBOX, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDC_MAILBOX, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(hwnd, IDC_MAILBOX)));
    };
    const auto shown = [&](HWND hwnd) {
        std::string chooser;
        const auto count = SendDlgItemMessageA(hwnd, IDC_MAILBOX, CB_GETCOUNT, 0, 0);
        for (int k = 0; k < count; ++k) {
            char text[300] = "";
            SendDlgItemMessageA(hwnd, IDC_MAILBOX, CB_GETLBTEXT, static_cast<WPARAM>(k),
                                reinterpret_cast<LPARAM>(text));
            chooser +=
                std::string(text) + (k == SendDlgItemMessageA(hwnd, IDC_MAILBOX, CB_GETCURSEL, 0, 0) ? "*" : "") + ",";
        }
        seen.push_back(chooser + " " + itemText(hwnd, IDC_SERVER) + " " + itemText(hwnd, IDC_MAILBOX_NAME) + " " +
                       std::to_string(IsDlgButtonChecked(hwnd, IDC_MAILBOX_ENABLED)) + " " + itemText(hwnd, IDC_SOUND));
    };
    testwin::DialogInitHook hook([&](HWND hwnd) {
        if (hwnd != dialog.hwndRef) {
            seen.push_back("box " + itemText(hwnd, 0xFFFF));
            testwin::postCommand(hwnd, IDYES);
            return;
        }
        shown(hwnd);
        choose(hwnd, 1);
        shown(hwnd);
        SetDlgItemTextA(hwnd, IDC_SERVER, "b2.example.jp");
        choose(hwnd, 2);
        shown(hwnd);
        SendMessageA(hwnd, WM_COMMAND, IDC_DELETE_MAILBOX, 0);
        shown(hwnd);
        SendMessageA(hwnd, WM_COMMAND, IDC_ADD_MAILBOX, 0);
        SetDlgItemTextA(hwnd, IDC_SERVER, "d.example.jp");
        SetDlgItemTextA(hwnd, IDC_USER, "d");
        shown(hwnd);
        testwin::postCommand(hwnd, IDOK);
    });
    dialog.Open(true, IDD_SETTINGS, nullptr, nullptr);
    EXPECT_TRUE(dialog.accepted);
    EXPECT_EQ((std::vector<std::string>{
                  "tama@pop.example.jp*,しごと,c@c.example.jp, pop.example.jp  1 C:\\sounds\\nyan.wav",
                  "tama@pop.example.jp,しごと*,c@c.example.jp, b.example.jp しごと 1 C:\\sounds\\nyan.wav",
                  "tama@pop.example.jp,しごと,c@c.example.jp*, c.example.jp  0 C:\\sounds\\nyan.wav",
                  "box c@c.example.jp\nこのメールボックスを削除するにゃ？",
                  "tama@pop.example.jp,しごと*, b2.example.jp しごと 1 C:\\sounds\\nyan.wav",
                  "tama@pop.example.jp,しごと,あたらしいメールボックス*, d.example.jp あたらしいメールボックス 1 "
                  "C:\\sounds\\nyan.wav",
              }),
              seen);
    const settings::Settings edited = dialog.edited();
    ASSERT_EQ(3, settings::mailboxCount(edited));
    EXPECT_EQ("pop.example.jp", edited.server);
    EXPECT_EQ("b2.example.jp", edited.moreMailboxes[0].server);
    EXPECT_EQ("d.example.jp", edited.moreMailboxes[1].server);
    EXPECT_EQ("d", edited.moreMailboxes[1].user);
}

// A refusal names the mailbox when there are several, and the chooser stays on it.
TEST(SettingsDialogTest, ARefusalNamesItsMailboxAndTheChooserStays) {
    settings::Settings values = sampleSettings();
    settings::Settings work;
    work.server = "b.example.jp";
    work.user = "b";
    work.name = "しごと";
    values.moreMailboxes = {work};
    SettingsDialog dialog;
    dialog.fill(values, nullptr, nullptr);
    std::string said;
    LRESULT stayed = -1;
    testwin::DialogInitHook hook([&](HWND hwnd) {
        if (hwnd != dialog.hwndRef) {
            said = itemText(hwnd, 0xFFFF);
            testwin::postCommand(hwnd, IDOK);
            return;
        }
        SendDlgItemMessageA(hwnd, IDC_MAILBOX, CB_SETCURSEL, 1, 0);
        SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDC_MAILBOX, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(hwnd, IDC_MAILBOX)));
        SetDlgItemTextA(hwnd, IDC_PORT, "0");
        SendDlgItemMessageA(hwnd, IDC_MAILBOX, CB_SETCURSEL, 0, 0);
        SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDC_MAILBOX, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(hwnd, IDC_MAILBOX)));
        stayed = SendDlgItemMessageA(hwnd, IDC_MAILBOX, CB_GETCURSEL, 0, 0);
        testwin::postCommand(hwnd, IDCANCEL);
    });
    dialog.Open(true, IDD_SETTINGS, nullptr, nullptr);
    EXPECT_EQ("しごと\nPOP3ポートは 1 から 65535 までの数にしてほしいにゃ", said);
    EXPECT_EQ(1, stayed);
}

}  // namespace
