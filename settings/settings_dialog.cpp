#include "settings/settings_dialog.h"

#include <climits>

#include "res/resource_ids.h"
#include "settings/start_with_windows.h"

namespace settings {

namespace {

// What each "..." button fills in, and how it asks.
struct FileChoice {
    int target;
    const char* title;
    const char* filter;
    const char* defaultExtension;
};

const FileChoice kSoundChoice{IDC_SOUND, "メール到着時、鳴らす音の選択",
                              "Wave ファイル (*.wav)\0*.wav\0全てのファイル\0*.*\0", ".wav"};
const FileChoice kMailerChoice{IDC_MAILER, "登録するメールソフト",
                               "アプリケーション(*.exe;*.com;ショートカット)\0*.exe;*.com;*.lnk\0全てのファイル\0*.*\0",
                               ".exe"};

constexpr char kStartWithWindowsFailed[] =
    "Windowsといっしょに起動するせっていを、書きこめなかったにゃ…\n"
    "レジストリ (HKEY_CURRENT_USER のスタートアップ) に書きこめないみたいです\n"
    "ほかのせっていは、ちゃんと保存したにゃ";

// The start-with-Windows box is not one of the settings: it shows and changes the Run key at once, and only
// when the user changed it, so that an entry of a copy in another folder stays unless the box is touched.
void applyStartWithWindows(HWND dialog) {
    const bool wanted = IsDlgButtonChecked(dialog, IDC_START_WITH_WINDOWS) == BST_CHECKED;
    if (GetDlgItem(dialog, IDC_START_WITH_WINDOWS) == nullptr || wanted == startsWithWindows()) {
        return;
    }
    if (!setStartWithWindows(wanted)) {
        MessageBoxA(dialog, kStartWithWindowsFailed, "Quorvane", MB_ICONERROR);
    }
}

void chooseFile(HWND dialog, const FileChoice& choice) {
    std::string chosen = browseForFile(dialog, choice.title, choice.filter, choice.defaultExtension);
    if (!chosen.empty()) {
        SetDlgItemTextA(dialog, choice.target, chosen.c_str());
    }
}

}  // namespace

SettingsDialog::SettingsDialog() : messageHandlers(this), commandHandlers(this) {
    messageHandlers.Set(WM_INITDIALOG, &SettingsDialog::onInitDialog);
    messageHandlers.Set(WM_COMMAND, &SettingsDialog::onCommand);
    commandHandlers.Set(IDOK, &SettingsDialog::onOk);
    commandHandlers.Set(IDCANCEL, &SettingsDialog::onCancel);
    commandHandlers.Set(IDC_BROWSE_SOUND, &SettingsDialog::onBrowseSound);
    commandHandlers.Set(IDC_BROWSE_MAILER, &SettingsDialog::onBrowseMailer);
}

void SettingsDialog::fill(const Settings& settings, HICON big, HICON small) {
    server = settings.server;
    user = settings.user;
    pass = settings.pass;
    pop3Port = settings.pop3Port;
    timerMin = settings.timerMin;
    headCount = settings.headCount;
    playSound = settings.playSound;
    exeMail = settings.exeMail;
    apop = settings.apop;
    bigIcon = big;
    smallIcon = small;
}

Settings SettingsDialog::edited() const {
    Settings values;
    values.server = server;
    values.user = user;
    values.pass = pass;
    values.pop3Port = pop3Port;
    values.timerMin = timerMin;
    values.headCount = headCount;
    values.playSound = playSound;
    values.exeMail = exeMail;
    values.apop = apop;
    return values;
}

LRESULT SettingsDialog::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    Record record{msg, wParam, lParam, 0};
    messageHandlers.Dispatch(msg, &record);
    return record.result;
}

void SettingsDialog::onInitDialog(Record* record) {
    SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
    SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
    SetDlgItemTextA(hwnd, IDC_SERVER, server.c_str());
    SetDlgItemTextA(hwnd, IDC_USER, user.c_str());
    SetDlgItemTextA(hwnd, IDC_PASS, pass.c_str());
    SetDlgItemTextA(hwnd, IDC_SOUND, playSound.c_str());
    SetDlgItemTextA(hwnd, IDC_MAILER, exeMail.c_str());
    SetDlgItemInt(hwnd, IDC_TIMER_MIN, static_cast<UINT>(timerMin), FALSE);
    SetDlgItemInt(hwnd, IDC_PORT, static_cast<UINT>(pop3Port), FALSE);
    SetDlgItemInt(hwnd, IDC_HEAD_COUNT, static_cast<UINT>(headCount), FALSE);
    if (apop) {
        SendDlgItemMessageA(hwnd, IDC_APOP, BM_SETCHECK, BST_CHECKED, 0);
    }
    CheckDlgButton(hwnd, IDC_START_WITH_WINDOWS, startsWithWindows() ? BST_CHECKED : BST_UNCHECKED);
    record->result = 1;  // the dialog manager sets the default focus
}

void SettingsDialog::onCommand(Record* record) {
    framework::ForwardCommand(commandHandlers, record);
}

void SettingsDialog::onOk(Record*) {
    accepted = true;
    if (HWND box = GetDlgItem(hwnd, IDC_APOP)) {
        apop = (SendMessageA(box, BM_GETCHECK, 0, 0) & 1) != 0;
    }
    server = itemText(IDC_SERVER);
    user = itemText(IDC_USER);
    pass = itemText(IDC_PASS);
    playSound = itemText(IDC_SOUND);
    exeMail = itemText(IDC_MAILER);
    timerMin = itemNumber(IDC_TIMER_MIN, 60);
    pop3Port = itemNumber(IDC_PORT, 110);
    headCount = itemNumber(IDC_HEAD_COUNT, 2);
    applyStartWithWindows(hwnd);
    EndDialog(hwnd, 0);
}

void SettingsDialog::onCancel(Record*) {
    EndDialog(hwnd, 0);
}

void SettingsDialog::onBrowseSound(Record*) {
    chooseFile(hwnd, kSoundChoice);
}

void SettingsDialog::onBrowseMailer(Record*) {
    chooseFile(hwnd, kMailerChoice);
}

std::string SettingsDialog::itemText(int id) const {
    char text[260];  // at most 259 bytes are taken
    GetDlgItemTextA(hwnd, id, text, sizeof(text));
    return text;
}

int SettingsDialog::itemNumber(int id, int fallback) const {
    BOOL isNumber = FALSE;
    UINT value = GetDlgItemInt(hwnd, id, &isNumber, FALSE);
    // Beyond INT_MAX a field would turn negative: that is no number this program can use either.
    if (!isNumber || value > static_cast<UINT>(INT_MAX)) {
        return fallback;
    }
    return static_cast<int>(value);
}

}  // namespace settings
