// The list window's rows as the program keeps them: ticks by click, Space and Ctrl+A, ticks and selection moving
// with their rows through a sort, and a list of 100,000 rows.
#include "app/mail_list_window.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/list_view.h"
#include "res/resource_ids.h"
#include "tests/app/command_recorder.h"
#include "tests/app/ui_test_support.h"

namespace {

using app::MailListWindow;
namespace list_view = app::list_view;

class MailListRowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        uitest::prepareWindowing();
        MailListWindow::sortState = MailListWindow::SortState{};
    }

    void TearDown() override {
        if (window.isOpen()) {
            DestroyWindow(window.hwndRef);
        }
        uitest::drainMessages();
    }

    // `count` rows whose subjects are "s" and a distinct number in a scrambled order.
    void openScrambled(int count) {
        makeScrambled(count);
        ASSERT_TRUE(window.Show(recorder.hwndRef, &mails, 10, 10, 440, 160));
    }

    void makeScrambled(int count) {
        mails.clear();
        for (int i = 0; i < count; ++i) {
            mail::MailEntry entry;
            entry.subject = "s" + std::to_string(static_cast<long long>(i) * 7919 % count + 1000000);
            entry.size = 100 + i;
            mails.push_back(entry);
        }
    }

    HWND rows() const {
        return window.listViewHandle();
    }

    bool ticked(int row) const {
        return list_view::checkState(rows(), row) == list_view::kTicked;
    }

    std::string subject(int row) const {
        return list_view::cellText(rows(), row, 0);
    }

    void pressKey(WORD key, bool control) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] = control ? 0x80 : 0;
        SetKeyboardState(keys);
        SendMessageA(rows(), WM_KEYDOWN, key, 0);
        SendMessageA(rows(), WM_KEYUP, key, 0xC0000000);
        keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
    }

    // A left click on the row's check box, found by the control's own hit test.
    bool clickCheckBox(int row) {
        RECT bounds{};
        bounds.left = LVIR_BOUNDS;
        SendMessageA(rows(), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&bounds));
        for (int x = bounds.left; x < bounds.left + 40; ++x) {
            LVHITTESTINFO hit{};
            hit.pt = POINT{x, (bounds.top + bounds.bottom) / 2};
            if (SendMessageA(rows(), LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) == row &&
                (hit.flags & LVHT_ONITEMSTATEICON) != 0) {
                SendMessageA(rows(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(hit.pt.x, hit.pt.y));
                SendMessageA(rows(), WM_LBUTTONUP, 0, MAKELPARAM(hit.pt.x, hit.pt.y));
                return true;
            }
        }
        return false;
    }

    uitest::CommandRecorder recorder;
    mail::MailEntryList mails;
    MailListWindow window;
};

TEST_F(MailListRowsTest, AClickOnACheckBoxTicksAndClearsItWithoutSelecting) {
    openScrambled(3);
    ASSERT_TRUE(clickCheckBox(1));
    EXPECT_TRUE(ticked(1));
    EXPECT_FALSE(ticked(0));
    EXPECT_EQ(0, list_view::selectedCount(rows()));
    ASSERT_TRUE(clickCheckBox(1));
    EXPECT_FALSE(ticked(1));
}

TEST_F(MailListRowsTest, SpaceTicksTheFocusedRow) {
    openScrambled(3);
    list_view::focusRow(rows(), 2);
    pressKey(VK_SPACE, false);
    EXPECT_TRUE(ticked(2));
    pressKey(VK_SPACE, false);
    EXPECT_FALSE(ticked(2));
}

TEST_F(MailListRowsTest, ControlASelectsEveryRowAndAPlainADoesNot) {
    openScrambled(5);
    pressKey('A', false);
    EXPECT_EQ(0, list_view::selectedCount(rows()));
    pressKey('A', true);
    EXPECT_EQ(5, list_view::selectedCount(rows()));
}

TEST_F(MailListRowsTest, TypingTheStartOfASubjectMovesToItsRow) {
    openScrambled(20);
    const std::string wanted = subject(13);
    for (char typed : wanted) {
        SendMessageA(rows(), WM_CHAR, static_cast<WPARAM>(typed), 1);
    }
    const int focused = ListView_GetNextItem(rows(), -1, LVNI_FOCUSED);
    EXPECT_EQ(wanted, subject(focused));
}

TEST_F(MailListRowsTest, TicksSelectionAndFocusMoveWithTheirRowsWhenSorted) {
    openScrambled(7);
    const std::string tickedSubject = subject(2);
    const std::string selectedSubject = subject(4);
    list_view::setCheckState(rows(), 2, list_view::kTicked);
    ListView_SetItemState(rows(), 4, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);

    SendMessageA(window.hwndRef, WM_COMMAND, IDM_SORT_SUBJECT, 0);
    for (int row = 0; row < 7; ++row) {
        EXPECT_EQ(subject(row) == tickedSubject, ticked(row)) << subject(row);
        EXPECT_EQ(subject(row) == selectedSubject, list_view::isSelected(rows(), row)) << subject(row);
    }
    const int focused = ListView_GetNextItem(rows(), -1, LVNI_FOCUSED);
    EXPECT_EQ(selectedSubject, subject(focused));

    // Every row ticked by message, at once.
    list_view::setCheckState(rows(), -1, list_view::kTicked);
    EXPECT_TRUE(ticked(0) && ticked(6));
}

// 100,000 rows: selected with Ctrl+A and toggled, sorted both ways with the ticks travelling along, and marked
// for deletion. The times are printed for the README, never judged.
TEST_F(MailListRowsTest, AHundredThousandRowsTickSortAndDelete) {
    const char* rowsText = std::getenv("QV_LIST_ROWS");
    const int count = rowsText != nullptr && std::atoi(rowsText) > 0 ? std::atoi(rowsText) : 100000;
    makeScrambled(count);
    const DWORD started = GetTickCount();
    ASSERT_TRUE(window.Show(recorder.hwndRef, &mails, 10, 10, 440, 160));
    const DWORD opened = GetTickCount();
    SendMessageA(window.hwndRef, WM_COMMAND, IDM_SORT_SUBJECT, 0);
    const DWORD sorted = GetTickCount();
    ASSERT_EQ(count, list_view::rowCount(rows()));
    EXPECT_EQ("s1000000", subject(0));
    EXPECT_EQ("s" + std::to_string(1000000 + count - 1), subject(count - 1));

    pressKey('A', true);
    SendMessageA(window.hwndRef, WM_COMMAND, IDM_TOGGLE_MARKS, 0);
    const DWORD toggled = GetTickCount();
    EXPECT_EQ(count, list_view::selectedCount(rows()));
    for (int row : {0, 1, count / 2, count - 1}) {
        EXPECT_TRUE(ticked(row)) << row;
    }

    // Clear every second row, then sort the other way: the ticks go with their subjects.
    for (int row = 0; row < count; row += 2) {
        list_view::setCheckState(rows(), row, list_view::kCleared);
    }
    SendMessageA(window.hwndRef, WM_COMMAND, IDM_SORT_SUBJECT, 0);
    EXPECT_EQ("s" + std::to_string(1000000 + count - 1), subject(0));
    for (int row : {0, 1, count / 2, count - 2, count - 1}) {
        const int number = std::atoi(subject(row).c_str() + 1) - 1000000;
        EXPECT_EQ(number % 2 == 1, ticked(row)) << subject(row);
    }

    {
        uitest::DialogAnswerer answer(IDYES);
        SendMessageA(window.hwndRef, WM_COMMAND, IDM_DELETE_CHECKED, 0);
    }
    int marked = 0;
    for (const auto& entry : mails) {
        marked += entry.deleteMark ? 1 : 0;
    }
    EXPECT_EQ(count / 2, marked);
    std::printf("%d rows: opened in %lu ms, sorted by subject in %lu ms, all selected and toggled in %lu ms\n", count,
                static_cast<unsigned long>(opened - started), static_cast<unsigned long>(sorted - opened),
                static_cast<unsigned long>(toggled - sorted));
}

}  // namespace
