#include "app/list_view.h"

#include <commctrl.h>

#include "base/shift_jis.h"

namespace app::list_view {

namespace {

constexpr size_t kCellBuffer = 128;

}  // namespace

bool insertColumn(HWND listView, int index, const char* header, int width, int format) {
    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = format;
    column.cx = width;
    column.pszText = const_cast<char*>(header);
    column.iSubItem = index;
    return SendMessageA(listView, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column)) != -1;
}

int columnWidth(HWND listView, int column) {
    return static_cast<int>(SendMessageA(listView, LVM_GETCOLUMNWIDTH, column, 0));
}

void setColumnWidth(HWND listView, int column, int width) {
    SendMessageA(listView, LVM_SETCOLUMNWIDTH, column, MAKELPARAM(width, 0));
}

int rowCount(HWND listView) {
    return static_cast<int>(SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0));
}

int selectedCount(HWND listView) {
    return static_cast<int>(SendMessageA(listView, LVM_GETSELECTEDCOUNT, 0, 0));
}

bool isSelected(HWND listView, int row) {
    return (SendMessageA(listView, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

std::string cellText(HWND listView, int row, int column) {
    char buffer[kCellBuffer] = {};
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = sizeof buffer;
    SendMessageA(listView, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return buffer;
}

bool rowData(HWND listView, int row, LPARAM& data) {
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageA(listView, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) {
        return false;
    }
    data = item.lParam;
    return true;
}

void deleteAllRows(HWND listView) {
    SendMessageA(listView, LVM_DELETEALLITEMS, 0, 0);
}

int checkState(HWND listView, int row) {
    auto state = SendMessageA(listView, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK);
    return static_cast<int>((state & LVIS_STATEIMAGEMASK) >> 12);
}

void setCheckState(HWND listView, int row, int state) {
    LVITEMA item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(state);
    SendMessageA(listView, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

void focusRow(HWND listView, int row) {
    LVITEMA item{};
    item.stateMask = LVIS_FOCUSED;
    item.state = LVIS_FOCUSED;
    SendMessageA(listView, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

void addExtendedStyle(HWND listView, DWORD style) {
    auto current = static_cast<DWORD>(SendMessageA(listView, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    SendMessageA(listView, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, current | style);
}

std::string cellFit(const std::string& text) {
    // Whole characters only: a double-byte character is never cut in half.
    return std::string(base::cutAtCharacter(text, kCellBuffer - 1));
}

}  // namespace app::list_view
