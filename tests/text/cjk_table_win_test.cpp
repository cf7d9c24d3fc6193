#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>

#include "tests/text/jis_row_one.h"
#include "text/cjk_to_sjis.h"

namespace {

struct TwoByteCharset {
    const char* name;
    UINT codePage;
    std::uint16_t (*toCp932)(unsigned char lead, unsigned char trail);
    int leastHeld;
};

bool isPrivateUse(wchar_t c) {
    return c >= 0xE000 && c <= 0xF8FF;
}

// Windows' CP932 code for one wide character, 0 when it writes its default character instead.
unsigned windowsCp932(wchar_t wide, DWORD flags) {
    char bytes[4] = {};
    BOOL usedDefault = FALSE;
    const int length = WideCharToMultiByte(932, flags, &wide, 1, bytes, sizeof bytes, nullptr, &usedDefault);
    unsigned code = 0;
    for (int i = 0; i < length; ++i) {
        code = (code << 8) | static_cast<unsigned char>(bytes[i]);
    }
    return usedDefault ? 0 : code;
}

// Every two-byte code through Windows' own code page (936, 950, 949) and on to code page 932, against our tables.
// A code we hold must come out as the same CP932 character (default flags, as for the Unicode table). A code we
// write as "〓" must be one Windows cannot write in CP932 without a best-fit look-alike, or one it reads as a
// private-use character (the user-defined areas): CP932 has private-use codes too, but they are another font's
// glyphs, not the sender's.
//
// One known difference: Big5 C6A1-C7FC. Python's cp950 reads them as the common extension's kana, Cyrillic and
// symbols, which we keep; Windows' code page 950 counts them in the user-defined area (private use). And the marks
// that the conversion from Unicode reads at their JIS place are read there from these charsets too.
TEST(CjkTablesOnWindows, AgreeWithMultiByteToWideCharThenWideCharToMultiByte) {
    const TwoByteCharset charsets[] = {
        {"GBK", 936, text::gbkPairToCp932, 7000},
        {"Big5", 950, text::big5PairToCp932, 6000},
        {"EUC-KR", 949, text::eucKrPairToCp932, 4700},
    };
    for (const TwoByteCharset& charset : charsets) {
        int held = 0;
        int differing = 0;
        for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
            for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
                const unsigned ours =
                    charset.toCp932(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail));
                const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                wchar_t wide[2] = {};
                const bool read = MultiByteToWideChar(charset.codePage, MB_ERR_INVALID_CHARS, pair, 2, wide, 2) == 1;
                const unsigned code = (lead << 8) | trail;
                const bool extension = charset.codePage == 950 && code >= 0xC6A1 && code <= 0xC7FC;
                bool agrees = true;
                if (read && testjis::jisPlaceOf(wide[0]) != 0) {
                    agrees = ours == testjis::jisPlaceOf(wide[0]);
                } else if (ours != 0) {
                    ++held;
                    agrees = extension ? read && isPrivateUse(wide[0]) : read && windowsCp932(wide[0], 0) == ours;
                } else if (read && !isPrivateUse(wide[0])) {
                    agrees = windowsCp932(wide[0], WC_NO_BEST_FIT_CHARS) == 0;
                }
                if (!agrees) {
                    ADD_FAILURE() << charset.name << std::hex << " code " << code << ": ours " << ours << ", Windows U+"
                                  << (read ? unsigned(wide[0]) : 0u) << " to "
                                  << (read ? windowsCp932(wide[0], 0) : 0u);
                    if (++differing > 20) {
                        return;
                    }
                }
            }
        }
        EXPECT_GT(held, charset.leastHeld) << charset.name;
    }
}

}  // namespace
