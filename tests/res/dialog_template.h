#pragma once

// Reads a dialog template (the classic DLGTEMPLATE form that the resource compiler writes for DIALOG) out of
// the module's resources, with its texts turned into Shift_JIS, so tests can compare them byte for byte.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace restest {

// A class, text or menu field of a template: either a name or a 16-bit ordinal.
struct NameOrOrdinal {
    bool isOrdinal = false;
    uint16_t ordinal = 0;
    std::string name;  // Shift_JIS
};

struct DialogItem {
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = 0, y = 0, width = 0, height = 0;  // dialog units
    uint16_t id = 0;
    NameOrOrdinal windowClass;
    NameOrOrdinal text;
};

struct DialogTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = 0, y = 0, width = 0, height = 0;
    NameOrOrdinal menu;
    NameOrOrdinal windowClass;
    std::string caption;   // Shift_JIS
    int pointSize = 0;     // 0 without DS_SETFONT
    std::string typeface;  // Shift_JIS
    std::vector<DialogItem> items;
};

// The dialog resource `id` of `module` in the given language. Returns false when it is missing, is not a
// classic template, or is cut short.
bool loadDialogTemplate(HMODULE module, int id, WORD language, DialogTemplate* out);

// UTF-16 to Shift_JIS (code page 932), whatever the process's ANSI code page is.
std::string toShiftJis(const std::wstring& text);

}  // namespace restest
