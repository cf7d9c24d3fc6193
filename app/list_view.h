#pragma once

#include <windows.h>

#include <string>

// Small helpers over the messages of the list-view common control ("SysListView32"), as the mail list window
// uses it: a report view with check boxes whose rows carry a pointer as item data.
namespace app::list_view {

// The check box of a row, as the list view keeps it: the state image index.
enum CheckState : int {
    kNoCheckBox = 0,
    kCleared = 1,
    kTicked = 2,
};

// Inserts a column; false when the control refuses it.
bool insertColumn(HWND listView, int index, const char* header, int width, int format);
int columnWidth(HWND listView, int column);
void setColumnWidth(HWND listView, int column, int width);

int rowCount(HWND listView);
int selectedCount(HWND listView);
bool isSelected(HWND listView, int row);

std::string cellText(HWND listView, int row, int column);
// A row's item data; false when it cannot be read.
bool rowData(HWND listView, int row, LPARAM& data);
void deleteAllRows(HWND listView);

int checkState(HWND listView, int row);
void setCheckState(HWND listView, int row, int state);
// Moves the focus (the keyboard's current row) to `row`; the selection stays as it is.
void focusRow(HWND listView, int row);

void addExtendedStyle(HWND listView, DWORD style);

// A text cut to fit the control's 128-byte cell buffer: at most 127 bytes, never ending in half of a
// double-byte character.
std::string cellFit(const std::string& text);

}  // namespace app::list_view
