// The INI reader and writer of the POSIX build on arbitrary file contents: reading the settings keys and every
// mailbox from a fuzzed file, removing a section, and setting one key in it.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <string>

#include "fuzz/fuzz_expect.h"
#include "settings/ini_document.h"
#include "settings/profile_file.h"
#include "settings/profile_value.h"
#include "settings/settings.h"
#include "settings/settings_store.h"

namespace {

const char* const kKeys[] = {"SERVER",    "USER",       "PASS",    "POP3_PORT", "TimerMin", "HeadCount",
                             "PlaySound", "InTaskTray", "ExeMail", "APOP",      "X",        "Y"};

const std::string& filePath() {
    static const std::string path = "/tmp/quorvane-ini-fuzz-" + std::to_string(getpid()) + ".ini";
    return path;
}

void writeFile(const std::string& text) {
    std::ofstream(filePath(), std::ios::binary | std::ios::trunc) << text;
}

std::string readFile() {
    std::ifstream in(filePath(), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string section = input.ConsumeBool() ? "SETTING" : input.ConsumeRandomLengthString(12);
    const std::string newValue = input.ConsumeRandomLengthString(40);
    const std::string text = input.ConsumeRemainingBytesAsString();

    // Reading: never more than 255 bytes, never a line end or zero byte inside a value.
    writeFile(text);
    for (const char* key : kKeys) {
        const std::string value = settings::profile_file::readString(filePath(), section, key);
        FUZZ_EXPECT(value.size() <= settings::profile_file::kMaxStringBytes);
        FUZZ_EXPECT(value.find_first_of(std::string("\r\n\0", 3)) == std::string::npos);
        const int number = settings::profile_file::readInt(filePath(), section, key, -12345);
        if (value.empty()) {
            FUZZ_EXPECT(number == -12345);
        }
    }

    // The settings of every mailbox: never more than sixteen, whatever the sections say.
    settings::ProfileValue profile(filePath());
    settings::Settings loaded;
    settings::loadSettings(profile, loaded);
    FUZZ_EXPECT(settings::mailboxCount(loaded) <= settings::kMaxMailboxes);

    // A removed section is gone with every key of it, and no other section goes.
    settings::IniDocument removed(text);
    const std::size_t sections = removed.sectionNames().size();
    const bool had = removed.removeSection(section);
    for (const char* key : kKeys) {
        FUZZ_EXPECT(removed.value(section, key).empty());
    }
    FUZZ_EXPECT(removed.sectionNames().size() == (had ? sections - 1 : sections));

    // A document written back unchanged is the file byte for byte.
    FUZZ_EXPECT(settings::IniDocument(text).text() == text);

    // Setting one key to a value that one line can hold (the settings dialog's single-line fields give no line
    // ends; like the Windows functions, a line end inside a value would start a line of its own): every other
    // settings key keeps its value, and the key reads back as set unless the reader trims or unquotes it.
    if (newValue.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) {
        return 0;
    }
    const bool storable = newValue.find_first_not_of(" \t\v\f\x1a") == 0 &&
                          newValue.find_last_not_of(" \t\v\f\x1a") + 1 == newValue.size() &&
                          !(newValue.size() >= 2 && (newValue.front() == '"' || newValue.front() == '\'') &&
                            newValue.back() == newValue.front());
    if (section.find_first_of(std::string("[]\r\n\0", 5)) != std::string::npos || section.empty() ||
        section.find_first_not_of(" \t") != 0 || section.find_last_not_of(" \t") + 1 != section.size()) {
        return 0;
    }
    settings::IniDocument before(text);
    settings::IniDocument after(text);
    after.set(section, "PASS", newValue);
    const settings::IniDocument reread(after.text());
    if (storable) {
        FUZZ_EXPECT(reread.value(section, "PASS") == newValue);
    }
    for (const char* key : kKeys) {
        if (std::string(key) != "PASS") {
            FUZZ_EXPECT(reread.value(section, key) == before.value(section, key));
        }
    }

    // The same through the file functions.
    settings::profile_file::writeString(filePath(), section, "PASS", newValue);
    FUZZ_EXPECT(readFile() == after.text());
    return 0;
}
