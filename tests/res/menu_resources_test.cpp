// Menus 105 and 110 read back through the menu functions, as the program and the user meet them: every
// text byte for byte in Shift_JIS, ids, separators and the states the resource starts with.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "res/resource_ids.h"

namespace {

enum class Start { Enabled, Grayed };

struct ExpectedItem {
    UINT id;           // 0 for a separator
    const char* text;  // nullptr for a separator
    Start state;
};

const ExpectedItem kSeparator = {0, nullptr, Start::Enabled};

HMENU loadMenu(int id) {
    return LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
}

std::string menuString(HMENU menu, UINT item, UINT flag) {
    char buffer[256] = {};
    const int length = GetMenuStringA(menu, item, buffer, sizeof buffer, flag);
    return std::string(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}

// Compares every position of a popup with the table, in order.
void expectItems(HMENU popup, const std::vector<ExpectedItem>& expected) {
    ASSERT_NE(nullptr, popup);
    ASSERT_EQ(static_cast<int>(expected.size()), GetMenuItemCount(popup));
    for (UINT pos = 0; pos < expected.size(); ++pos) {
        const ExpectedItem& want = expected[pos];
        SCOPED_TRACE("position " + std::to_string(pos));
        const UINT state = GetMenuState(popup, pos, MF_BYPOSITION);
        ASSERT_NE(static_cast<UINT>(-1), state);
        EXPECT_EQ(0u, state & (MF_POPUP | MF_CHECKED | MF_DEFAULT));
        if (!want.text) {
            EXPECT_NE(0u, state & MF_SEPARATOR);
            continue;
        }
        EXPECT_EQ(0u, state & MF_SEPARATOR);
        EXPECT_EQ(want.id, GetMenuItemID(popup, static_cast<int>(pos)));
        EXPECT_EQ(want.text, menuString(popup, pos, MF_BYPOSITION));
        EXPECT_EQ(want.text, menuString(popup, want.id, MF_BYCOMMAND));
        EXPECT_EQ(want.state == Start::Grayed, (state & MF_GRAYED) != 0);
    }
    // No item is the default one in the resource; the program chooses it at run time.
    EXPECT_EQ(static_cast<UINT>(-1), GetMenuDefaultItem(popup, FALSE, 0));
}

TEST(PopupMenu, HoldsOnePopupWithTheCommandsInOrder) {
    HMENU menu = loadMenu(IDR_POPUP_MENU);
    ASSERT_NE(nullptr, menu);
    ASSERT_EQ(1, GetMenuItemCount(menu));
    expectItems(GetSubMenu(menu, 0), {
                                         {IDM_CHECK_NOW, "いますぐチェックにゃ！！", Start::Enabled},
                                         {IDM_STOP_CHECK, "チェック中止にゃ！", Start::Grayed},
                                         {IDM_PAUSE, "自動チェック一時停止にゃ", Start::Enabled},
                                         {IDM_START_MAILER, "メールソフト起動にゃ", Start::Enabled},
                                         kSeparator,
                                         {IDM_TRAY, "タスクバーに　入るぅにゃぁ", Start::Enabled},
                                         {IDM_SETTINGS, "設定にゃ", Start::Enabled},
                                         {IDM_QUIT, "おしまい", Start::Enabled},
                                     });
    DestroyMenu(menu);
}

TEST(MailListMenu, HasTheMessagesAndSortPopups) {
    HMENU menu = loadMenu(IDR_MAIL_LIST_MENU);
    ASSERT_NE(nullptr, menu);
    ASSERT_EQ(2, GetMenuItemCount(menu));
    EXPECT_EQ("めっせ～じ(&M)", menuString(menu, 0, MF_BYPOSITION));
    EXPECT_EQ("並び替え(&S)", menuString(menu, 1, MF_BYPOSITION));
    expectItems(GetSubMenu(menu, 0),
                {
                    {IDM_LIST_START_MAILER, "メールソフト起動にゃ　(&M)", Start::Grayed},
                    kSeparator,
                    {IDM_TOGGLE_MARKS, "選択したメールを削除チェックON/OFF(&C)\tDel/BackSpace", Start::Grayed},
                    kSeparator,
                    {IDM_DELETE_CHECKED, "チェックしたメールをサーバから削除にゃ！！(&D)", Start::Enabled},
                    {IDM_CLOSE_LIST, "このウインドウを　閉じるぅ (&X)\tAlt+F4", Start::Enabled},
                });
    expectItems(GetSubMenu(menu, 1), {
                                         {IDM_SORT_SUBJECT, "件名(&T)", Start::Enabled},
                                         {IDM_SORT_FROM, "差し出し人(&F)", Start::Enabled},
                                         {IDM_SORT_SIZE, "サイズ(&S)", Start::Enabled},
                                         {IDM_SORT_FIRST_LINES, "メールの先頭部分(&T)", Start::Enabled},
                                     });
    DestroyMenu(menu);
}

// The same texts pinned by their bytes, independent of how the test's own literals are compiled: the
// ideographic spaces (81 40), the wave dash (81 60) and the tab before the accelerator names.
TEST(MenuBytes, FullWidthSpacesTildeAndTabsSurvive) {
    HMENU popupMenu = loadMenu(IDR_POPUP_MENU);
    HMENU listMenu = loadMenu(IDR_MAIL_LIST_MENU);
    ASSERT_NE(nullptr, popupMenu);
    ASSERT_NE(nullptr, listMenu);
    const struct {
        HMENU menu;
        UINT item;
        UINT flag;
        std::string bytes;
    } cases[] = {
        // "タスクバーに　入るぅにゃぁ"
        {popupMenu, IDM_TRAY, MF_BYCOMMAND,
         "\x83\x5e\x83\x58\x83\x4e\x83\x6f\x81\x5b\x82\xc9\x81\x40\x93\xfc\x82\xe9\x82\xa3\x82\xc9\x82\xe1\x82\x9f"},
        // "めっせ～じ(&M)"
        {listMenu, 0, MF_BYPOSITION, "\x82\xdf\x82\xc1\x82\xb9\x81\x60\x82\xb6(&M)"},
        // "メールソフト起動にゃ　(&M)"
        {listMenu, IDM_LIST_START_MAILER, MF_BYCOMMAND,
         "\x83\x81\x81\x5b\x83\x8b\x83\x5c\x83\x74\x83\x67\x8b\x4e\x93\xae\x82\xc9\x82\xe1\x81\x40(&M)"},
        // "このウインドウを　閉じるぅ (&X)\tAlt+F4"
        {listMenu, IDM_CLOSE_LIST, MF_BYCOMMAND,
         "\x82\xb1\x82\xcc\x83\x45\x83\x43\x83\x93\x83\x68\x83\x45\x82\xf0\x81\x40\x95\xc2\x82\xb6\x82\xe9\x82\xa3 "
         "(&X)\tAlt+F4"},
    };
    for (const auto& c : cases) {
        char buffer[256] = {};
        const int length = GetMenuStringA(c.menu, c.item, buffer, sizeof buffer, c.flag);
        EXPECT_EQ(c.bytes, std::string(buffer, length > 0 ? static_cast<size_t>(length) : 0)) << "item " << c.item;
    }
    DestroyMenu(popupMenu);
    DestroyMenu(listMenu);
}

// Every resource is Japanese, so a lookup in that language finds it.
TEST(ResourceLanguage, EveryResourceIsJapanese) {
    const WORD japanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
    const struct {
        LPCSTR type;
        int id;
    } resources[] = {
        {RT_MENU, IDR_POPUP_MENU}, {RT_MENU, IDR_MAIL_LIST_MENU}, {RT_DIALOG, IDD_SETTINGS},
        {RT_DIALOG, IDD_PASSWORD}, {RT_DIALOG, IDD_MAIL_INFO},    {RT_GROUP_ICON, IDI_IDLE},
        {RT_GROUP_ICON, IDI_MAIL}, {RT_GROUP_ICON, IDI_CHECKING},
    };
    for (const auto& r : resources) {
        EXPECT_NE(nullptr, FindResourceExA(GetModuleHandleA(nullptr), r.type, MAKEINTRESOURCEA(r.id), japanese))
            << "resource " << r.id;
    }
}

}  // namespace
