#include "app/mail_list_window.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <numeric>

#include "app/command_ids.h"
#include "app/dpi_scale.h"
#include "app/dpi_win.h"
#include "app/list_texts.h"
#include "app/list_view.h"
#include "app/status_texts.h"
#include "base/ascii.h"
#include "base/shift_jis.h"
#include "mail/check_result.h"
#include "res/resource_ids.h"

namespace app {

namespace {

constexpr int kListViewId = 10;
constexpr size_t kFindBuffer = 260;

constexpr char kDeleteQuestion[] =
    "チェックをつけたメールを削除します\nメールサーバから削除するので、もう取り込めません\nよろしいですか？\n\n"
    "(チェックをしていない場合は、ウインドを閉じるだけです)";

struct ColumnLayout {
    ListColumn column;
    const char* header;
    int width;
    int format;
};

// By ListColumn; a row's cells and the sort follow ListColumn, the places on screen columnAt.
const ColumnLayout kColumns[] = {
    {kColumnSubject, "件名", 100, LVCFMT_LEFT},        {kColumnFrom, "差出人", 100, LVCFMT_LEFT},
    {kColumnSize, "サイズ", 50, LVCFMT_RIGHT},         {kColumnFirstLines, "メールの文頭", 160, LVCFMT_LEFT},
    {kColumnAccount, kAccountHeader, 90, LVCFMT_LEFT},
};

int stateImage(bool ticked) {
    return ticked ? list_view::kTicked : list_view::kCleared;
}

// The row numbers the list view reports as selected, in order.
std::vector<int> selectedRows(HWND listView) {
    std::vector<int> selected;
    selected.reserve(static_cast<size_t>(list_view::selectedCount(listView)));
    for (int row = -1; (row = static_cast<int>(
                            SendMessageA(listView, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED))) >= 0;) {
        selected.push_back(row);
    }
    return selected;
}

// The list view changes a selection row by row, drawing each row again (a round trip to the window server under
// Wine) and asking for its check box though it changes none. Both are held back meanwhile; the rows on screen are
// drawn once at the end.
class QuietSelectionChange {
public:
    explicit QuietSelectionChange(HWND listView) : listView(listView) {
        SendMessageA(listView, WM_SETREDRAW, FALSE, 0);
        SendMessageA(listView, LVM_SETCALLBACKMASK, 0, 0);
    }
    ~QuietSelectionChange() {
        SendMessageA(listView, LVM_SETCALLBACKMASK, LVIS_STATEIMAGEMASK, 0);
        SendMessageA(listView, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(listView, nullptr, FALSE);
    }
    QuietSelectionChange(const QuietSelectionChange&) = delete;
    QuietSelectionChange& operator=(const QuietSelectionChange&) = delete;

private:
    HWND listView;
};

void setRowSelectionState(HWND listView, int row, UINT mask, UINT state) {
    LVITEMA item{};
    item.stateMask = mask;
    item.state = state;
    SendMessageA(listView, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
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
    commandHandlers.Set(IDM_TOGGLE_MARKS, &MailListWindow::onToggleMarks);

    notifyHandlers.Set(LVN_COLUMNCLICK, &MailListWindow::onColumnClick);
    notifyHandlers.Set(LVN_KEYDOWN, &MailListWindow::onKeyDown);
    notifyHandlers.Set(NM_CUSTOMDRAW, &MailListWindow::onCustomDraw);
    notifyHandlers.Set(LVN_GETDISPINFOA, &MailListWindow::onGetDisplayInfo);
    notifyHandlers.Set(LVN_ODFINDITEMA, &MailListWindow::onFindRow);
    notifyHandlers.Set(LVN_ODFINDITEMW, &MailListWindow::onFindRow);
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
    rows.clear();
    if (mails != nullptr) {
        rows.reserve(mails->size());
        for (auto& entry : *mails) {
            // A confirmed deletion that a failed check could not carry out stays ticked, for the user to see.
            rows.push_back(Row{&entry, entry.deleteMark});
        }
    }
    SendMessageA(listView, LVM_SETITEMCOUNT, rows.size(), 0);
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
    listView = CreateWindowExA(
        WS_EX_CLIENTEDGE, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_OWNERDATA, client.left,
        client.top, client.right - client.left, client.bottom - client.top, hwnd,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListViewId)), GetModuleHandleA(nullptr), nullptr);
    if (listView == nullptr) {
        record->result = -1;
        return;
    }
    // The check boxes are the rows' state images, and the rows keep them.
    SetWindowLongPtrA(listView, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    listViewOriginalProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(listView, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MailListWindow::listViewProc)));
    SendMessageA(listView, LVM_SETCALLBACKMASK, LVIS_STATEIMAGEMASK, 0);
    // The widths are pixels at 96 DPI; on other screens they grow with the text.
    columnDpi = windowDpi(hwnd);
    shownAccountColumn = accountColumn;
    infoDialog.showMailbox = accountColumn;
    for (int place = 0; place < shownColumnCount(accountColumn); ++place) {
        const ColumnLayout& layout = kColumns[columnAt(place, accountColumn)];
        const int width = scaledForDpi(layout.width, columnDpi);
        if (!list_view::insertColumn(listView, place, layout.header, width, layout.format)) {
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
    // Also when the system destroys the window with its owner: the control goes with it, and with the window
    // closed no row may keep pointing into a list its owner is free to clear.
    listView = nullptr;
    rows.clear();
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
    for (const Row& row : rows) {
        if (row.ticked && row.entry != nullptr) {
            row.entry->deleteMark = true;
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
    // An owner-data list view hands no item data; a row's entry is found by its place.
    const auto* entry = draw->nmcd.lItemlParam != 0 ? reinterpret_cast<const mail::MailEntry*>(draw->nmcd.lItemlParam)
                                                    : entryAt(static_cast<int>(draw->nmcd.dwItemSpec));
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
    // Stable, as the list view's own sort was: rows that compare equal keep their order.
    std::vector<std::uint32_t> newOrder(rows.size());
    std::iota(newOrder.begin(), newOrder.end(), 0u);
    const int direction = sortState.direction;
    std::stable_sort(newOrder.begin(), newOrder.end(), [&](std::uint32_t a, std::uint32_t b) {
        const mail::MailEntry* first = rows[a].entry;
        const mail::MailEntry* second = rows[b].entry;
        return first != nullptr && second != nullptr && compareEntries(*first, *second, column) * direction < 0;
    });
    std::vector<Row> sorted;
    sorted.reserve(rows.size());
    for (std::uint32_t from : newOrder) {
        sorted.push_back(rows[from]);
    }
    rows.swap(sorted);
    keepSelectionThrough(newOrder);
    InvalidateRect(listView, nullptr, TRUE);
}

// The list view keeps the selection and the focus by row number: they move with their rows to the new places.
void MailListWindow::keepSelectionThrough(const std::vector<std::uint32_t>& newOrder) {
    const int count = static_cast<int>(newOrder.size());
    std::vector<std::uint32_t> placeOf(newOrder.size());
    for (int place = 0; place < count; ++place) {
        placeOf[newOrder[static_cast<size_t>(place)]] = static_cast<std::uint32_t>(place);
    }
    const int focused =
        static_cast<int>(SendMessageA(listView, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    const int mark = static_cast<int>(SendMessageA(listView, LVM_GETSELECTIONMARK, 0, 0));
    const int selectedCount = list_view::selectedCount(listView);
    if (selectedCount > 0 && selectedCount < count) {
        const std::vector<int> selected = selectedRows(listView);
        QuietSelectionChange quiet(listView);
        setRowSelectionState(listView, -1, LVIS_SELECTED, 0);
        for (int row : selected) {
            if (row < count) {
                setRowSelectionState(listView, static_cast<int>(placeOf[static_cast<size_t>(row)]), LVIS_SELECTED,
                                     LVIS_SELECTED);
            }
        }
    }
    if (focused >= 0 && focused < count) {
        list_view::focusRow(listView, static_cast<int>(placeOf[static_cast<size_t>(focused)]));
    }
    if (mark >= 0 && mark < count) {
        SendMessageA(listView, LVM_SETSELECTIONMARK, 0, static_cast<LPARAM>(placeOf[static_cast<size_t>(mark)]));
    }
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
        case 'A':
            if (GetKeyState(VK_CONTROL) < 0) {
                selectAll();
            }
            break;
        default:
            break;
    }
}

void MailListWindow::selectAll() {
    QuietSelectionChange quiet(listView);
    setRowSelectionState(listView, -1, LVIS_SELECTED, LVIS_SELECTED);
}

void MailListWindow::onToggleMarks(Record*) {
    toggleMarks();
}

// Sets every selected row's check box to the opposite of the first selected row's.
void MailListWindow::toggleMarks() {
    if (listView == nullptr || list_view::selectedCount(listView) == 0) {
        return;
    }
    const int count = static_cast<int>(rows.size());
    if (list_view::selectedCount(listView) >= count) {
        const bool tick = !rows.front().ticked;
        for (Row& row : rows) {
            row.ticked = tick;
        }
    } else {
        const std::vector<int> selected = selectedRows(listView);
        const bool tick = !rows[static_cast<size_t>(selected.front())].ticked;
        for (int row : selected) {
            if (row < count) {
                rows[static_cast<size_t>(row)].ticked = tick;
            }
        }
    }
    InvalidateRect(listView, nullptr, FALSE);
}

void MailListWindow::toggleTick(int row) {
    if (row >= 0 && row < static_cast<int>(rows.size())) {
        rows[static_cast<size_t>(row)].ticked = !rows[static_cast<size_t>(row)].ticked;
        redrawRow(row);
    }
}

// Only a row on screen is drawn again: ticking a long list row by row costs no drawing.
void MailListWindow::redrawRow(int row) {
    const int top = static_cast<int>(SendMessageA(listView, LVM_GETTOPINDEX, 0, 0));
    const int page = static_cast<int>(SendMessageA(listView, LVM_GETCOUNTPERPAGE, 0, 0));
    if (row >= top && row <= top + page) {
        SendMessageA(listView, LVM_REDRAWITEMS, static_cast<WPARAM>(row), row);
    }
}

void MailListWindow::openDetailsOfSelection() {
    const int row = static_cast<int>(SendMessageA(listView, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (mail::MailEntry* entry = entryAt(row)) {
        infoDialog.SetEntry(entry);
        infoDialog.Show(hwnd);
    }
}

mail::MailEntry* MailListWindow::entryAt(int row) const {
    return row >= 0 && row < static_cast<int>(rows.size()) ? rows[static_cast<size_t>(row)].entry : nullptr;
}

// The list view asks for what a row shows: the cells' texts (cut as a cell always was) and the check box.
void MailListWindow::onGetDisplayInfo(Notify* record) {
    fillItem(reinterpret_cast<NMLVDISPINFOA*>(record->header)->item);
}

// Typing the beginning of a subject moves to the next row that starts with it (letter case aside), as the
// list view does by itself for rows it holds.
void MailListWindow::onFindRow(Notify* record) {
    record->result = -1;
    const auto* find = reinterpret_cast<const NMLVFINDITEMA*>(record->header);
    if ((find->lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) == 0 || find->lvfi.psz == nullptr || rows.empty()) {
        return;
    }
    std::string typed;
    if (record->header->code == static_cast<UINT>(LVN_ODFINDITEMW)) {
        const auto* wide = reinterpret_cast<const wchar_t*>(find->lvfi.psz);
        char buffer[kFindBuffer] = {};
        WideCharToMultiByte(CP_ACP, 0, wide, -1, buffer, sizeof buffer - 1, nullptr, nullptr);
        typed = buffer;
    } else {
        typed = std::string(find->lvfi.psz).substr(0, kFindBuffer);
    }
    const bool partial = (find->lvfi.flags & LVFI_PARTIAL) != 0;
    const int count = static_cast<int>(rows.size());
    const int start = find->iStart >= 0 && find->iStart < count ? find->iStart : 0;
    const int tried = (find->lvfi.flags & LVFI_WRAP) != 0 ? count : count - start;
    for (int step = 0; step < tried; ++step) {
        const int row = (start + step) % count;
        const mail::MailEntry* entry = rows[static_cast<size_t>(row)].entry;
        const std::string subject = entry != nullptr ? list_view::cellFit(entry->subject) : std::string();
        if (partial ? base::startsWithNoCase(subject, typed) : base::equalsNoCase(subject, typed)) {
            record->result = row;
            return;
        }
    }
}

void MailListWindow::fillItem(LVITEMA& item) const {
    if (item.iItem < 0 || item.iItem >= static_cast<int>(rows.size())) {
        return;
    }
    const Row& row = rows[static_cast<size_t>(item.iItem)];
    if ((item.mask & LVIF_TEXT) != 0 && item.pszText != nullptr && item.cchTextMax > 0) {
        const std::string text =
            row.entry != nullptr ? cellText(*row.entry, columnAt(item.iSubItem, shownAccountColumn)) : std::string();
        const std::string cell = list_view::cellFit(text);
        const std::string_view fit = base::cutAtCharacter(cell, static_cast<size_t>(item.cchTextMax) - 1);
        std::memcpy(item.pszText, fit.data(), fit.size());
        item.pszText[fit.size()] = '\0';
    }
    if ((item.mask & LVIF_STATE) != 0) {
        item.state = (item.state & ~LVIS_STATEIMAGEMASK) | INDEXTOSTATEIMAGEMASK(stateImage(row.ticked));
    }
}

// The window's object rides in the control's user data. The procedure is replaced directly (not through the
// common controls' subclass chain, which looks the chain up in the window's properties on every message).
LRESULT CALLBACK MailListWindow::listViewProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<MailListWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcA(window, msg, wParam, lParam);
    }
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(self->listViewOriginalProc));
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        return CallWindowProcA(self->listViewOriginalProc, window, msg, wParam, lParam);
    }
    return self->listViewMessage(window, msg, wParam, lParam);
}

LRESULT MailListWindow::listViewMessage(HWND control, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case LVM_SETITEMSTATE:
            if (lParam != 0) {
                return setRowState(control, static_cast<int>(wParam), *reinterpret_cast<const LVITEMA*>(lParam));
            }
            break;
        case LVM_GETITEMA:
        case LVM_GETITEMW: {
            const LRESULT found = CallWindowProcA(listViewOriginalProc, control, msg, wParam, lParam);
            auto* item = reinterpret_cast<LVITEMA*>(lParam);
            if (found && item != nullptr && (item->mask & LVIF_PARAM) != 0) {
                item->lParam = reinterpret_cast<LPARAM>(entryAt(item->iItem));
            }
            return found;
        }
        case WM_LBUTTONDOWN: {
            // A click on a check box ticks or clears it, and leaves the selection alone.
            LVHITTESTINFO hit{};
            hit.pt = POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            const int row = static_cast<int>(SendMessageA(control, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
            if (row >= 0 && (hit.flags & LVHT_ONITEMSTATEICON) != 0) {
                SetFocus(control);
                toggleTick(row);
                return 0;
            }
            break;
        }
        case WM_KEYDOWN:
            if (wParam == VK_SPACE) {
                const LRESULT result = CallWindowProcA(listViewOriginalProc, control, msg, wParam, lParam);
                toggleTick(
                    static_cast<int>(SendMessageA(control, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED)));
                return result;
            }
            break;
        default:
            break;
    }
    return CallWindowProcA(listViewOriginalProc, control, msg, wParam, lParam);
}

// The tick part of a state change is the rows' (row -1: every row); selection and focus go to the list view.
bool MailListWindow::setRowState(HWND control, int row, const LVITEMA& item) {
    if ((item.stateMask & LVIS_STATEIMAGEMASK) != 0) {
        const UINT image = (item.state & LVIS_STATEIMAGEMASK) >> 12;
        if (image == list_view::kTicked || image == list_view::kCleared) {
            const bool tick = image == list_view::kTicked;
            if (row < 0) {
                for (Row& each : rows) {
                    each.ticked = tick;
                }
                InvalidateRect(control, nullptr, FALSE);
            } else if (row < static_cast<int>(rows.size())) {
                rows[static_cast<size_t>(row)].ticked = tick;
                redrawRow(row);
            }
        }
    }
    LVITEMA rest = item;
    rest.stateMask &= ~LVIS_STATEIMAGEMASK;
    if (rest.stateMask == 0) {
        return row < static_cast<int>(rows.size());
    }
    return CallWindowProcA(listViewOriginalProc, control, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                           reinterpret_cast<LPARAM>(&rest)) != 0;
}

}  // namespace app
