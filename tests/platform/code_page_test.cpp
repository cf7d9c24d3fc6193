#include <gtest/gtest.h>

#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// The program's literals are compiled to Shift_JIS; characters whose second byte is a backslash must survive.
TEST(CodePage, LiteralsAreShiftJis) {
    EXPECT_STREQ("\x83\x5C", "ソ");
    EXPECT_STREQ("\x95\x5C", "表");
    EXPECT_STREQ("\x81\x40", "　");
}

#ifdef _WIN32
// Under Wine the ANSI code page must be 932, or every narrow text of the program would be shown garbled.
TEST(CodePage, AnsiCodePageIs932) {
    EXPECT_EQ(932u, GetACP());
}
#endif

}  // namespace
