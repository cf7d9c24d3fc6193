#include "app/mail_sound.h"

#include <algorithm>

namespace app {

bool playsMailSound(const settings::Settings& settings, const mail::MailEntryList& mailList) {
    if (settings.playSound.empty()) {
        return false;
    }
    return !settings.newMailSoundOnly ||
           std::any_of(mailList.begin(), mailList.end(), [](const mail::MailEntry& entry) { return entry.isNew; });
}

}  // namespace app
