#include "app/mail_sound.h"

#include <algorithm>

namespace app {

bool playsMailSound(const settings::Settings& settings, const mail::MailEntryList& mailList) {
    return playsMailSound(settings.playSound, settings.newMailSoundOnly, mailList);
}

bool playsMailSound(const std::string& sound, bool newMailSoundOnly, const mail::MailEntryList& entries) {
    if (sound.empty()) {
        return false;
    }
    return !newMailSoundOnly ||
           std::any_of(entries.begin(), entries.end(), [](const mail::MailEntry& entry) { return entry.isNew; });
}

}  // namespace app
