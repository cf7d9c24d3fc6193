#include "app/mail_list_window.h"

#include <commctrl.h>

#include "app/command_ids.h"
#include "app/dpi_scale.h"
#include "app/dpi_win.h"
#include "app/list_texts.h"
#include "app/list_view.h"
#include "app/status_texts.h"
#include "mail/check_result.h"
#include "res/resource_ids.h"

namespace app {

namespace {

constexpr int kListViewId = 10;

// The mark walk's mode: clear, tick, or not yet decided.
constexpr int kModeClear = 0;
constexpr int kModeTick = 1;
constexpr int kModeUndecided = 5;

constexpr char kDeleteQuestion[] =
    "チェックをつけたメールを削除します\nメールサーバから削除するので、もう取り込めません\nよろしいですか？\n\n"
    "(チェックをしていない場合は、ウインドを閉じるだけです)";

struct ColumnLayout {
    const char* header;
    int width;
    int format;
};

// By ListColumn.
const ColumnLayout kColumns[] = {
    {"件名", 100, LVCFMT_LEFT},         {"差出人", 100, LVCFMT_LEFT},      {"サイズ", 50, LVCFMT_RIGHT},
    {"メールの文頭", 160, LVCFMT_LEFT}, {kAccountHeader, 90, LVCFMT_LEFT},
};

int CALLBACK compareRows(LPARAM first, LPARAM second, LPARAM column) {
    const auto* a = reinterpret_cast<const mail::MailEntry*>(first);
    const auto* b = reinterpret_cast<const mail::MailEntry*>(second);
    if (a == nullptr || b == nullptr) {
        return 0;
    }
    return compareEntries(*a, *b, static_cast<int>(column)) * MailListWindow::sortState.direction;
}

// The row travels whole in lParam (a list view holds far more than 65,535 rows); the mode rides in the
// command's notification word.
void postMarkStep(HWND window, int row, int mode) {
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(kCmdListMarkStep, mode), static_cast<LPARAM>(row));
}

}  // namespace

MailListWindow::SortState MailListWindow::sortState;

MailListWindow::MailListWindow()
    : messageHandlers(this, &MailListWindow::onDefault), commandHandlers(this), notifyHandlers(this) {
    messageHandlers.Set(WM_CREATE, &MailListWindow::onCreate);
    messageHandlers.Set(WM_CLOSE, &MailListWindow::onClose);
    messageHandlers.Set(WM_DESTROY, &MailListWindow::onDestroy);
    messageHandlers.Set(WM_SIZE, &MailListWindow::onSize);
    messageHandlers.Set(WM_ERASEBKGND, &MailListWindow::onEraseBackground);
    messageHandlers.Set(WM_SETFOCUS, &MailListWindow::onSetFocus);
    messageHandlers.Set(WM_NOTIFY, &MailListWindow::onNotify);
    messageHandlers.Set(WM_COMMAND, &MailListWindow::onCommand);
    messageHandlers.Set(WM_INITMENUPOPUP, &MailListWindow::onInitMenuPopup);
    messageHandlers.Set(kWmDpiChanged, &MailListWindow::onDpiChanged);

    commandHandlers.Set(IDM_LIST_START_MAILER, &MailListWindow::onStartMailer);
    commandHandlers.Set(IDM_DELETE_CHECKED, &MailListWindow::onDeleteTicked);
    commandHandlers.Set(IDM_CLOSE_LIST, &MailListWindow::onClose);
    commandHandlers.Set(IDM_SORT_SUBJECT, &MailListWindow::onSortSubject);
    commandHandlers.Set(IDM_SORT_FROM, &MailListWindow::onSortFrom);
    commandHandlers.Set(IDM_SORT_SIZE, &MailListWindow::onSortSize);
    commandHandlers.Set(IDM_SORT_FIRST_LINES, &MailListWindow::onSortFirstLines);
    commandHandlers.Set(kCmdListMarkStep, &MailListWindow::onMarkStep);
    commandHandlers.Set(IDM_TOGGLE_MARKS, &MailListWindow::onToggleMarks);

    notifyHandlers.Set(LVN_COLUMNCLICK, &MailListWindow::onColumnClick);
    notifyHandlers.Set(LVN_KEYDOWN, &MailListWindow::onKeyDown);
    notifyHandlers.Set(NM_CUSTOMDRAW, &MailListWindow::onCustomDraw);
}

MailListWindow::~MailListWindow() {
    if (isOpen()) {
        DestroyWindow(hwnd);
    }
    if (boldFont != nullptr) {
        DeleteObject(boldFont);
    }
}

LRESULT MailListWindow::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    Record record{msg, wParam, static_cast<framework::MessageLParam>(lParam), 0};
    messageHandlers.Dispatch(msg, &record);
    return record.result;
}

bool MailListWindow::Show(HWND owner, mail::MailEntryList* list, int x, int y, int width, int height) {
    deleteRequested = false;
    mails = list;
    ownerWindow = nullptr;
    if (listView != nullptr) {
        list_view::deleteAllRows(listView);
    } else {
        HINSTANCE module = GetModuleHandleA(nullptr);
        Create("新着メール一覧 (Quorvane)", nullptr, GetWindow(owner, GW_OWNER),
               WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE, x, y, width, height,
               LoadMenuA(module, MAKEINTRESOURCEA(IDR_MAIL_LIST_MENU)), module);
        if (listView == nullptr) {
            return false;
        }
    }
    ownerWindow = owner;
    list_view::addExtendedStyle(listView, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    if (shownAccountColumn != accountColumn && !showColumns()) {
        return false;
    }
    fillRows();
    return true;
}

void MailListWindow::setMailerPath(const std::string* path) {
    mailerPath = path;
}

void MailListWindow::setAccountColumn(bool shown) {
    accountColumn = shown;
}

// The account column comes and goes at the left; the others stay as they are.
bool MailListWindow::showColumns() {
    const ColumnLayout& layout = kColumns[kColumnAccount];
    if (accountColumn) {
        if (!list_view::insertColumn(listView, 0, layout.header, scaledForDpi(layout.width, columnDpi),
                                     layout.format)) {
            return false;
        }
    } else {
        SendMessageA(listView, LVM_DELETECOLUMN, 0, 0);
    }
    shownAccountColumn = accountColumn;
    infoDialog.showMailbox = accountColumn;
    return true;
}

void MailListWindow::refreshRows() {
    infoDialog.SetEntry(nullptr);
    if (listView == nullptr) {
        return;
    }
    list_view::deleteAllRows(listView);
    fillRows();
}

void MailListWindow::fillRows() {
    if (mails == nullptr) {
        return;
    }
    // A long list fills without a repaint after every row, in room reserved up front.
    SendMessageA(listView, WM_SETREDRAW, FALSE, 0);
    SendMessageA(listView, LVM_SETITEMCOUNT, static_cast<WPARAM>(mails->size()), 0);
    int row = 0;
    const int columns = shownColumnCount(shownAccountColumn);
    for (auto& entry : *mails) {
        int index = list_view::insertRow(listView, row, cellText(entry, columnAt(0, shownAccountColumn)),
                                         reinterpret_cast<LPARAM>(&entry));
        for (int place = 1; index >= 0 && place < columns; ++place) {
            list_view::setCellText(listView, index, place, cellText(entry, columnAt(place, shownAccountColumn)));
        }
        // A confirmed deletion that a failed check could not carry out stays ticked, for the user to see.
        if (index >= 0 && entry.deleteMark) {
            list_view::setCheckState(listView, index, list_view::kTicked);
        }
        ++row;
    }
    SendMessageA(listView, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(listView, nullptr, TRUE);
}

std::vector<MailListWindow::RowView> MailListWindow::rowViews() const {
    std::vector<RowView> rows;
    if (listView == nullptr) {
        return rows;
    }
    int count = list_view::rowCount(listView);
    const int first = shownAccountColumn ? 1 : 0;  // the place of the subject
    for (int row = 0; row < count; ++row) {
        rows.push_back(RowView{list_view::checkState(listView, row) == list_view::kTicked,
                               list_view::cellText(listView, row, first + kColumnSubject),
                               list_view::cellText(listView, row, first + kColumnFrom),
                               list_view::cellText(listView, row, first + kColumnSize),
                               list_view::cellText(listView, row, first + kColumnFirstLines),
                               shownAccountColumn ? list_view::cellText(listView, row, 0) : std::string()});
    }
    return rows;
}

void MailListWindow::onDefault(Record* record) {
    record->result = DefaultProc(record->msg, record->wParam, record->lParam);
}

void MailListWindow::onCreate(Record* record) {
    RECT client{};
    GetClientRect(hwnd, &client);
    listView =
        CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT, client.left,
                        client.top, client.right - client.left, client.bottom - client.top, hwnd,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListViewId)), GetModuleHandleA(nullptr), nullptr);
    if (listView == nullptr) {
        record->result = -1;
        return;
    }
    // The widths are pixels at 96 DPI; on other screens they grow with the text.
    columnDpi = windowDpi(hwnd);
    shownAccountColumn = accountColumn;
    infoDialog.showMailbox = accountColumn;
    for (int place = 0; place < shownColumnCount(accountColumn); ++place) {
        const int column = place;
        const ColumnLayout& layout = kColumns[columnAt(place, accountColumn)];
        const int width = scaledForDpi(layout.width, columnDpi);
        if (!list_view::insertColumn(listView, column, layout.header, width, layout.format)) {
            listView = nullptr;
            record->result = -1;
            return;
        }
    }
}

void MailListWindow::onClose(Record*) {
    DestroyWindow(hwnd);
    listView = nullptr;
    if (ownerWindow != nullptr) {
        PostMessageA(ownerWindow, WM_COMMAND, kCmdListClosed, deleteRequested ? 1 : 0);
    }
}

void MailListWindow::onDestroy(Record* record) {
    // Also when the system destroys the window with its owner: the control goes with it.
    listView = nullptr;
    onDefault(record);
}

// Moved to a screen of another DPI (per-monitor aware, Windows 8.1 on): the window takes the rectangle the
// system suggests, and each column keeps its share, including widths the user has dragged.
void MailListWindow::onDpiChanged(Record* record) {
    const int newDpi = LOWORD(record->wParam);
    if (listView != nullptr && columnDpi > 0 && newDpi != columnDpi) {
        for (int column = 0; column < shownColumnCount(shownAccountColumn); ++column) {
            const int width = list_view::columnWidth(listView, column);
            list_view::setColumnWidth(listView, column, MulDiv(width, newDpi, columnDpi));
        }
    }
    columnDpi = newDpi;
    if (const auto* suggested = reinterpret_cast<const RECT*>(record->lParam)) {
        SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void MailListWindow::onSize(Record* record) {
    MoveWindow(listView, 0, 0, LOWORD(record->lParam), HIWORD(record->lParam), TRUE);
}

void MailListWindow::onEraseBackground(Record*) {
    // The list view covers the whole client area.
}

// The list view fills the window: when the window gets the keyboard, the rows do (Del, Enter, Space).
void MailListWindow::onSetFocus(Record*) {
    if (listView != nullptr) {
        SetFocus(listView);
    }
}

void MailListWindow::onNotify(Record* record) {
    if (record->lParam == 0) {
        return;
    }
    Notify notify{record->result, record->wParam, reinterpret_cast<tagNMHDR*>(record->lParam)};
    notifyHandlers.Dispatch(notify.header->code, &notify);
    record->result = notify.result;
}

void MailListWindow::onCommand(Record* record) {
    framework::ForwardCommand(commandHandlers, record);
}

void MailListWindow::onInitMenuPopup(Record*) {
    HMENU menu = GetMenu(hwnd);
    HMENU messages = menu != nullptr ? GetSubMenu(menu, 0) : nullptr;
    if (messages == nullptr) {
        return;
    }
    bool hasMailer = mailerPath != nullptr && !mailerPath->empty();
    EnableMenuItem(messages, IDM_LIST_START_MAILER, MF_BYCOMMAND | (hasMailer ? MF_ENABLED : MF_GRAYED));
    bool hasSelection = list_view::selectedCount(listView) > 0;
    EnableMenuItem(messages, IDM_TOGGLE_MARKS, MF_BYCOMMAND | (hasSelection ? MF_ENABLED : MF_GRAYED));
    bool hasMails = mails != nullptr && !mails->empty();
    EnableMenuItem(messages, IDM_DELETE_CHECKED, MF_BYCOMMAND | (hasMails ? MF_ENABLED : MF_GRAYED));
}

void MailListWindow::onStartMailer(Record*) {
    if (IsWindow(ownerWindow)) {
        PostMessageA(ownerWindow, WM_COMMAND, IDM_START_MAILER, 0);
    }
}

void MailListWindow::onDeleteTicked(Record*) {
    if (mails == nullptr || mails->empty()) {
        return;
    }
    if (MessageBoxA(hwnd, kDeleteQuestion, kProgramTitle, MB_ICONWARNING | MB_YESNO) != IDYES) {
        return;
    }
    // The rows may have been rebuilt while the question was open; they always point into the current list.
    int count = listView != nullptr ? list_view::rowCount(listView) : 0;
    for (int row = 0; row < count; ++row) {
        if (list_view::checkState(listView, row) == list_view::kCleared) {
            continue;
        }
        LPARAM data = 0;
        if (list_view::rowData(listView, row, data) && data != 0) {
            reinterpret_cast<mail::MailEntry*>(data)->deleteMark = true;
            deleteRequested = true;
        }
    }
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
}

void MailListWindow::onSortSubject(Record*) {
    sortBy(kColumnSubject);
}

void MailListWindow::onSortFrom(Record*) {
    sortBy(kColumnFrom);
}

void MailListWindow::onSortSize(Record*) {
    sortBy(kColumnSize);
}

void MailListWindow::onSortFirstLines(Record*) {
    sortBy(kColumnFirstLines);
}

void MailListWindow::onColumnClick(Notify* record) {
    sortBy(columnAt(reinterpret_cast<NMLISTVIEW*>(record->header)->iSubItem, shownAccountColumn));
}

// New mail in bold: the list view asks before each row is drawn, and takes the font selected for it.
void MailListWindow::onCustomDraw(Notify* record) {
    auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(record->header);
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
        record->result = CDRF_NOTIFYITEMDRAW;
        return;
    }
    record->result = CDRF_DODEFAULT;
    if (draw->nmcd.dwDrawStage != CDDS_ITEMPREPAINT || mails == nullptr || mails->empty()) {
        return;
    }
    const auto* entry = reinterpret_cast<const mail::MailEntry*>(draw->nmcd.lItemlParam);
    if (entry == nullptr || !entry->isNew) {
        return;
    }
    if (boldFont == nullptr) {
        HFONT font = reinterpret_cast<HFONT>(SendMessageA(listView, WM_GETFONT, 0, 0));
        LOGFONTA face{};
        if (GetObjectA(font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT), sizeof face, &face) == 0) {
            return;
        }
        face.lfWeight = FW_BOLD;
        boldFont = CreateFontIndirectA(&face);
    }
    if (boldFont != nullptr) {
        SelectObject(draw->nmcd.hdc, boldFont);
        record->result = CDRF_NEWFONT;
    }
}

void MailListWindow::sortBy(int column) {
    if (mails == nullptr || mails->empty()) {
        return;
    }
    sortState.direction = column == sortState.column ? -sortState.direction : 1;
    sortState.column = column;
    SendMessageA(listView, LVM_SORTITEMS, column, reinterpret_cast<LPARAM>(&compareRows));
}

void MailListWindow::onKeyDown(Notify* record) {
    switch (reinterpret_cast<NMLVKEYDOWN*>(record->header)->wVKey) {
        case VK_DELETE:
        case VK_CLEAR:
        case VK_BACK:
            toggleMarks();
            break;
        case VK_RETURN:
            openDetailsOfSelection();
            break;
        default:
            break;
    }
}

void MailListWindow::onToggleMarks(Record*) {
    toggleMarks();
}

// Sets every selected row's check box to the opposite of the first selected row's, one row per posted step.
// Each step applies its row's state directly and moves the focus on, which is what the keystrokes Space and
// Ctrl+Down would do, without depending on the order in which keystrokes and posted steps arrive.
void MailListWindow::toggleMarks() {
    if (listView == nullptr || list_view::selectedCount(listView) == 0) {
        return;
    }
    list_view::focusRow(listView, 0);
    postMarkStep(hwnd, 0, kModeUndecided);
}

void MailListWindow::onMarkStep(Record* record) {
    int row = static_cast<int>(record->lParam);
    int mode = HIWORD(record->wParam);
    if (listView == nullptr || row >= list_view::rowCount(listView)) {
        return;
    }
    if (list_view::isSelected(listView, row)) {
        int ticked = list_view::checkState(listView, row) - 1;
        if (mode == kModeUndecided) {
            mode = ticked == 0 ? kModeTick : kModeClear;
        }
        if (ticked != mode) {
            list_view::setCheckState(listView, row, mode == kModeTick ? list_view::kTicked : list_view::kCleared);
        }
    }
    if (row + 1 < list_view::rowCount(listView)) {
        list_view::focusRow(listView, row + 1);
    }
    postMarkStep(hwnd, row + 1, mode);
}

void MailListWindow::openDetailsOfSelection() {
    int count = list_view::rowCount(listView);
    for (int row = 0; row < count; ++row) {
        LPARAM data = 0;
        if (list_view::isSelected(listView, row) && list_view::rowData(listView, row, data)) {
            infoDialog.SetEntry(reinterpret_cast<mail::MailEntry*>(data));
            infoDialog.Show(hwnd);
            return;
        }
    }
}

}  // namespace app
