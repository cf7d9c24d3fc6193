#pragma once

#include <string>

#include "mail/mail_entry.h"
#include "settings/settings.h"

namespace app {

// Whether a check that found mail plays the settings' sound: a sound file is set, and unless NewMailSoundOnly
// asks for new mail only, always; with it, only when an entry is new since the previous check.
bool playsMailSound(const settings::Settings& settings, const mail::MailEntryList& mailList);

// The same for one mailbox's sound file and entries.
bool playsMailSound(const std::string& sound, bool newMailSoundOnly, const mail::MailEntryList& entries);

}  // namespace app
