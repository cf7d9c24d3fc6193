#pragma once

#include "settings/profile_value.h"
#include "settings/settings.h"

namespace settings {

// The settings file beside the program (resolved against the current directory at each access) and its section.
inline constexpr char kSettingsFilePath[] = "./Quorvane.ini";
inline constexpr char kSettingsSection[] = "SETTING";

// Reads every key of settings_keys.h from [SETTING], and the mailbox keys of each further mailbox from its
// section ([Account2] to [Account16]; sections missing in between are skipped, others ignored), each in its form;
// missing keys read as their defaults, and the switches count as true only when they are exactly 1. The password is
// descrambled. Numbers outside what the program can use are settled by their key's range (a port to its default, the
// others to the nearest end); an SSL value other than 0, 1 or 2 (absent or empty is 0) reads as kInvalidSslMode.
// TrustedCert is
// "<fingerprint>@<server>:<port>"; a bare fingerprint, as older versions stored it, is bound to the file's
// SERVER and POP3_PORT, and a value whose port cannot be read is no pin.
void loadSettings(ProfileValue& profile, Settings& settings);

// Takes the values the settings dialog edits (editedInDialog) from `edited` into `record` and writes their keys
// in the table's order (the password scrambled, switches as 1 or 0; SSL only when it is 0, 1 or 2, so that a
// value the program cannot use stays as it was; NewMailSoundOnly only once it was ever on). When the server or
// the port changed, the trusted certificate is forgotten (TrustedCert emptied); otherwise the record's trusted
// certificate stays and TrustedCert is not written. Name and Enabled are written once they differ from their
// defaults. inTaskTray and passFromPrompt stay as they are; InTaskTray, X and Y are not written. The further
// mailboxes are written whole into [Account2] onwards, and the sections after the last are removed, so that
// after a deletion the numbers have no holes.
void saveSettings(ProfileValue& profile, Settings& record, const Settings& edited);

// A refresh token for the mailbox at that index, from a sign-in or handed out by the server with a renewed access
// token: into the record and, protected, into the file (OAuthRefreshToken). An empty token removes it.
void saveRefreshToken(ProfileValue& profile, Settings& settings, int mailbox, const std::string& refreshToken);

// The certificate the user chose to trust, with the server and port it was trusted for, into the record and the
// file, for the mailbox at that index (0: the first).
void saveTrustedCert(ProfileValue& profile, Settings& settings, const TrustedCertificate& pin, int mailbox = 0);

// What the check that starts now works with: the fields of the record that the keys give a check. A head count
// below 1 becomes the default in the record itself (limits::headCountForCheck), and a password typed for this check
// alone (passFromPrompt) leaves the record: only the check's copy holds it from here on. `record` is one mailbox
// (mailboxAt), `mailbox` its number, which the check puts on every entry with the mailbox's name.
mail::CheckSettings takeCheckSettings(Settings& record, int mailbox = 0);

// Writes the main window's position and the tray switch, at shutdown.
void saveWindowState(ProfileValue& profile, int x, int y, bool inTaskTray);

struct WindowPosition {
    int x = 100;
    int y = 100;
};

// The main window's saved position, (100, 100) where the file has none.
WindowPosition readWindowPosition(ProfileValue& profile);

}  // namespace settings
