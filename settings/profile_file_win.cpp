#include "settings/profile_file.h"

#include <windows.h>

#include <algorithm>
#include <utility>

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

std::vector<std::string> sectionNames(const std::string& path) {
    // Zero-ended names one after the other, an empty one last; the buffer grows until they fit.
    std::vector<char> buffer(1024);
    for (;;) {
        DWORD got = GetPrivateProfileSectionNamesA(buffer.data(), static_cast<DWORD>(buffer.size()), path.c_str());
        if (got + 2 < buffer.size() || buffer.size() >= (1u << 20)) {
            buffer.resize(got);
            break;
        }
        buffer.resize(buffer.size() * 4);
    }
    std::vector<std::string> names;
    for (std::size_t at = 0; at < buffer.size();) {
        std::string name(buffer.data() + at);
        at += name.size() + 1;
        if (!name.empty()) {
            names.push_back(std::move(name));
        }
    }
    return names;
}

void removeSection(const std::string& path, const std::string& section) {
    // Only the first section of a name goes per call; the names say when none is left.
    for (int pass = 0; pass < 64; ++pass) {
        const std::vector<std::string> names = sectionNames(path);
        if (std::none_of(names.begin(), names.end(), [&section](const std::string& name) {
                return lstrcmpiA(name.c_str(), section.c_str()) == 0;
            })) {
            return;
        }
        WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, path.c_str());
    }
}

}  // namespace settings::profile_file
