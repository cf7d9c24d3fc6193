#include "app/mail_info_dialog.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "framework/window_base.h"
#include "res/resource_ids.h"
#include "tests/framework/dialog_driver.h"

namespace {

using app::MailInfoDialog;
using testwin::itemText;

mail::MailEntry makeEntry(const std::string& subject,
                          const std::string& from,
                          std::int32_t size,
                          const std::string& firstLines) {
    mail::MailEntry entry;
    entry.subject = subject;
    entry.from = from;
    entry.size = size;
    entry.firstLines = firstLines;
    return entry;
}

// The selection of a field as [start, end).
std::pair<DWORD, DWORD> selection(HWND dialog, int id) {
    DWORD start = 0;
    DWORD end = 0;
    SendDlgItemMessageA(dialog, id, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {start, end};
}

class MailInfoDialogTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (dialog.hwndRef != nullptr && IsWindow(dialog.hwndRef)) {
            DestroyWindow(dialog.hwndRef);
        }
    }

    MailInfoDialog dialog;
};

TEST_F(MailInfoDialogTest, ShowFillsTheFieldsAndSelectsThem) {
    const mail::MailEntry entry =
        makeEntry("にゃんこ通信 第3号", "Tama <tama@example.jp>", 2048, "こんにちは 元気ですか ");
    dialog.SetEntry(&entry);
    ASSERT_EQ(dialog.Show(nullptr), 1);
    HWND hwnd = dialog.hwndRef;
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_EQ(dialog.Kind(), framework::WindowBase::kModelessDialog);

    EXPECT_EQ(itemText(hwnd, IDC_INFO_SUBJECT), entry.subject);
    EXPECT_EQ(itemText(hwnd, IDC_INFO_FROM), entry.from);
    EXPECT_EQ(itemText(hwnd, IDC_INFO_SIZE), "2048");
    EXPECT_EQ(itemText(hwnd, IDC_INFO_FIRST_LINES), entry.firstLines);
    for (int id : {IDC_INFO_SUBJECT, IDC_INFO_FROM, IDC_INFO_SIZE, IDC_INFO_FIRST_LINES}) {
        // Selection ends count characters, as the control holds them.
        const DWORD length = static_cast<DWORD>(GetWindowTextLengthW(GetDlgItem(hwnd, id)));
        ASSERT_GT(length, 0u) << id;
        EXPECT_EQ(selection(hwnd, id), std::make_pair(DWORD{0}, length)) << id;
    }
    EXPECT_TRUE(testwin::savePicture(hwnd, "mail-info-dialog"));
}

TEST_F(MailInfoDialogTest, SizeShowsAsUnsigned) {
    const std::pair<std::int32_t, const char*> cases[] = {
        {0, "0"},           {1, "1"}, {INT32_MAX, "2147483647"}, {INT32_MIN, "2147483648"},  // 0x80000000
        {-1, "4294967295"},
    };
    mail::MailEntry entry = makeEntry("s", "f", 0, "l");
    dialog.SetEntry(&entry);
    ASSERT_EQ(dialog.Show(nullptr), 1);
    for (const auto& c : cases) {
        entry.size = c.first;
        dialog.SetEntry(&entry);
        EXPECT_EQ(itemText(dialog.hwndRef, IDC_INFO_SIZE), c.second) << c.first;
    }
}

TEST_F(MailInfoDialogTest, SetEntryRefillsTheOpenDialogInPlace) {
    const mail::MailEntry first = makeEntry("first", "a@example.jp", 10, "one ");
    const mail::MailEntry second = makeEntry("", "b@example.jp", 20, "");
    dialog.SetEntry(&first);
    ASSERT_EQ(dialog.Show(nullptr), 1);
    HWND hwnd = dialog.hwndRef;

    dialog.SetEntry(&second);
    EXPECT_EQ(dialog.Show(nullptr), -1);  // no second dialog
    EXPECT_EQ(dialog.hwndRef, hwnd);
    EXPECT_EQ(dialog.entry, &second);
    EXPECT_EQ(itemText(hwnd, IDC_INFO_SUBJECT), "");
    EXPECT_EQ(itemText(hwnd, IDC_INFO_FROM), "b@example.jp");
    EXPECT_EQ(itemText(hwnd, IDC_INFO_SIZE), "20");
    EXPECT_EQ(itemText(hwnd, IDC_INFO_FIRST_LINES), "");
}

TEST_F(MailInfoDialogTest, ClosingForgetsTheEntryAndTheDialogOpensAgain) {
    const mail::MailEntry entry = makeEntry("subject", "from", 1, "lines ");
    // The close button and the close box (which the dialog manager turns into IDCANCEL).
    for (UINT closing : {UINT{BM_CLICK}, UINT{WM_CLOSE}}) {
        dialog.SetEntry(&entry);
        ASSERT_EQ(dialog.Show(nullptr), 1) << closing;
        HWND hwnd = dialog.hwndRef;
        if (closing == BM_CLICK) {
            SendDlgItemMessageA(hwnd, IDOK, BM_CLICK, 0, 0);
        } else {
            SendMessageA(hwnd, WM_CLOSE, 0, 0);
        }
        testwin::pumpMessages();
        EXPECT_FALSE(IsWindow(hwnd)) << closing;
        EXPECT_EQ(dialog.entry, nullptr) << closing;
    }
}

TEST_F(MailInfoDialogTest, EntryGivenWhileClosedFillsTheNextShow) {
    const mail::MailEntry entry = makeEntry("later", "from", 5, "");
    dialog.SetEntry(&entry);  // no window yet: nothing to fill
    EXPECT_EQ(dialog.hwndRef, nullptr);
    ASSERT_EQ(dialog.Show(nullptr), 1);
    EXPECT_EQ(itemText(dialog.hwndRef, IDC_INFO_SUBJECT), "later");
}

TEST_F(MailInfoDialogTest, DialogGoesWithItsParentAndForgetsTheEntry) {
    HWND parent = CreateWindowExA(0, "STATIC", "parent", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    mail::MailEntry entry = makeEntry("subject", "from", 1, "");
    dialog.SetEntry(&entry);
    ASSERT_EQ(dialog.Show(parent), 1);
    HWND hwnd = dialog.hwndRef;
    EXPECT_EQ(GetWindow(hwnd, GW_OWNER), parent);

    DestroyWindow(parent);
    EXPECT_FALSE(IsWindow(hwnd));
    // The list behind the entry may go with the window: the entry is not kept.
    EXPECT_EQ(dialog.entry, nullptr);
    EXPECT_EQ(dialog.hwndRef, nullptr);

    // Opened again without a new entry, the fields stay empty.
    ASSERT_EQ(dialog.Show(nullptr), 1);
    EXPECT_EQ(itemText(dialog.hwndRef, IDC_INFO_SUBJECT), "");
}

}  // namespace
