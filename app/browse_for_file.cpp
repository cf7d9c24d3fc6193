#include <windows.h>

#include <commdlg.h>

#include <cstddef>
#include <string>
#include <vector>

#include "app/settings_dialog.h"

namespace app {

namespace {

// The picker may change the current directory; the settings file is named relative to it.
class CurrentDirectoryKeeper {
public:
    CurrentDirectoryKeeper() {
        DWORD size = GetCurrentDirectoryA(0, nullptr);
        if (size == 0) {
            return;
        }
        saved.resize(size);
        DWORD length = GetCurrentDirectoryA(size, saved.data());
        if (length == 0 || length >= size) {
            saved.clear();
        }
    }
    ~CurrentDirectoryKeeper() {
        if (!saved.empty()) {
            SetCurrentDirectoryA(saved.data());
        }
    }

    CurrentDirectoryKeeper(const CurrentDirectoryKeeper&) = delete;
    CurrentDirectoryKeeper& operator=(const CurrentDirectoryKeeper&) = delete;

private:
    std::vector<char> saved;
};

// The structure without the later extension fields (OPENFILENAME_SIZE_VERSION_400A), which every version of
// the picker accepts.
constexpr DWORD kVersion4Size = offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(OPENFILENAMEA::lpTemplateName);
static_assert(kVersion4Size == 76, "the version 4 structure is 76 bytes");

}  // namespace

std::string browseForFile(HWND owner, const char* title, const char* filter, const char* defaultExtension) {
    CurrentDirectoryKeeper keeper;
    char file[260] = "";
    OPENFILENAMEA request{};
    request.lStructSize = kVersion4Size;
    request.hwndOwner = owner;
    request.hInstance = GetModuleHandleA(nullptr);
    request.lpstrFilter = filter;
    request.nFilterIndex = 1;
    request.lpstrFile = file;
    request.nMaxFile = sizeof(file) - 1;
    request.lpstrInitialDir = "\\";  // the root of the current drive
    request.lpstrTitle = title;
    request.Flags = OFN_HIDEREADONLY | OFN_LONGNAMES;
    request.lpstrDefExt = defaultExtension;
    if (!GetOpenFileNameA(&request)) {
        return std::string();
    }
    return file;
}

}  // namespace app
