#pragma once

#include <windows.h>

#include <optional>
#include <string>

// The "Quorvane" value of the user's Run key, read and written directly (not through the program's code), and a
// guard that puts back whatever was there before the test.
namespace settings_test {

std::optional<std::wstring> readRunValue();
void writeRunValue(const std::wstring& command);
void deleteRunValue();
std::wstring thisExePath();

class RunValueGuard {
public:
    RunValueGuard();
    ~RunValueGuard();
    RunValueGuard(const RunValueGuard&) = delete;
    RunValueGuard& operator=(const RunValueGuard&) = delete;

private:
    std::optional<std::wstring> saved;
};

}  // namespace settings_test
