// The Run key and the exe's folder, through the wide-character calls: the exe may sit in a folder whose name
// has characters outside code page 932.
#include <windows.h>

#include <string_view>
#include <vector>

#include "app/start_with_windows.h"

namespace app {

namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The exe's full path with its terminating zero; empty when Windows cannot tell it.
std::vector<wchar_t> exePath() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length + 1);
            return path;
        }
        path.resize(path.size() * 2);  // cut short: try again with more room
    }
}

std::wstring_view textOf(const std::vector<wchar_t>& path) {
    return path.empty() ? std::wstring_view() : std::wstring_view(path.data(), path.size() - 1);
}

}  // namespace

bool startsWithWindows() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return false;
    }
    DWORD type = 0;
    DWORD bytes = 0;
    std::vector<wchar_t> stored;
    if (RegQueryValueExW(key, kRunValueName, nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ) && bytes > 0) {
        std::vector<wchar_t> value(bytes / sizeof(wchar_t) + 1, L'\0');
        if (RegQueryValueExW(key, kRunValueName, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &bytes) ==
            ERROR_SUCCESS) {
            stored.swap(value);
        }
    }
    RegCloseKey(key);
    return runCommandStarts(stored.empty() ? std::wstring_view() : std::wstring_view(stored.data()), textOf(exePath()));
}

bool setStartWithWindows(bool on) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return false;
    }
    LONG result = ERROR_SUCCESS;
    if (on) {
        const std::vector<wchar_t> path = exePath();
        const std::vector<wchar_t> command = runCommand(textOf(path));
        result = path.empty()
                     ? ERROR_FILE_NOT_FOUND
                     : RegSetValueExW(key, kRunValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.data()),
                                      static_cast<DWORD>(command.size() * sizeof(wchar_t)));
    } else {
        result = RegDeleteValueW(key, kRunValueName);
        if (result == ERROR_FILE_NOT_FOUND) {
            result = ERROR_SUCCESS;  // nothing to remove
        }
    }
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool enterExeFolder() {
    std::vector<wchar_t> path = exePath();
    const size_t slash = textOf(path).find_last_of(L"\\/");
    if (slash == std::wstring_view::npos) {
        return false;
    }
    // A drive's root keeps its backslash ("C:\"); "C:" alone would mean that drive's current folder.
    path[slash == 2 && path[1] == L':' ? 3 : slash] = L'\0';
    return SetCurrentDirectoryW(path.data()) != FALSE;
}

}  // namespace app
