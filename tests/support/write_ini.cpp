// Writes a Quorvane.ini through the program's own settings store, so that tests and the demo get exactly
// the file the program itself would write (the password scrambled as the program does it).
//   write_ini <path> KEY=VALUE... [SECTION/KEY=VALUE]...
// PASS is given in clear and stored scrambled; every other key is stored as given. A key without a section goes
// into [SETTING].
#include "settings/password_scramble.h"
#include "settings/profile_value.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: write_ini <path> KEY=VALUE...\n");
        return 2;
    }
    settings::ProfileValue profile(argv[1]);
    for (int i = 2; i < argc; ++i) {
        std::string pair = argv[i];
        auto equals = pair.find('=');
        if (equals == std::string::npos) {
            std::fprintf(stderr, "not KEY=VALUE: %s\n", argv[i]);
            return 2;
        }
        std::string key = pair.substr(0, equals);
        std::string value = pair.substr(equals + 1);
        const auto slash = key.find('/');
        profile.section = slash == std::string::npos ? "SETTING" : key.substr(0, slash);
        key = key.substr(slash == std::string::npos ? 0 : slash + 1);
        profile.setKey(key).writeString(key == "PASS" ? settings::encodePass(value) : value);
    }
    return 0;
}
