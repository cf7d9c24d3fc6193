#include "settings/settings_keys.h"

#include <type_traits>

#include "base/wipe.h"
#include "settings/settings_field_limits.h"

namespace settings {

namespace {

constexpr std::size_t digitsOf(int number) {
    return number < 10 ? 1 : 1 + digitsOf(number / 10);
}

}  // namespace

void copyEditedValues(const Settings& from, Settings& to) {
    if (&from == &to) {
        return;  // wiping first would lose the values
    }
    for (const Key& key : kKeys) {
        if (!editedInDialog(key)) {
            continue;
        }
        std::visit(
            [&](const auto& field) {
                if constexpr (std::is_same_v<std::decay_t<decltype(to.*field.record)>, std::string>) {
                    base::wipeString(to.*field.record);
                }
                to.*field.record = from.*field.record;
            },
            key.field);
    }
}

std::size_t fieldLength(const Key& key) {
    switch (key.form) {
        case Form::kText:
            return kFieldLimit;
        case Form::kPassword:
            return kPasswordLimit;
        case Form::kDecimal:
            return digitsOf(key.range.highest);
        default:
            return 0;
    }
}

}  // namespace settings
