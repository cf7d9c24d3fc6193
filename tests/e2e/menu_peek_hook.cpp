// A hook procedure that peek places in Quorvane's user-interface thread to read its popup menu, which lives in
// that process only. When the menu opens, the item states go to peek's receiver window as WM_COPYDATA, "id\tstate"
// lines, and the menu is closed again as soon as it waits for input.
#include <windows.h>

#include <cstddef>
#include <string>

#include "tests/e2e/menu_peek_protocol.h"

namespace {

std::string describe(HMENU menu) {
    std::string out;
    int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        MENUITEMINFOA info{};
        info.cbSize = offsetof(MENUITEMINFOA, hbmpItem);
        info.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE;
        if (!GetMenuItemInfoA(menu, position, TRUE, &info) || (info.fType & MFT_SEPARATOR)) {
            continue;
        }
        std::string state = (info.fState & MFS_GRAYED) ? "grayed" : "enabled";
        if (info.fState & MFS_CHECKED) {
            state += ",checked";
        }
        if (info.fState & MFS_DEFAULT) {
            state += ",default";
        }
        out += std::to_string(info.wID) + "\t" + state + "\n";
    }
    return out;
}

void report(HMENU menu) {
    HWND receiver = FindWindowExA(HWND_MESSAGE, nullptr, menu_peek::kReceiverClass, nullptr);
    if (receiver == nullptr) {
        return;
    }
    std::string text = describe(menu);
    COPYDATASTRUCT data{};
    data.dwData = menu_peek::kReport;
    data.cbData = static_cast<DWORD>(text.size());
    data.lpData = text.data();
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(receiver, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 5000, &ignored);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK menuPeekProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (message->message == WM_INITMENUPOPUP) {
            report(reinterpret_cast<HMENU>(message->wParam));
        } else if (message->message == WM_ENTERIDLE && message->wParam == MSGF_MENU) {
            EndMenu();
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
