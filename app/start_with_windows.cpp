#include "app/start_with_windows.h"

namespace settings {

namespace {

template <typename Char>
std::basic_string_view<Char> trimmed(std::basic_string_view<Char> text) {
    const auto blank = [](Char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

template <typename Char>
Char asciiLower(Char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<Char>(c - 'A' + 'a') : c;
}

template <typename Char>
bool sameIgnoringAsciiCase(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
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
    return sameIgnoringAsciiCase(trimmed(stored), std::wstring_view(command.data(), command.size() - 1));
}

bool isStartupSwitch(const std::string& arguments) {
    return sameIgnoringAsciiCase(trimmed(std::string_view(arguments)), std::string_view(kStartupSwitch));
}

}  // namespace settings
