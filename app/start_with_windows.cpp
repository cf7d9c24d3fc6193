#include "app/start_with_windows.h"

namespace app {

namespace {

std::string trimmed(const std::string& text) {
    const char* blanks = " \t\r\n";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::wstring trimmed(const std::wstring& text) {
    const wchar_t* blanks = L" \t\r\n";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::wstring::npos) {
        return L"";
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

wchar_t asciiLower(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

template <typename Text>
bool sameIgnoringAsciiCase(const Text& a, const Text& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::wstring runCommand(const std::wstring& exePath) {
    std::wstring command = L"\"" + exePath + L"\" ";
    for (const char* c = kStartupSwitch; *c != '\0'; ++c) {
        command += static_cast<wchar_t>(*c);
    }
    return command;
}

bool runCommandStarts(const std::wstring& stored, const std::wstring& exePath) {
    return !exePath.empty() && sameIgnoringAsciiCase(trimmed(stored), runCommand(exePath));
}

bool isStartupSwitch(const std::string& arguments) {
    return sameIgnoringAsciiCase(trimmed(arguments), std::string(kStartupSwitch));
}

}  // namespace app
