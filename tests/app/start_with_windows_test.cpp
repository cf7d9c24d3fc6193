// Starting with Windows: the Run command's text and the start-up switch on every platform; under Wine the
// user's Run key itself, read back directly.
#include "app/start_with_windows.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include "tests/app/run_key.h"
#endif

namespace {

using app::isStartupSwitch;
using app::runCommand;
using app::runCommandStarts;

// The command's text, after checking that it ends in the one zero the registry stores.
std::wstring text(const std::vector<wchar_t>& command) {
    EXPECT_FALSE(command.empty());
    if (command.empty()) {
        return std::wstring();
    }
    EXPECT_EQ(L'\0', command.back());
    return std::wstring(command.data(), command.size() - 1);
}

TEST(StartWithWindows, RunCommandQuotesThePathAndAddsTheSwitch) {
    EXPECT_EQ(L"\"C:\\Program Files\\Quorvane\\Quorvane.exe\" /startup",
              text(runCommand(L"C:\\Program Files\\Quorvane\\Quorvane.exe")));
    EXPECT_EQ(L"\"D:\\\u30c4\u30fc\u30eb\\Quorvane.exe\" /startup",
              text(runCommand(L"D:\\\u30c4\u30fc\u30eb\\Quorvane.exe")));
}

TEST(StartWithWindows, StoredCommandStartsThisExeOnlyWhenItNamesIt) {
    const std::wstring exe = L"C:\\Tools\\Quorvane\\Quorvane.exe";
    const struct {
        const wchar_t* stored;
        bool starts;
    } cases[] = {
        {L"\"C:\\Tools\\Quorvane\\Quorvane.exe\" /startup", true},
        {L"\"c:\\tools\\QUORVANE\\quorvane.EXE\" /STARTUP", true},
        {L"  \"C:\\Tools\\Quorvane\\Quorvane.exe\" /startup  ", true},
        {L"\"C:\\Old\\Quorvane\\Quorvane.exe\" /startup", false},  // a copy in another folder
        {L"\"C:\\Tools\\Quorvane\\Quorvane.exe\"", false},         // no switch: it would read another folder's INI
        {L"C:\\Tools\\Quorvane\\Quorvane.exe /startup", false},    // unquoted
        {L"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.starts, runCommandStarts(c.stored, exe)) << std::string(c.stored, c.stored + wcslen(c.stored));
    }
    EXPECT_FALSE(runCommandStarts(text(runCommand(L"")), L"")) << "no exe path, no match";
    // Property: whatever the path, the command made for it starts it, and starts no other path.
    for (const std::wstring path : {L"C:\\a.exe", L"\\\\server\\share\\q.exe", L"E:\\\u732b\\Quorvane.exe"}) {
        EXPECT_TRUE(runCommandStarts(text(runCommand(path)), path));
        EXPECT_FALSE(runCommandStarts(text(runCommand(path + L"x")), path));
    }
}

TEST(StartWithWindows, OnlyTheStartupSwitchCounts) {
    const struct {
        const char* arguments;
        bool isSwitch;
    } cases[] = {
        {"/startup", true}, {"/STARTUP", true}, {" /startup \r\n", true}, {"", false},
        {"/start", false},  {"startup", false}, {"/startup x", false},    {"-startup", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.isSwitch, isStartupSwitch(c.arguments)) << "[" << c.arguments << "]";
    }
}

#ifdef _WIN32
TEST(StartWithWindowsRegistry, AddsReadsBackAndRemovesTheRunValue) {
    settings_test::RunValueGuard guard;
    EXPECT_FALSE(app::startsWithWindows());

    ASSERT_TRUE(app::setStartWithWindows(true));
    ASSERT_TRUE(settings_test::readRunValue().has_value());
    EXPECT_EQ(L"\"" + settings_test::thisExePath() + L"\" /startup", *settings_test::readRunValue());
    EXPECT_TRUE(app::startsWithWindows());
    ASSERT_TRUE(app::setStartWithWindows(true)) << "adding twice is fine";
    EXPECT_TRUE(app::startsWithWindows());

    ASSERT_TRUE(app::setStartWithWindows(false));
    EXPECT_FALSE(settings_test::readRunValue().has_value());
    EXPECT_FALSE(app::startsWithWindows());
    EXPECT_TRUE(app::setStartWithWindows(false)) << "removing what is not there is fine";
}

TEST(StartWithWindowsRegistry, ValueOfAnotherCopyDoesNotCount) {
    settings_test::RunValueGuard guard;
    settings_test::writeRunValue(L"\"C:\\elsewhere\\Quorvane.exe\" /startup");
    EXPECT_FALSE(app::startsWithWindows());
    settings_test::writeRunValue(L"\"" + settings_test::thisExePath() + L"\"");
    EXPECT_FALSE(app::startsWithWindows()) << "without the switch it would read the wrong folder's settings";
}

TEST(StartWithWindowsRegistry, ExeFolderBecomesTheCurrentOne) {
    wchar_t before[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, before);
    SetCurrentDirectoryW(L"C:\\");
    ASSERT_TRUE(app::enterExeFolder());
    wchar_t now[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, now);
    const std::wstring exe = settings_test::thisExePath();
    EXPECT_EQ(exe.substr(0, exe.find_last_of(L'\\')), std::wstring(now));
    SetCurrentDirectoryW(before);
}
#endif

}  // namespace
