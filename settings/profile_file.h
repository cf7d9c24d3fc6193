#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The one seam between the settings and the platform's INI ("private profile") file access. On Windows these
// are the GetPrivateProfile*/WritePrivateProfileStringA functions; elsewhere our own reader and writer that
// behave the same way. Section and key names match without regard to ASCII case. Nothing here reports failure.
namespace settings::profile_file {

// The longest value readString returns. Everything the program writes fits with room to spare: the settings
// dialog takes at most 259 bytes per field, and the scrambled password is twice as long as the password.
constexpr std::size_t kMaxStringBytes = 1023;

// The value of `key` as an integer: its leading number (sign, decimal digits or a 0x/0o/0b prefix), 0 when it
// has no leading number, and `defaultValue` when the file, section or key is missing or the value is empty.
int readInt(const std::string& path, const std::string& section, const std::string& key, int defaultValue);

// The value of `key`, without blanks around it or a pair of enclosing quotes, cut to kMaxStringBytes bytes
// (never inside a double-byte character); empty when the file, section or key is missing.
std::string readString(const std::string& path, const std::string& section, const std::string& key);

// Sets `key` to `value`, creating the file, the section and the key as needed and keeping everything else.
void writeString(const std::string& path, const std::string& section, const std::string& key, const std::string& value);

// The names of the file's sections, in its order; none when the file is missing.
std::vector<std::string> sectionNames(const std::string& path);

// Removes the section with all its keys; a file without it stays as it was.
void removeSection(const std::string& path, const std::string& section);

}  // namespace settings::profile_file
