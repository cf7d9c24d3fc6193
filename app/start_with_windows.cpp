#include "app/start_with_windows.h"

#include "base/ascii.h"

namespace app {

std::vector<wchar_t> runCommand(std::wstring_view exePath) {
    std::vector<wchar_t> command;
    command.reserve(exePath.size() + sizeof kStartupSwitch + 3);
    command.push_back(L'"');
    command.insert(command.end(), exePath.begin(), exePath.end());
    command.push_back(L'"');
    command.push_back(L' ');
    for (const char* c = kStartupSwitch; *c != '\0'; ++c) {
        command.push_back(static_cast<wchar_t>(*c));
    }
    command.push_back(L'\0');
    return command;
}

bool runCommandStarts(std::wstring_view stored, std::wstring_view exePath) {
    if (exePath.empty()) {
        return false;
    }
    const std::vector<wchar_t> command = runCommand(exePath);
    return base::equalsNoCase(base::trim(stored), std::wstring_view(command.data(), command.size() - 1));
}

bool isStartupSwitch(const std::string& arguments) {
    return base::equalsNoCase(base::trim(arguments), kStartupSwitch);
}

}  // namespace app
