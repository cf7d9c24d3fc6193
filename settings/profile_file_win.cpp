#include "settings/profile_file.h"

#include <windows.h>

namespace settings::profile_file {

int readInt(const std::string& path, const std::string& section, const std::string& key, int defaultValue) {
    return static_cast<int>(GetPrivateProfileIntA(section.c_str(), key.c_str(), defaultValue, path.c_str()));
}

std::string readString(const std::string& path, const std::string& section, const std::string& key) {
    // Zeroed first: when a double-byte character does not fit, the call leaves the byte before its terminator
    // unwritten, and that byte must end the text rather than add garbage to it.
    char buffer[kMaxStringBytes + 1] = {};
    GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer, sizeof buffer, path.c_str());
    return buffer;
}

void writeString(const std::string& path,
                 const std::string& section,
                 const std::string& key,
                 const std::string& value) {
    WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str());
}

}  // namespace settings::profile_file
