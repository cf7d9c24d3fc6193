#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/mail_info_dialog.h"
#include "framework/handler_table.h"
#include "framework/window_base.h"
#include "mail/mail_entry.h"

namespace app {

// The "新着メール一覧 (Quorvane)" window: one row per entry of the application's mail list, with the columns
// subject, sender, size and beginning of the mail, and with several mailboxes first the mailbox's name. The user sorts
// the rows, ticks the check boxes of the mails to delete, confirms their deletion, and opens one mail's details with
// Enter. The window never talks to the server: a confirmed deletion sets the entries' delete marks and is reported to
// the main window (command 104 with 1) when the window closes.
//
// Rows of mail that the last check had not seen (new mail) are drawn in bold. Ctrl+A selects every row.
//
// The list view holds no rows of its own (an owner-data list view): the window keeps one record per row, in the
// order shown, with a pointer to its entry and its tick, and answers the control's questions for the cells and
// check boxes of the rows on screen. Sorting reorders these records. Read from outside the control behaves as one
// that holds its rows: LVM_GETITEMTEXT gives each cell, LVM_GETITEMSTATE each tick as the state image,
// LVM_SETITEMSTATE sets ticks, and a row's item data (LVM_GETITEM) is the pointer to its entry. The owner of the
// list must call refreshRows whenever it clears or replaces the list's contents, so that no row (and no details
// dialog) reaches an entry that is gone.
class MailListWindow : public framework::WindowBase {
public:
    // The sort of the rows, shared by every use of the window and kept while it is closed.
    struct SortState {
        int column = -1;    // the column of the last sort, -1 before the first
        int direction = 1;  // 1 ascending, -1 descending
    };
    static SortState sortState;

    // What one row shows, in the order of the rows on screen.
    struct RowView {
        bool ticked;
        std::string subject;
        std::string from;
        std::string size;
        std::string firstLines;
        std::string account;  // empty without the account column
    };

    MailListWindow();
    ~MailListWindow() override;

    // Opens the window over `mails`, or refills it when it is open, reporting to `ownerWindow`. The window
    // stays hidden; the caller shows it. False when the window cannot be made.
    bool Show(HWND ownerWindow, mail::MailEntryList* mails, int x, int y, int width, int height);
    // The mail program's path for the window's own menu item; null or empty disables it.
    void setMailerPath(const std::string* path);
    // With several mailboxes the list shows the account column first; from the next Show on.
    void setAccountColumn(bool shown);
    // The list's contents were cleared or replaced: rebuild the rows over it (in list order) and let the
    // details dialog forget its entry. Nothing happens while the window is closed.
    void refreshRows();

    bool isOpen() const {
        return hwnd != nullptr && IsWindow(hwnd);
    }
    HWND listViewHandle() const {
        return listView;
    }
    bool deleteRequestedFlag() const {
        return deleteRequested;
    }
    std::vector<RowView> rowViews() const;
    MailInfoDialog& details() {
        return infoDialog;
    }

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    using Record = framework::MessageRecord;
    using Notify = framework::NotifyRecord;

    void onDefault(Record* record);
    void onCreate(Record* record);
    void onClose(Record* record);
    void onDestroy(Record* record);
    void onSize(Record* record);
    void onEraseBackground(Record* record);
    void onSetFocus(Record* record);
    void onNotify(Record* record);
    void onCommand(Record* record);
    void onInitMenuPopup(Record* record);
    void onDpiChanged(Record* record);

    void onStartMailer(Record* record);
    void onDeleteTicked(Record* record);
    void onSortSubject(Record* record);
    void onSortFrom(Record* record);
    void onSortSize(Record* record);
    void onSortFirstLines(Record* record);
    void onToggleMarks(Record* record);

    void onColumnClick(Notify* record);
    void onCustomDraw(Notify* record);
    void onKeyDown(Notify* record);
    void onGetDisplayInfo(Notify* record);
    void onFindRow(Notify* record);

    // One row on screen: its entry (none for a row added by LVM_INSERTITEM) and its check box.
    struct Row {
        mail::MailEntry* entry;
        bool ticked;
    };

    // The list view's own procedure goes through here first: the row messages the control cannot answer for an
    // owner-data list are answered from the rows.
    static LRESULT CALLBACK listViewProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT listViewMessage(HWND control, UINT msg, WPARAM wParam, LPARAM lParam);
    bool setRowState(HWND control, int row, const LVITEMA& item);
    void fillItem(LVITEMA& item) const;

    void fillRows();
    bool showColumns();
    void sortBy(int column);
    void keepSelectionThrough(const std::vector<std::uint32_t>& newOrder);
    void selectAll();
    void toggleMarks();
    void toggleTick(int row);
    void redrawRow(int row);
    void openDetailsOfSelection();
    mail::MailEntry* entryAt(int row) const;

    framework::MessageTable<MailListWindow> messageHandlers;
    framework::CommandTable<MailListWindow> commandHandlers;
    framework::NotifyTable<MailListWindow> notifyHandlers;
    HWND ownerWindow = nullptr;
    mail::MailEntryList* mails = nullptr;
    bool deleteRequested = false;
    MailInfoDialog infoDialog;
    const std::string* mailerPath = nullptr;
    HWND listView = nullptr;
    WNDPROC listViewOriginalProc = nullptr;
    std::vector<Row> rows;     // in the order on screen
    HFONT boldFont = nullptr;  // the rows' font in bold, for mail that is new since the last check
    // The DPI the columns were last sized for (96: the widths as designed).
    int columnDpi = 96;
    bool accountColumn = false;       // asked for by the owner
    bool shownAccountColumn = false;  // what the list view has
};

}  // namespace app
