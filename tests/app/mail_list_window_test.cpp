#include "app/mail_list_window.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "app/list_view.h"
#include "mail/check_result.h"
#include "res/resource_ids.h"
#include "tests/app/command_recorder.h"
#include "tests/app/ui_test_support.h"

namespace {

using app::MailListWindow;
namespace list_view = app::list_view;

mail::MailEntry entry(const char* subject, const char* from, int size, const char* firstLines) {
    mail::MailEntry e;
    e.subject = subject;
    e.from = from;
    e.size = size;
    e.firstLines = firstLines;
    return e;
}

class MailListWindowTest : public ::testing::Test {
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

    void open(std::vector<mail::MailEntry> entries) {
        mails.assign(entries.begin(), entries.end());
        ASSERT_TRUE(window.Show(recorder.hwndRef, &mails, 10, 10, 440, 160));
    }

    // The three entries the sort cases use: subject, sender, size and first lines each order them differently.
    void openSortable() {
        open({entry("b", "y", 300, "3"), entry("a", "z", 20, "1"), entry("c", "x", 1000, "2")});
    }

    std::string subjects() const {
        std::string order;
        for (const auto& row : window.rowViews()) {
            order += row.subject;
        }
        return order;
    }

    std::vector<bool> ticks() const {
        std::vector<bool> result;
        for (const auto& row : window.rowViews()) {
            result.push_back(row.ticked);
        }
        return result;
    }

    void select(const std::vector<int>& rows) {
        for (int row : rows) {
            ListView_SetItemState(window.listViewHandle(), row, LVIS_SELECTED, LVIS_SELECTED);
        }
    }

    void tick(const std::vector<bool>& states) {
        for (size_t row = 0; row < states.size(); ++row) {
            list_view::setCheckState(window.listViewHandle(), static_cast<int>(row),
                                     states[row] ? list_view::kTicked : list_view::kCleared);
        }
    }

    void command(int id) {
        SendMessageA(window.hwndRef, WM_COMMAND, id, 0);
    }

    void clickColumn(int column) {
        NMLISTVIEW click{};
        click.hdr.hwndFrom = window.listViewHandle();
        click.hdr.idFrom = 10;
        click.hdr.code = LVN_COLUMNCLICK;
        click.iItem = -1;
        click.iSubItem = column;
        SendMessageA(window.hwndRef, WM_NOTIFY, 10, reinterpret_cast<LPARAM>(&click));
    }

    void pressKey(WORD key) {
        SendMessageA(window.listViewHandle(), WM_KEYDOWN, key, 0);
        SendMessageA(window.listViewHandle(), WM_KEYUP, key, 0xC0000000);
    }

    uitest::CommandRecorder recorder;
    mail::MailEntryList mails;
    MailListWindow window;
};

TEST_F(MailListWindowTest, ShowsOneHiddenRowPerEntryInListOrder) {
    open({entry("件名その1", "neko@example.jp", 0, "本文 "), entry("second", "tora", 1536, "body ")});

    EXPECT_EQ("新着メール一覧 (Quorvane)", uitest::windowText(window.hwndRef));
    EXPECT_FALSE(IsWindowVisible(window.hwndRef)) << "the caller shows the window";
    auto rows = window.rowViews();
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ("件名その1", rows[0].subject);
    EXPECT_EQ("neko@example.jp", rows[0].from);
    EXPECT_EQ("不明", rows[0].size);
    EXPECT_EQ("本文 ", rows[0].firstLines);
    EXPECT_EQ("second", rows[1].subject);
    EXPECT_EQ("   1.5K", rows[1].size);
    EXPECT_EQ((std::vector<bool>{false, false}), ticks()) << "every row starts with a clear box";

    LPARAM data = 0;
    ASSERT_TRUE(list_view::rowData(window.listViewHandle(), 1, data));
    EXPECT_EQ(&mails.back(), reinterpret_cast<mail::MailEntry*>(data)) << "rows point at the entries in place";
}

TEST_F(MailListWindowTest, LongFieldsAreCutWithoutSplittingACharacter) {
    std::string ascii(200, 'a');
    std::string japanese = std::string(126, 'b') + "あい";  // a double-byte character would straddle byte 127
    open({entry(ascii.c_str(), japanese.c_str(), 1, "")});

    auto rows = window.rowViews();
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ(std::string(127, 'a'), rows[0].subject);
    EXPECT_EQ(std::string(126, 'b'), rows[0].from);
}

TEST_F(MailListWindowTest, ShowingAgainRebuildsTheRowsOverTheNewList) {
    open({entry("old1", "", 1, ""), entry("old2", "", 2, "")});
    select({0});
    tick({true, false});

    mail::MailEntryList fresh{entry("new", "", 3, "")};
    ASSERT_TRUE(window.Show(recorder.hwndRef, &fresh, 10, 10, 440, 160));

    EXPECT_EQ("new", subjects());
    EXPECT_EQ((std::vector<bool>{false}), ticks());
    window.Show(recorder.hwndRef, &mails, 10, 10, 440, 160);  // not left pointing at the local list
}

struct SortStep {
    bool byHeader;  // a click on the column header, else the menu command
    int column;
    const char* order;
};

TEST_F(MailListWindowTest, SortsByColumnTogglingTheDirectionOnTheSameColumn) {
    const int commands[] = {IDM_SORT_SUBJECT, IDM_SORT_FROM, IDM_SORT_SIZE, IDM_SORT_FIRST_LINES};
    const SortStep steps[] = {
        {true, 0, "abc"},   // subject ascending
        {true, 0, "cba"},   // the same header again: descending
        {true, 1, "cba"},   // sender ascending: x, y, z
        {false, 2, "abc"},  // size ascending: 20, 300, 1000
        {false, 2, "cba"},  // size descending
        {false, 3, "acb"},  // first lines ascending: 1, 2, 3
        {true, 3, "bca"},   // first lines descending
    };
    openSortable();
    for (const auto& step : steps) {
        if (step.byHeader) {
            clickColumn(step.column);
        } else {
            command(commands[step.column]);
        }
        EXPECT_EQ(step.order, subjects()) << "column " << step.column;
    }
    EXPECT_EQ("bac", [&] {
        std::string order;
        for (const auto& e : mails) {
            order += e.subject;
        }
        return order;
    }()) << "sorting reorders the rows only, never the list";
}

TEST_F(MailListWindowTest, SortDirectionSurvivesClosingAndReopening) {
    openSortable();
    command(IDM_SORT_SUBJECT);
    EXPECT_EQ("abc", subjects());
    command(IDM_CLOSE_LIST);
    uitest::drainMessages();
    ASSERT_FALSE(window.isOpen());

    openSortable();
    EXPECT_EQ("bac", subjects()) << "a reopened window shows the list order";
    command(IDM_SORT_SUBJECT);
    EXPECT_EQ("cba", subjects());
}

TEST_F(MailListWindowTest, SortingAnEmptyListChangesNothing) {
    open({});
    command(IDM_SORT_SIZE);
    EXPECT_EQ(-1, MailListWindow::sortState.column);
    EXPECT_EQ(1, MailListWindow::sortState.direction);
}

struct ToggleCase {
    std::vector<bool> before;
    std::vector<int> selected;
    std::vector<bool> after;
    const char* why;
};

TEST_F(MailListWindowTest, ToggleMarksSetsEverySelectedRowToTheOppositeOfTheFirst) {
    const ToggleCase cases[] = {
        {{true, false}, {0, 1}, {false, false}, "first ticked: both cleared"},
        {{false, false}, {0, 1}, {true, true}, "both clear: both ticked"},
        {{false, true, true}, {1, 2}, {false, false, false}, "the first selected row decides, not row 0"},
        {{true, false, false}, {2}, {true, false, true}, "unselected rows keep their boxes"},
        {{true, false, true}, {}, {true, false, true}, "nothing selected: nothing happens"},
    };
    for (const auto& c : cases) {
        std::vector<mail::MailEntry> entries(c.before.size(), entry("s", "f", 1, ""));
        open(entries);
        tick(c.before);
        select(c.selected);
        command(IDM_TOGGLE_MARKS);
        uitest::drainMessages();
        EXPECT_EQ(c.after, ticks()) << c.why;
        for (const auto& e : mails) {
            EXPECT_FALSE(e.deleteMark) << "ticking is not yet marking: " << c.why;
        }
    }
}

// The walk carries the whole row number: past row 65,535 it goes on, and it ends after the last row.
TEST_F(MailListWindowTest, ToggleMarksWalksPastSixteenBitsOfRows) {
    const int rowCount = 65536 + 3;
    open(std::vector<mail::MailEntry>(rowCount, entry("s", "f", 1, "")));
    const int last = rowCount - 1;
    select({last});
    command(IDM_TOGGLE_MARKS);
    // Bounded: a walk that wraps around never empties the queue.
    int handled = 0;
    MSG msg;
    while (handled < 2 * rowCount && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&msg);
        ++handled;
    }
    EXPECT_LT(handled, 2 * rowCount) << "the walk did not end";
    EXPECT_EQ(list_view::kTicked, list_view::checkState(window.listViewHandle(), last));
    EXPECT_EQ(list_view::kCleared, list_view::checkState(window.listViewHandle(), 0));
}

TEST_F(MailListWindowTest, DeleteAndBackspaceKeysToggleMarks) {
    for (WORD key : {VK_DELETE, VK_BACK}) {
        open({entry("a", "", 1, ""), entry("b", "", 2, "")});
        select({1});
        pressKey(key);
        uitest::drainMessages();
        EXPECT_EQ((std::vector<bool>{false, true}), ticks()) << "key " << key;
    }
}

TEST_F(MailListWindowTest, ConfirmedDeletionMarksTheTickedEntriesAndReportsOnClose) {
    const char* question =
        "チェックをつけたメールを削除します\nメールサーバから削除するので、もう取り込めません\nよろしいですか？\n\n"
        "(チェックをしていない場合は、ウインドを閉じるだけです)";
    open({entry("a", "", 1, ""), entry("b", "", 2, ""), entry("c", "", 3, "")});
    tick({true, false, true});
    {
        uitest::DialogAnswerer answer(IDYES);
        command(IDM_DELETE_CHECKED);
        ASSERT_EQ(1u, answer.seen().size());
        EXPECT_EQ("Quorvane", answer.seen()[0].caption);
        EXPECT_EQ(question, answer.seen()[0].text);
    }
    uitest::drainMessages();

    EXPECT_FALSE(window.isOpen());
    std::vector<bool> marks;
    for (const auto& e : mails) {
        marks.push_back(e.deleteMark);
    }
    EXPECT_EQ((std::vector<bool>{true, false, true}), marks);
    EXPECT_EQ(1, recorder.count(app::kCmdListClosed));
    EXPECT_EQ(1, recorder.lastParam(app::kCmdListClosed));
}

TEST_F(MailListWindowTest, ConfirmedDeletionWithNothingTickedOnlyCloses) {
    open({entry("a", "", 1, "")});
    {
        uitest::DialogAnswerer answer(IDYES);
        command(IDM_DELETE_CHECKED);
    }
    uitest::drainMessages();
    EXPECT_FALSE(window.isOpen());
    EXPECT_FALSE(mails.front().deleteMark);
    EXPECT_EQ(0, recorder.lastParam(app::kCmdListClosed));
}

TEST_F(MailListWindowTest, RefusedDeletionChangesNothing) {
    open({entry("a", "", 1, "")});
    tick({true});
    {
        uitest::DialogAnswerer answer(IDNO);
        command(IDM_DELETE_CHECKED);
        EXPECT_EQ(1u, answer.seen().size());
    }
    uitest::drainMessages();
    EXPECT_TRUE(window.isOpen());
    EXPECT_FALSE(mails.front().deleteMark);
    EXPECT_EQ(0, recorder.count(app::kCmdListClosed));
}

TEST_F(MailListWindowTest, DeleteCommandOnAnEmptyListAsksNothing) {
    open({});
    uitest::DialogAnswerer answer(IDYES);
    command(IDM_DELETE_CHECKED);
    EXPECT_TRUE(answer.seen().empty());
    EXPECT_TRUE(window.isOpen());
}

TEST_F(MailListWindowTest, ClosingReportsToTheMainWindow) {
    open({entry("a", "", 1, "")});
    SendMessageA(window.hwndRef, WM_CLOSE, 0, 0);
    uitest::drainMessages();
    EXPECT_FALSE(window.isOpen());
    EXPECT_EQ(nullptr, window.listViewHandle());
    EXPECT_EQ(0, recorder.lastParam(app::kCmdListClosed));
}

struct MenuCase {
    const char* mailer;  // null: no path given
    bool entries;
    bool selection;
    bool mailerEnabled;
    bool toggleEnabled;
    bool deleteEnabled;
};

TEST_F(MailListWindowTest, MenuItemsFollowMailerSelectionAndList) {
    const MenuCase cases[] = {
        {nullptr, true, false, false, false, true},
        {"", true, true, false, true, true},
        {"C:\\mailer.exe", true, true, true, true, true},
        {"C:\\mailer.exe", false, false, true, false, false},
    };
    for (const auto& c : cases) {
        std::string mailer = c.mailer != nullptr ? c.mailer : "";
        window.setMailerPath(c.mailer != nullptr ? &mailer : nullptr);
        if (c.entries) {
            open({entry("a", "", 1, "")});
        } else {
            open({});
        }
        if (c.selection) {
            select({0});
        }
        HMENU messages = GetSubMenu(GetMenu(window.hwndRef), 0);
        SendMessageA(window.hwndRef, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(messages), 0);
        auto enabled = [&](UINT id) { return (GetMenuState(messages, id, MF_BYCOMMAND) & MF_GRAYED) == 0; };
        EXPECT_EQ(c.mailerEnabled, enabled(IDM_LIST_START_MAILER));
        EXPECT_EQ(c.toggleEnabled, enabled(IDM_TOGGLE_MARKS));
        EXPECT_EQ(c.deleteEnabled, enabled(IDM_DELETE_CHECKED));
        window.setMailerPath(nullptr);
    }
}

TEST_F(MailListWindowTest, MailerItemAsksTheMainWindow) {
    open({entry("a", "", 1, "")});
    command(IDM_LIST_START_MAILER);
    uitest::drainMessages();
    EXPECT_EQ(1, recorder.count(IDM_START_MAILER));
    EXPECT_EQ(0, recorder.lastParam(IDM_START_MAILER));
}

TEST_F(MailListWindowTest, EnterShowsTheFirstSelectedMailInOneDetailsDialog) {
    open({entry("one", "a", 1, ""), entry("two", "b", 2, ""), entry("three", "c", 3, "")});
    pressKey(VK_RETURN);
    EXPECT_EQ(nullptr, window.details().hwndRef) << "no row selected: nothing opens";

    select({1, 2});
    pressKey(VK_RETURN);
    HWND details = window.details().hwndRef;
    ASSERT_NE(nullptr, details);
    EXPECT_EQ("two", uitest::windowText(GetDlgItem(details, IDC_INFO_SUBJECT)));

    ListView_SetItemState(window.listViewHandle(), -1, 0, LVIS_SELECTED);
    select({2});
    pressKey(VK_RETURN);
    EXPECT_EQ(details, window.details().hwndRef) << "the open dialog is refilled, no second one";
    EXPECT_EQ("three", uitest::windowText(GetDlgItem(details, IDC_INFO_SUBJECT)));
}

TEST_F(MailListWindowTest, RefreshingRowsAfterTheListChangedDropsEveryStaleReference) {
    open({entry("one", "a", 1, ""), entry("two", "b", 2, "")});
    select({0});
    pressKey(VK_RETURN);
    ASSERT_EQ(&mails.front(), window.details().entry);

    mails.clear();
    window.refreshRows();
    EXPECT_EQ(0u, window.rowViews().size());
    EXPECT_EQ(nullptr, window.details().entry);
    EXPECT_EQ("one", uitest::windowText(GetDlgItem(window.details().hwndRef, IDC_INFO_SUBJECT)))
        << "the texts already shown stay";

    mails.push_back(entry("new", "c", 3, ""));
    window.refreshRows();
    EXPECT_EQ("new", subjects());
}

// New mail is drawn in bold: the window answers the list view's drawing questions for each row, selecting a bold
// font into the row's device context for new entries and leaving the others to the default.
TEST_F(MailListWindowTest, NewMailRowsAreDrawnInBold) {
    open({entry("old", "a", 1, "x"), entry("new", "b", 2, "y")});
    mails.back().isNew = true;
    HDC dc = GetDC(window.listViewHandle());
    auto draw = [&](DWORD stage, const mail::MailEntry* item, LONG* weight) {
        NMLVCUSTOMDRAW custom{};
        custom.nmcd.hdr.hwndFrom = window.listViewHandle();
        custom.nmcd.hdr.idFrom = 10;
        custom.nmcd.hdr.code = NM_CUSTOMDRAW;
        custom.nmcd.dwDrawStage = stage;
        custom.nmcd.hdc = dc;
        custom.nmcd.lItemlParam = reinterpret_cast<LPARAM>(item);
        SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        const LRESULT result = SendMessageA(window.hwndRef, WM_NOTIFY, 10, reinterpret_cast<LPARAM>(&custom));
        LOGFONTA face{};
        GetObjectA(GetCurrentObject(dc, OBJ_FONT), sizeof face, &face);
        *weight = face.lfWeight;
        return result;
    };
    LONG weight = 0;
    EXPECT_EQ(draw(CDDS_PREPAINT, nullptr, &weight), CDRF_NOTIFYITEMDRAW);
    EXPECT_EQ(draw(CDDS_ITEMPREPAINT, &mails.front(), &weight), CDRF_DODEFAULT);
    EXPECT_LT(weight, FW_BOLD);
    EXPECT_EQ(draw(CDDS_ITEMPREPAINT, &mails.back(), &weight), CDRF_NEWFONT);
    EXPECT_GE(weight, FW_BOLD);
    ReleaseDC(window.listViewHandle(), dc);
}

// A long list (QV_LIST_ROWS rows, default 10000; the scale figure in the README comes from 100000): the window
// opens with every row, sorts by subject both ways, and ticks every row; the times are printed, not judged.
TEST_F(MailListWindowTest, ALongListOpensSortsAndTicks) {
    const char* rowsText = std::getenv("QV_LIST_ROWS");
    const int rows = rowsText != nullptr && std::atoi(rowsText) > 0 ? std::atoi(rowsText) : 10000;
    std::vector<mail::MailEntry> entries;
    for (int i = 0; i < rows; ++i) {
        // Subjects in a scrambled order, each one distinct.
        const std::string subject = "s" + std::to_string((static_cast<long long>(i) * 7919) % rows + 1000000);
        entries.push_back(entry(subject.c_str(), "from", 100 + i, "first lines"));
        entries.back().isNew = i % 2 == 0;
    }
    const DWORD started = GetTickCount();
    open(entries);
    const DWORD opened = GetTickCount();
    ASSERT_EQ(list_view::rowCount(window.listViewHandle()), rows);
    command(IDM_SORT_SUBJECT);
    const DWORD sorted = GetTickCount();
    const HWND list = window.listViewHandle();
    EXPECT_EQ(list_view::cellText(list, 0, 0), "s1000000");
    EXPECT_EQ(list_view::cellText(list, rows - 1, 0), "s" + std::to_string(1000000 + rows - 1));
    command(IDM_SORT_SUBJECT);
    EXPECT_EQ(list_view::cellText(list, 0, 0), "s" + std::to_string(1000000 + rows - 1));
    for (int row = 0; row < rows; ++row) {
        list_view::setCheckState(list, row, list_view::kTicked);
    }
    const DWORD ticked = GetTickCount();
    EXPECT_EQ(list_view::checkState(list, rows / 2), list_view::kTicked);
    std::printf("%d rows: opened in %lu ms, sorted in %lu ms, all ticked in %lu ms\n", rows,
                static_cast<unsigned long>(opened - started), static_cast<unsigned long>(sorted - opened),
                static_cast<unsigned long>(ticked - sorted));
}

}  // namespace

namespace {

// With several mailboxes the account column comes first and sorts like the others; the other columns keep their
// texts, the details dialog names the mailbox, and with one mailbox again the window is the four columns.
TEST_F(MailListWindowTest, TheAccountColumnComesFirstAndSortsWithSeveralMailboxes) {
    const auto from = [](const char* name, int index, mail::MailEntry e) {
        e.mailbox = std::make_shared<const mail::MailboxId>(mail::MailboxId{"s", 110, "u", index, name});
        return e;
    };
    window.setAccountColumn(true);
    open({from("しごと", 1, entry("b", "y", 300, "3")), from("いえ", 0, entry("a", "z", 20, "1")),
          from("あそび", 2, entry("c", "x", 1000, "2"))});
    ASSERT_EQ(5, Header_GetItemCount(ListView_GetHeader(window.listViewHandle())));
    auto rows = window.rowViews();
    ASSERT_EQ(3u, rows.size());
    EXPECT_EQ("しごと", rows[0].account);
    EXPECT_EQ("b", rows[0].subject);
    EXPECT_EQ("y", rows[0].from);
    EXPECT_EQ(" 300", rows[0].size);
    EXPECT_EQ("3", rows[0].firstLines);
    clickColumn(0);
    EXPECT_EQ("cab", subjects()) << "by the mailbox's name, byte for byte";
    clickColumn(1);
    EXPECT_EQ("abc", subjects()) << "the subject is the second column now";
    command(IDM_SORT_SIZE);
    EXPECT_EQ("abc", subjects());

    list_view::focusRow(window.listViewHandle(), 0);
    select({0});
    pressKey(VK_RETURN);
    ASSERT_NE(nullptr, window.details().hwndRef);
    EXPECT_EQ("メール（いえ）", uitest::windowText(window.details().hwndRef));
    SendMessageA(window.details().hwndRef, WM_COMMAND, IDOK, 0);

    window.setAccountColumn(false);
    open({entry("d", "w", 1, "4")});
    EXPECT_EQ(4, Header_GetItemCount(ListView_GetHeader(window.listViewHandle())));
    EXPECT_EQ("", window.rowViews()[0].account);
    EXPECT_EQ("d", window.rowViews()[0].subject);
}

}  // namespace
