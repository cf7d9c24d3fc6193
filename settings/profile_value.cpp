#include "settings/profile_value.h"

#include <utility>

#include "settings/profile_file.h"

namespace settings {

ProfileValue::ProfileValue(std::string path) : path(std::move(path)) {
}

ProfileValue& ProfileValue::setKey(std::string name) {
    key = std::move(name);
    return *this;
}

int ProfileValue::readInt(int defaultValue) const {
    return profile_file::readInt(path, section, key, defaultValue);
}

void ProfileValue::writeInt(int number) const {
    writeString(std::to_string(number));
}

std::string ProfileValue::readString() {
    value = profile_file::readString(path, section, key);
    return value;
}

void ProfileValue::writeString(const std::string& text) const {
    profile_file::writeString(path, section, key, text);
}

}  // namespace settings
