#include <windows.h>

#include <gtest/gtest.h>

#include "tests/text/jis_row_one.h"
#include "text/shift_jis_writer.h"

namespace {

// The generated table against Windows' own conversion to code page 932, for every code point it holds but the
// marks read at their JIS place (checked in cp932_table_test.cpp), with Windows' default flags.
TEST(Cp932TableOnWindows, AgreesWithWideCharToMultiByte) {
    int held = 0;
    int differing = 0;
    for (unsigned cp = 0x80; cp <= 0xFFFF; ++cp) {
        const unsigned code = text::cp932FromUnicode(static_cast<char32_t>(cp));
        if (code == 0 || testjis::jisPlaceOf(cp) != 0) {
            continue;
        }
        ++held;
        const wchar_t wide = static_cast<wchar_t>(cp);
        char bytes[4] = {};
        BOOL usedDefault = FALSE;
        const int length = WideCharToMultiByte(932, 0, &wide, 1, bytes, sizeof bytes, nullptr, &usedDefault);
        unsigned windows = 0;
        for (int i = 0; i < length; ++i) {
            windows = (windows << 8) | static_cast<unsigned char>(bytes[i]);
        }
        if (usedDefault || windows != code) {
            ++differing;
            ADD_FAILURE() << std::hex << "U+" << cp << ": table " << code << ", Windows " << windows
                          << (usedDefault ? " (default character)" : "");
            if (differing > 20) {
                return;
            }
        }
    }
    EXPECT_GT(held, 9000);
}

}  // namespace
