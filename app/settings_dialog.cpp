#include "app/settings_dialog.h"

#include <climits>

#include "app/start_with_windows.h"
#include "base/wipe.h"
#include "res/resource_ids.h"
#include "settings/settings_field_limits.h"

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

constexpr char kLineBreakRefused[] =
    "ユーザーIDとパスワードには、改行やゼロの文字は使えないにゃ\nメールサーバに変なコマンドが届いちゃうにゃ";
// "<name>は <lowest> から <highest> までの数にしてほしいにゃ"
std::string numberRefusedText(const char* name, const settings_limits::NumberRange& range) {
    return std::string(name) + "は " + std::to_string(range.lowest) + " から " + std::to_string(range.highest) +
           " までの数にしてほしいにゃ";
}

constexpr std::size_t digitsOf(int number) {
    return number < 10 ? 1 : 1 + digitsOf(number / 10);
}

// How much each edit takes: what comes back unchanged from the settings file, and no more digits than the
// largest number allowed.
struct FieldLimit {
    int id;
    std::size_t limit;
};

const FieldLimit kFieldLimits[] = {
    {IDC_SERVER, kFieldLimit},
    {IDC_USER, kFieldLimit},
    {IDC_PASS, kPasswordLimit},
    {IDC_SOUND, kFieldLimit},
    {IDC_MAILER, kFieldLimit},
    {IDC_PORT, digitsOf(settings_limits::kPop3PortRange.highest)},
    {IDC_HEAD_COUNT, digitsOf(settings_limits::kHeadCountRange.highest)},
    {IDC_TIMER_MIN, digitsOf(settings_limits::kTimerMinRange.highest)},
    {IDC_TIMEOUT_SEC, digitsOf(settings_limits::kTimeoutSecRange.highest)},
};

// The entries of IDC_SSL_MODE, in the order of the SSL key's values.
const char* const kSslModeNames[] = {"なし", "STLS", "SSL/TLS"};
constexpr UINT kPlainPort = 110;
constexpr UINT kImplicitTlsPort = 995;
constexpr int kImplicitTlsMode = 2;
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
    commandHandlers.Set(IDC_SSL_MODE, &SettingsDialog::onSslModeChanged);
}

SettingsDialog::~SettingsDialog() {
    base::wipeString(pass);
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
    timeoutSec = settings.timeoutSec;
    sslMode = settings.sslMode;
    newMailSoundOnly = settings.newMailSoundOnly;
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
    values.timeoutSec = timeoutSec;
    values.sslMode = sslMode;
    values.newMailSoundOnly = newMailSoundOnly;
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
    SetDlgItemInt(hwnd, IDC_TIMEOUT_SEC, static_cast<UINT>(timeoutSec), FALSE);
    for (const FieldLimit& field : kFieldLimits) {
        SendDlgItemMessageA(hwnd, field.id, EM_LIMITTEXT, field.limit, 0);
    }
    if (apop) {
        SendDlgItemMessageA(hwnd, IDC_APOP, BM_SETCHECK, BST_CHECKED, 0);
    }
    for (const char* name : kSslModeNames) {
        SendDlgItemMessageA(hwnd, IDC_SSL_MODE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
    // An unusable mode from the file shows no choice at all, so that the user picks one.
    const bool usable = settings_limits::inRange(settings_limits::kSslModeRange, sslMode);
    SendDlgItemMessageA(hwnd, IDC_SSL_MODE, CB_SETCURSEL, usable ? static_cast<WPARAM>(sslMode) : WPARAM(-1), 0);
    CheckDlgButton(hwnd, IDC_START_WITH_WINDOWS, startsWithWindows() ? BST_CHECKED : BST_UNCHECKED);
    if (newMailSoundOnly) {
        SendDlgItemMessageA(hwnd, IDC_NEW_MAIL_SOUND_ONLY, BM_SETCHECK, BST_CHECKED, 0);
    }
    record->result = 1;  // the dialog manager sets the default focus
}

void SettingsDialog::onCommand(Record* record) {
    framework::ForwardCommand(commandHandlers, record);
}

void SettingsDialog::onOk(Record*) {
    std::string typedUser = itemText(IDC_USER);
    std::string typedPass = itemText(IDC_PASS);
    bool userBreaks = settings_limits::breaksCommandLine(typedUser);
    if (userBreaks || settings_limits::breaksCommandLine(typedPass)) {
        base::wipeString(typedPass);
        refuse(userBreaks ? IDC_USER : IDC_PASS, kLineBreakRefused);
        return;
    }
    int typedTimer = timerMin, typedPort = pop3Port, typedHead = headCount, typedTimeout = timeoutSec;
    if (!readNumber(IDC_TIMER_MIN, "チェック周期（分）", settings_limits::kTimerMinRange, typedTimer) ||
        !readNumber(IDC_PORT, "POP3ポート", settings_limits::kPop3PortRange, typedPort) ||
        !readNumber(IDC_HEAD_COUNT, "取り込む先頭行数", settings_limits::kHeadCountRange, typedHead) ||
        !readNumber(IDC_TIMEOUT_SEC, "応答待ち（秒）", settings_limits::kTimeoutSecRange, typedTimeout)) {
        base::wipeString(typedPass);
        return;
    }
    accepted = true;
    if (HWND box = GetDlgItem(hwnd, IDC_APOP)) {
        apop = (SendMessageA(box, BM_GETCHECK, 0, 0) & 1) != 0;
    }
    if (HWND box = GetDlgItem(hwnd, IDC_NEW_MAIL_SOUND_ONLY)) {
        newMailSoundOnly = (SendMessageA(box, BM_GETCHECK, 0, 0) & 1) != 0;
    }
    server = itemText(IDC_SERVER);
    user = typedUser;
    base::wipeString(pass);
    pass.swap(typedPass);
    playSound = itemText(IDC_SOUND);
    exeMail = itemText(IDC_MAILER);
    timerMin = typedTimer;
    pop3Port = typedPort;
    headCount = typedHead;
    timeoutSec = typedTimeout;
    // Nothing chosen (the file's value was not one the program can use): the mode stays as it was, unusable,
    // rather than turning into plain text by itself.
    LRESULT mode = SendDlgItemMessageA(hwnd, IDC_SSL_MODE, CB_GETCURSEL, 0, 0);
    if (settings_limits::inRange(settings_limits::kSslModeRange, static_cast<int>(mode))) {
        sslMode = static_cast<int>(mode);
    }
    applyStartWithWindows(hwnd);
    // The edit control's own copy goes before the dialog does.
    SetDlgItemTextA(hwnd, IDC_PASS, "");
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

void SettingsDialog::onSslModeChanged(Record* record) {
    if (HIWORD(record->wParam) != CBN_SELCHANGE) {
        return;
    }
    bool implicit = SendDlgItemMessageA(hwnd, IDC_SSL_MODE, CB_GETCURSEL, 0, 0) == kImplicitTlsMode;
    BOOL isNumber = FALSE;
    UINT port = GetDlgItemInt(hwnd, IDC_PORT, &isNumber, FALSE);
    if (!isNumber) {
        return;  // whatever was typed stays for OK to judge
    }
    if (implicit && port == kPlainPort) {
        SetDlgItemInt(hwnd, IDC_PORT, kImplicitTlsPort, FALSE);
    } else if (!implicit && port == kImplicitTlsPort) {
        SetDlgItemInt(hwnd, IDC_PORT, kPlainPort, FALSE);
    }
}

std::string SettingsDialog::itemText(int id) const {
    char text[kFieldLimit + 1];
    GetDlgItemTextA(hwnd, id, text, sizeof(text));
    std::string taken = text;
    base::wipeBytes(text, sizeof(text));  // it may have held the password
    return taken;
}

bool SettingsDialog::readNumber(int id,
                                const char* name,
                                const settings_limits::NumberRange& range,
                                int& number) const {
    if (GetDlgItem(hwnd, id) == nullptr) {
        return true;  // a template without this field keeps the value as it was
    }
    BOOL isNumber = FALSE;
    UINT value = GetDlgItemInt(hwnd, id, &isNumber, FALSE);
    // Beyond INT_MAX lies what the platform makes of a minus sign: no number either.
    if (!isNumber || value > static_cast<UINT>(INT_MAX)) {
        number = range.fallback;
        return true;
    }
    if (!settings_limits::inRange(range, static_cast<int>(value))) {
        refuse(id, numberRefusedText(name, range));
        return false;
    }
    number = static_cast<int>(value);
    return true;
}

void SettingsDialog::refuse(int id, const std::string& text) const {
    MessageBoxA(hwnd, text.c_str(), "Quorvane", MB_ICONERROR);
    HWND field = GetDlgItem(hwnd, id);
    SetFocus(field);
    SendMessageA(field, EM_SETSEL, 0, -1);
}

}  // namespace settings
