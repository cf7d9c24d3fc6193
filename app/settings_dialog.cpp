#include "app/settings_dialog.h"

#include <climits>
#include <ctime>
#include <optional>
#include <type_traits>
#include <variant>

#include "app/sign_in_dialog.h"
#include "app/start_with_windows.h"
#include "base/ascii.h"
#include "base/wipe.h"
#include "mail/auth_method.h"
#include "oauth/oauth_provider.h"
#include "res/resource_ids.h"
#include "settings/settings_field_limits.h"
#include "settings/settings_keys.h"

namespace app {

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
std::string numberRefusedText(const char* name, const settings::limits::NumberRange& range) {
    return std::string(name) + "は " + std::to_string(range.lowest) + " から " + std::to_string(range.highest) +
           " までの数にしてほしいにゃ";
}

// The controls of the keys the dialog edits, in the order OK judges them. The SSL key has its box of its own.
struct Control {
    int id;
    const settings::Key& key;
    const char* name;  // numbers: the field's name in the refusal
    bool oneLine;      // texts sent in a POP3 command: no line breaks
    bool chosen;       // a field of the mailbox the chooser shows; the others are the program's
};

constexpr Control kControls[] = {
    {IDC_SERVER, settings::keyNamed("SERVER"), nullptr, false, true},
    {IDC_USER, settings::keyNamed("USER"), nullptr, true, true},
    {IDC_PASS, settings::keyNamed("PASS"), nullptr, true, true},
    {IDC_SOUND, settings::keyNamed("PlaySound"), nullptr, false, false},
    {IDC_MAILER, settings::keyNamed("ExeMail"), nullptr, false, false},
    {IDC_TIMER_MIN, settings::keyNamed("TimerMin"), "チェック周期（分）", false, false},
    {IDC_PORT, settings::keyNamed("POP3_PORT"), "POP3ポート", false, true},
    {IDC_HEAD_COUNT, settings::keyNamed("HeadCount"), "取り込む先頭行数", false, true},
    {IDC_TIMEOUT_SEC, settings::keyNamed("TimeoutSec"), "応答待ち（秒）", false, true},
    {IDC_APOP, settings::keyNamed("APOP"), nullptr, false, true},
    {IDC_NEW_MAIL_SOUND_ONLY, settings::keyNamed("NewMailSoundOnly"), nullptr, false, false},
    {IDC_SHOW_COUNT, settings::keyNamed("ShowCount"), nullptr, false, false},
    {IDC_NOTIFY, settings::keyNamed("Notify"), nullptr, false, false},
    {IDC_MAILBOX_NAME, settings::keyNamed("Name"), nullptr, false, true},
    {IDC_MAILBOX_ENABLED, settings::keyNamed("Enabled"), nullptr, false, true},
    {IDC_PROTECT_PASS, settings::keyNamed("PassProtected"), nullptr, false, true},
    {IDC_OAUTH_CLIENT_ID, settings::keyNamed("OAuthClientId"), nullptr, false, true},
    {IDC_OAUTH_CLIENT_SECRET, settings::keyNamed("OAuthClientSecret"), nullptr, false, true},
    {IDC_OAUTH_AUTHORIZE_URL, settings::keyNamed("OAuthAuthorizeUrl"), nullptr, false, true},
    {IDC_OAUTH_TOKEN_URL, settings::keyNamed("OAuthTokenUrl"), nullptr, false, true},
    {IDC_OAUTH_SCOPE, settings::keyNamed("OAuthScope"), nullptr, false, true},
};

// The fields of the chosen mailbox, from one record into another.
void copyChosenFields(const settings::Settings& from, settings::Settings& to) {
    for (const Control& control : kControls) {
        if (!control.chosen) {
            continue;
        }
        std::visit(
            [&](const auto& field) {
                if constexpr (std::is_same_v<std::decay_t<decltype(to.*field.record)>, std::string>) {
                    base::wipeString(to.*field.record);
                }
                to.*field.record = from.*field.record;
            },
            control.key.field);
    }
    to.sslMode = from.sslMode;
    to.auth = from.auth;
    to.oauthProvider = from.oauthProvider;
}

bool isText(const settings::Key& key) {
    return key.form == settings::Form::kText || key.form == settings::Form::kPassword;
}

// The entries of IDC_AUTH, in the order of mail::AuthMethod.
const char* const kAuthNames[] = {
    "いつもの（APOPの設定どおり）", "自動", "USER/PASS", "APOP", "PLAIN", "CRAM-MD5", "SCRAM-SHA-256", "OAuth 2.0"};
constexpr int kOAuth2Entry = static_cast<int>(mail::AuthMethod::OAuth2);

// The entries of IDC_OAUTH_PROVIDER and the OAuthProvider values they stand for; any other value is a custom one.
struct ProviderEntry {
    const char* shown;
    const char* value;
};
const ProviderEntry kProviders[] = {{"Microsoft", "microsoft"}, {"Google", "google"}, {"カスタム", "custom"}};
constexpr int kCustomEntry = 2;
constexpr int kGoogleEntry = 1;

int providerEntry(const std::string& value) {
    for (int k = 0; k < kCustomEntry; ++k) {
        if (base::equalsNoCase(value, kProviders[k].value)) {
            return k;
        }
    }
    return kCustomEntry;
}

constexpr char kNoClientIdRefused[] =
    "OAuth 2.0 には、クライアントIDがいるにゃ\nアプリを登録したときにもらったIDを入れてにゃ";
constexpr char kNoClientSecretRefused[] =
    "Google には、クライアントシークレットもいるにゃ\nクライアントIDといっしょにもらったものを入れてにゃ";
constexpr char kNoEndpointRefused[] = "カスタムのプロバイダには、認可URLとトークンURLがいるにゃ";
constexpr char kSignedIn[] = "サインインできたにゃ！";

void wipeTexts(settings::Settings& record) {
    for (const Control& control : kControls) {
        if (isText(control.key)) {
            base::wipeString(settings::fieldOf<std::string>(record, control.key));
        }
    }
    settings::wipePasswords(record);
}

constexpr char kMailboxDeleteQuestion[] = "このメールボックスを削除するにゃ？";
constexpr char kNewMailboxName[] = "あたらしいメールボックス";

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
    commandHandlers.Set(IDC_MAILBOX, &SettingsDialog::onMailboxChosen);
    commandHandlers.Set(IDC_ADD_MAILBOX, &SettingsDialog::onAddMailbox);
    commandHandlers.Set(IDC_DELETE_MAILBOX, &SettingsDialog::onDeleteMailbox);
    commandHandlers.Set(IDC_AUTH, &SettingsDialog::onAuthChosen);
    commandHandlers.Set(IDC_OAUTH_PROVIDER, &SettingsDialog::onProviderChosen);
    commandHandlers.Set(IDC_PASS, &SettingsDialog::onPassChanged);
    commandHandlers.Set(IDC_SIGN_IN, &SettingsDialog::onSignIn);
}

SettingsDialog::~SettingsDialog() {
    wipeTexts(values);
}

void SettingsDialog::fill(const settings::Settings& settings, HICON big, HICON small) {
    settings::copyEditedValues(settings, values);
    bigIcon = big;
    smallIcon = small;
}

settings::Settings SettingsDialog::edited() const {
    settings::Settings edited;
    settings::copyEditedValues(values, edited);
    // The first mailbox's tokens from a sign-in here are no keys the dialog edits: they come along by hand.
    if (values.signedInHere) {
        edited.refreshToken = values.refreshToken;
        edited.accessToken = values.accessToken;
        edited.accessExpiresAt = values.accessExpiresAt;
        edited.signedInHere = true;
    }
    return edited;
}

LRESULT SettingsDialog::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    Record record{msg, wParam, lParam, 0};
    messageHandlers.Dispatch(msg, &record);
    return record.result;
}

void SettingsDialog::onInitDialog(Record* record) {
    SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
    SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
    for (const Control& control : kControls) {
        if (std::size_t length = settings::fieldLength(control.key)) {
            SendDlgItemMessageA(hwnd, control.id, EM_LIMITTEXT, length, 0);
        }
    }
    for (const char* name : kSslModeNames) {
        SendDlgItemMessageA(hwnd, IDC_SSL_MODE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
    for (const char* name : kAuthNames) {
        SendDlgItemMessageA(hwnd, IDC_AUTH, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
    for (const ProviderEntry& provider : kProviders) {
        SendDlgItemMessageA(hwnd, IDC_OAUTH_PROVIDER, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(provider.shown));
    }
    chosen = 0;
    showFields(values, false);
    showFields(values, true);
    fillChooser();
    CheckDlgButton(hwnd, IDC_START_WITH_WINDOWS, startsWithWindows() ? BST_CHECKED : BST_UNCHECKED);
    record->result = 1;  // the dialog manager sets the default focus
}

void SettingsDialog::showFields(const settings::Settings& record, bool chosenFields) {
    // The texts set here are no typing of the user's.
    showing = true;
    for (const Control& control : kControls) {
        if (control.chosen != chosenFields) {
            continue;
        }
        const settings::Key& key = control.key;
        if (isText(key)) {
            SetDlgItemTextA(hwnd, control.id, settings::fieldOf<std::string>(record, key).c_str());
        } else if (key.form == settings::Form::kDecimal) {
            SetDlgItemInt(hwnd, control.id, static_cast<UINT>(settings::fieldOf<int>(record, key)), FALSE);
        } else {
            SendDlgItemMessageA(hwnd, control.id, BM_SETCHECK,
                                settings::fieldOf<bool>(record, key) ? BST_CHECKED : BST_UNCHECKED, 0);
        }
    }
    if (chosenFields) {
        // An unusable mode from the file shows no choice at all, so that the user picks one.
        const bool usable = settings::limits::inRange(settings::limits::kSslModeRange, record.sslMode);
        SendDlgItemMessageA(hwnd, IDC_SSL_MODE, CB_SETCURSEL, usable ? static_cast<WPARAM>(record.sslMode) : WPARAM(-1),
                            0);
        // Likewise an Auth value no method has.
        const mail::AuthMethod method = mail::authMethodOfKey(record.auth);
        SendDlgItemMessageA(hwnd, IDC_AUTH, CB_SETCURSEL,
                            method == mail::AuthMethod::Unknown ? WPARAM(-1) : static_cast<WPARAM>(method), 0);
        SendDlgItemMessageA(hwnd, IDC_OAUTH_PROVIDER, CB_SETCURSEL,
                            static_cast<WPARAM>(providerEntry(record.oauthProvider)), 0);
        passTyped = false;
        enableLoginFields();
    }
    showing = false;
}

// The OAuth fields count only for OAuth 2.0, the endpoints only for a custom provider, and the protected
// password only for a method that uses the password.
void SettingsDialog::enableLoginFields() {
    const bool oauth = SendDlgItemMessageA(hwnd, IDC_AUTH, CB_GETCURSEL, 0, 0) == kOAuth2Entry;
    const bool custom = SendDlgItemMessageA(hwnd, IDC_OAUTH_PROVIDER, CB_GETCURSEL, 0, 0) == kCustomEntry;
    for (int id : {IDC_OAUTH_PROVIDER, IDC_OAUTH_CLIENT_ID, IDC_OAUTH_CLIENT_SECRET, IDC_SIGN_IN}) {
        EnableWindow(GetDlgItem(hwnd, id), oauth);
    }
    for (int id : {IDC_OAUTH_AUTHORIZE_URL, IDC_OAUTH_TOKEN_URL, IDC_OAUTH_SCOPE}) {
        EnableWindow(GetDlgItem(hwnd, id), oauth && custom);
    }
    EnableWindow(GetDlgItem(hwnd, IDC_PROTECT_PASS), !oauth);
}

// The chooser lists every mailbox by its name; the last one cannot be deleted.
void SettingsDialog::fillChooser() {
    HWND chooser = GetDlgItem(hwnd, IDC_MAILBOX);
    if (chooser == nullptr) {
        return;
    }
    SendMessageA(chooser, CB_RESETCONTENT, 0, 0);
    for (int k = 0; k < settings::mailboxCount(values); ++k) {
        const std::string name = settings::mailboxName(settings::mailboxAt(values, k));
        SendMessageA(chooser, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    SendMessageA(chooser, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
    EnableWindow(GetDlgItem(hwnd, IDC_DELETE_MAILBOX), settings::mailboxCount(values) > 1);
    EnableWindow(GetDlgItem(hwnd, IDC_ADD_MAILBOX), settings::mailboxCount(values) < settings::kMaxMailboxes);
}

// The chosen mailbox's fields as typed, judged as OK judges them, into the record; false (the user was told,
// naming the mailbox when there are several) when one is refused.
bool SettingsDialog::takeChosenFields() {
    settings::Settings typed;
    if (!readFields(typed, true)) {
        wipeTexts(typed);
        return false;
    }
    copyChosenFields(typed, settings::mailboxAt(values, chosen));
    wipeTexts(typed);
    return true;
}

void SettingsDialog::onMailboxChosen(Record* record) {
    if (HIWORD(record->wParam) != CBN_SELCHANGE) {
        return;
    }
    const int next = static_cast<int>(SendDlgItemMessageA(hwnd, IDC_MAILBOX, CB_GETCURSEL, 0, 0));
    if (next < 0 || next >= settings::mailboxCount(values) || next == chosen) {
        return;
    }
    if (!takeChosenFields()) {
        SendDlgItemMessageA(hwnd, IDC_MAILBOX, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
        return;
    }
    chosen = next;
    showFields(settings::mailboxAt(values, chosen), true);
    fillChooser();
}

void SettingsDialog::onAddMailbox(Record*) {
    if (settings::mailboxCount(values) >= settings::kMaxMailboxes || !takeChosenFields()) {
        return;
    }
    settings::Settings added;
    added.name = kNewMailboxName;
    values.moreMailboxes.push_back(added);
    chosen = settings::mailboxCount(values) - 1;
    showFields(settings::mailboxAt(values, chosen), true);
    fillChooser();
    SetFocus(GetDlgItem(hwnd, IDC_SERVER));
}

// Asks first. The mailboxes after it move up; deleting the first makes the second the first.
void SettingsDialog::onDeleteMailbox(Record*) {
    if (settings::mailboxCount(values) < 2) {
        return;
    }
    const std::string question =
        settings::mailboxName(settings::mailboxAt(values, chosen)) + "\n" + kMailboxDeleteQuestion;
    if (MessageBoxA(hwnd, question.c_str(), "Quorvane", MB_ICONQUESTION | MB_YESNO) != IDYES) {
        return;
    }
    if (chosen == 0) {
        settings::Settings& second = values.moreMailboxes.front();
        copyChosenFields(second, values);
        values.trustedCert = second.trustedCert;
        settings::wipePasswords(second);
        values.moreMailboxes.erase(values.moreMailboxes.begin());
    } else {
        settings::wipePasswords(values.moreMailboxes[static_cast<std::size_t>(chosen - 1)]);
        values.moreMailboxes.erase(values.moreMailboxes.begin() + (chosen - 1));
        --chosen;
    }
    showFields(settings::mailboxAt(values, chosen), true);
    fillChooser();
}

void SettingsDialog::onCommand(Record* record) {
    framework::ForwardCommand(commandHandlers, record);
}

// The fields of the chosen mailbox (`chosenFields`) or the program's, judged, into `typed`.
bool SettingsDialog::readFields(settings::Settings& typed, bool chosenFields) {
    const settings::Settings& shown = chosenFields ? settings::mailboxAt(values, chosen) : values;
    for (const Control& control : kControls) {
        if (control.chosen != chosenFields) {
            continue;
        }
        const settings::Key& key = control.key;
        if (isText(key)) {
            std::string& text = settings::fieldOf<std::string>(typed, key);
            text = itemText(control.id);
            if (GetDlgItem(hwnd, control.id) == nullptr) {
                text = settings::fieldOf<std::string>(shown, key);
            }
            if (control.oneLine && !base::fitsOneLine(text)) {
                refuse(control.id, aboutChosen(kLineBreakRefused));
                return false;
            }
        } else if (key.form == settings::Form::kDecimal) {
            int& number = settings::fieldOf<int>(typed, key);
            number = settings::fieldOf<int>(shown, key);
            if (!readNumber(control.id, control.name, key.range, number, chosenFields)) {
                return false;
            }
        } else {
            // A template without the box keeps the value as it was.
            HWND box = GetDlgItem(hwnd, control.id);
            settings::fieldOf<bool>(typed, key) =
                box != nullptr ? (SendMessageA(box, BM_GETCHECK, 0, 0) & 1) != 0 : settings::fieldOf<bool>(shown, key);
        }
    }
    if (chosenFields) {
        // Nothing chosen (the file's value was not one the program can use): the mode stays as it was, unusable,
        // rather than turning into plain text by itself.
        typed.sslMode = shown.sslMode;
        LRESULT mode = SendDlgItemMessageA(hwnd, IDC_SSL_MODE, CB_GETCURSEL, 0, 0);
        if (settings::limits::inRange(settings::limits::kSslModeRange, static_cast<int>(mode))) {
            typed.sslMode = static_cast<int>(mode);
        }
        typed.auth = shown.auth;
        const LRESULT method = SendDlgItemMessageA(hwnd, IDC_AUTH, CB_GETCURSEL, 0, 0);
        if (method >= 0 && method <= kOAuth2Entry) {
            typed.auth = mail::authMethodKeyValue(static_cast<mail::AuthMethod>(method));
        }
        // The file's value stays while its entry is the one chosen (empty and unknown values are custom ones).
        typed.oauthProvider = shown.oauthProvider;
        const LRESULT provider = SendDlgItemMessageA(hwnd, IDC_OAUTH_PROVIDER, CB_GETCURSEL, 0, 0);
        if (provider >= 0 && provider <= kCustomEntry && provider != providerEntry(shown.oauthProvider)) {
            typed.oauthProvider = kProviders[provider].value;
        }
        if (mail::authMethodOfKey(typed.auth) == mail::AuthMethod::OAuth2 && !oauthComplete(typed)) {
            return false;
        }
    }
    return true;
}

bool SettingsDialog::oauthComplete(const settings::Settings& typed) const {
    const int provider = providerEntry(typed.oauthProvider);
    if (typed.oauthClientId.empty()) {
        refuse(IDC_OAUTH_CLIENT_ID, aboutChosen(kNoClientIdRefused));
        return false;
    }
    if (provider == kGoogleEntry && typed.oauthClientSecret.empty()) {
        refuse(IDC_OAUTH_CLIENT_SECRET, aboutChosen(kNoClientSecretRefused));
        return false;
    }
    if (provider == kCustomEntry && (typed.oauthAuthorizeUrl.empty() || typed.oauthTokenUrl.empty())) {
        refuse(typed.oauthAuthorizeUrl.empty() ? IDC_OAUTH_AUTHORIZE_URL : IDC_OAUTH_TOKEN_URL,
               aboutChosen(kNoEndpointRefused));
        return false;
    }
    return true;
}

std::string SettingsDialog::aboutChosen(const std::string& text) const {
    if (settings::mailboxCount(values) < 2) {
        return text;
    }
    return settings::mailboxName(settings::mailboxAt(values, chosen)) + "\n" + text;
}

void SettingsDialog::onOk(Record*) {
    // Everything is judged before anything is taken.
    settings::Settings typed;
    if (!readFields(typed, false) || !readFields(typed, true)) {
        wipeTexts(typed);
        return;
    }
    accepted = true;
    settings::Settings& box = settings::mailboxAt(values, chosen);
    copyChosenFields(typed, box);
    for (const Control& control : kControls) {
        if (!control.chosen) {
            std::visit([&](const auto& field) { values.*field.record = typed.*field.record; }, control.key.field);
        }
    }
    wipeTexts(typed);
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

void SettingsDialog::onAuthChosen(Record* record) {
    if (HIWORD(record->wParam) == CBN_SELCHANGE) {
        enableLoginFields();
    }
}

// Microsoft and Google have their POP3 service at a known place: choosing one fills it in.
void SettingsDialog::onProviderChosen(Record* record) {
    if (HIWORD(record->wParam) != CBN_SELCHANGE) {
        return;
    }
    enableLoginFields();
    const LRESULT entry = SendDlgItemMessageA(hwnd, IDC_OAUTH_PROVIDER, CB_GETCURSEL, 0, 0);
    if (entry < 0 || entry >= kCustomEntry) {
        return;
    }
    if (const std::optional<oauth::Provider> known = oauth::knownProvider(kProviders[entry].value)) {
        SetDlgItemTextA(hwnd, IDC_SERVER, known->server.c_str());
        SetDlgItemInt(hwnd, IDC_PORT, static_cast<UINT>(known->port), FALSE);
        SendDlgItemMessageA(hwnd, IDC_SSL_MODE, CB_SETCURSEL, kImplicitTlsMode, 0);
    }
}

// A password the user types is kept protected unless the user says otherwise: the box is ticked once, at the
// first change, and left alone after that.
void SettingsDialog::onPassChanged(Record* record) {
    if (HIWORD(record->wParam) != EN_CHANGE || showing || passTyped) {
        return;
    }
    passTyped = true;
    CheckDlgButton(hwnd, IDC_PROTECT_PASS, BST_CHECKED);
}

// Signs in with what the dialog shows; the tokens go to the chosen mailbox and are saved with OK.
void SettingsDialog::onSignIn(Record*) {
    settings::Settings typed;
    if (!readFields(typed, true)) {
        wipeTexts(typed);
        return;
    }
    if (!oauthComplete(typed)) {
        wipeTexts(typed);
        return;
    }
    oauth::SignInRequest request;
    if (std::optional<oauth::Provider> known = oauth::knownProvider(typed.oauthProvider)) {
        request.provider = *known;
    } else {
        request.provider.authorizeUrl = typed.oauthAuthorizeUrl;
        request.provider.tokenUrl = typed.oauthTokenUrl;
        request.provider.scope = typed.oauthScope;
    }
    request.clientId = typed.oauthClientId;
    request.clientSecret = typed.oauthClientSecret;
    wipeTexts(typed);
    SignInDialog signIn;
    oauth::SignInResult result = signIn.run(hwnd, std::move(request));
    if (result.failure == oauth::SignInFailure::None) {
        settings::Settings& box = settings::mailboxAt(values, chosen);
        base::wipeString(box.refreshToken);
        base::wipeString(box.accessToken);
        box.refreshToken = result.refreshToken;
        box.accessToken = result.accessToken;
        box.accessExpiresAt = static_cast<long long>(std::time(nullptr)) + result.expiresInSeconds;
        box.signedInHere = true;
        MessageBoxA(hwnd, kSignedIn, "Quorvane", MB_ICONINFORMATION);
    } else if (const char* text = signInFailureText(result.failure)) {
        MessageBoxA(hwnd, text, "Quorvane", MB_ICONERROR);
    }
    base::wipeString(result.accessToken);
    base::wipeString(result.refreshToken);
}

std::string SettingsDialog::itemText(int id) const {
    char text[settings::kFieldLimit + 1];
    GetDlgItemTextA(hwnd, id, text, sizeof(text));
    std::string taken = text;
    base::wipeBytes(text, sizeof(text));  // it may have held the password
    return taken;
}

bool SettingsDialog::readNumber(int id,
                                const char* name,
                                const settings::limits::NumberRange& range,
                                int& number,
                                bool chosenField) const {
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
    if (!settings::limits::inRange(range, static_cast<int>(value))) {
        refuse(id, chosenField ? aboutChosen(numberRefusedText(name, range)) : numberRefusedText(name, range));
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

}  // namespace app
