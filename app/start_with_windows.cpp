#include "app/start_with_windows.h"

#include "base/ascii.h"

namespace app {

std::wstring runCommand(const std::wstring& exePath) {
    std::wstring command = L"\"" + exePath + L"\" ";
    for (const char* c = kStartupSwitch; *c != '\0'; ++c) {
        command += static_cast<wchar_t>(*c);
    }
    return command;
}

bool runCommandStarts(const std::wstring& stored, const std::wstring& exePath) {
    return !exePath.empty() && base::equalsNoCase(base::trim(std::wstring_view(stored)), runCommand(exePath));
}

bool isStartupSwitch(const std::string& arguments) {
    return base::equalsNoCase(base::trim(arguments), kStartupSwitch);
}

}  // namespace app
