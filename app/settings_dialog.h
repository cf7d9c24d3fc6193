#pragma once

#include <windows.h>

#include <string>

#include "framework/handler_table.h"
#include "framework/ok_cancel_dialog.h"
#include "settings/settings.h"

namespace app {

// The modal dialog (template 106) in which the user edits the mail settings. It works on its own copy of
// the values; the caller copies them back only when `accepted` is true after the dialog has ended. A chooser
// above the mailbox's fields picks the mailbox they show; "追加" adds one, "削除" deletes the chosen one after
// asking. The program-wide fields stay the same whichever is chosen.
//
// Choosing implicit TLS while the port reads 110 turns it into 995, and leaving it turns 995 back into 110.
// "サインイン" signs the chosen mailbox in with OAuth 2.0 as the dialog shows it; OK then keeps its tokens.
//
//     SettingsDialog dialog;
//     dialog.fill(settings, bigIcon, smallIcon);
//     dialog.Open(true, IDD_SETTINGS, mainWindow, nullptr);
//     if (dialog.accepted) settings::saveSettings(profile, settings, dialog.edited());
class SettingsDialog : public framework::OkCancelDialog {
public:
    SettingsDialog();

    ~SettingsDialog() override;

    // Takes the values the dialog edits (the keys of settings_keys.h that saveSettings takes from it) from the
    // record, and the title bar icons (not owned).
    void fill(const settings::Settings& settings, HICON big, HICON small);
    // The edited values in a record; the fields the dialog does not edit keep their defaults.
    settings::Settings edited() const;

    // Dispatches through the dialog's own tables only: its command handlers end the dialog.
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    bool accepted = false;  // the dialog was closed with OK
    HICON bigIcon = nullptr;
    HICON smallIcon = nullptr;

private:
    settings::Settings values;  // only the fields the dialog edits are used
    int chosen = 0;             // the mailbox the chooser shows
    bool showing = false;       // the fields are being filled from a record, not typed
    bool passTyped = false;     // the user changed the shown mailbox's password

    using Record = framework::MessageRecord;

    void onInitDialog(Record* record);
    void onCommand(Record* record);
    void onOk(Record* record);
    void onCancel(Record* record);
    void onBrowseSound(Record* record);
    void onBrowseMailer(Record* record);
    void onSslModeChanged(Record* record);
    void onMailboxChosen(Record* record);
    void onAddMailbox(Record* record);
    void onDeleteMailbox(Record* record);
    void onAuthChosen(Record* record);
    void onProviderChosen(Record* record);
    void onPassChanged(Record* record);
    void onSignIn(Record* record);

    void showFields(const settings::Settings& record, bool chosenFields);
    void fillChooser();
    bool takeChosenFields();
    bool readFields(settings::Settings& typed, bool chosenFields);
    void enableLoginFields();
    // Whether the typed OAuth fields can sign in: false (the user was told) when one is missing.
    bool oauthComplete(const settings::Settings& typed) const;
    // A refusal's text, with the mailbox's name on a first line of its own when there are several.
    std::string aboutChosen(const std::string& text) const;

    std::string itemText(int id) const;
    // The number in a field: its fallback when the text is no number; nothing (the user was told and the field
    // has the focus) when it is a number outside the range.
    bool readNumber(int id,
                    const char* name,
                    const settings::limits::NumberRange& range,
                    int& number,
                    bool chosenField) const;
    void refuse(int id, const std::string& text) const;

    framework::MessageTable<SettingsDialog> messageHandlers;
    framework::CommandTable<SettingsDialog> commandHandlers;
};

// The file picker of the "..." buttons: the chosen path, or the empty text when the picker was cancelled
// or failed. `filter` is pairs of zero-ended texts ending with an empty one. The process's current
// directory is the same afterwards as before, whatever the picker did with it.
std::string browseForFile(HWND owner, const char* title, const char* filter, const char* defaultExtension);

}  // namespace app
