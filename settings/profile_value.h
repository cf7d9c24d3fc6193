#pragma once

#include <string>

namespace settings {

// The accessor through which every read and write of the settings file goes: one file, one section, the key
// chosen last. Calls chain: profile.setKey("TimerMin").readInt(60). Failures are not reported; a missing file,
// section or key reads as the default.
class ProfileValue {
public:
    explicit ProfileValue(std::string path);

    // Selects the key for the following read or write.
    ProfileValue& setKey(std::string name);

    int readInt(int defaultValue) const;
    void writeInt(int number) const;  // stored as decimal text

    // The key's text, at most 255 bytes; also kept in `value`.
    std::string readString();
    void writeString(const std::string& text) const;

    std::string path;  // INI file, as given (a relative path resolves at each access)
    std::string section = "SETTING";
    std::string key = "key";
    std::string value;  // text of the last readString
};

}  // namespace settings
