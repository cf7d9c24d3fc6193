#pragma once

#include <string>
#include <string_view>
#include <vector>

// Starting the program when the user signs in to Windows: a value "Quorvane" in the user's Run key
// (HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run) holding the quoted exe path and the switch
// "/startup". The settings file is read from the current folder, and a program started from the Run key has
// some other folder as its current one; on that switch the program first moves to the exe's own folder, so
// that it reads the settings file beside the exe. Started any other way it stays where it was started, as
// always. None of this is kept in the settings file: the Run key alone says whether the program starts.
namespace app {

// The name of the value in the Run key.
constexpr wchar_t kRunValueName[] = L"Quorvane";
// The switch that the Run key's command line carries.
constexpr char kStartupSwitch[] = "/startup";

// The command line stored in the Run key for the exe at `exePath`: "\"<exePath>\" /startup", with the
// terminating zero that the registry stores too.
std::vector<wchar_t> runCommand(std::wstring_view exePath);

// Whether a stored Run command starts the exe at `exePath` this way (paths compared without regard to the
// case of ASCII letters, as Windows compares them; blanks around the command ignored).
bool runCommandStarts(std::wstring_view stored, std::wstring_view exePath);

// Whether the program's command line (what follows the exe's name) is the start-up switch.
bool isStartupSwitch(const std::string& arguments);

#ifdef _WIN32
// Whether the Run key starts this very exe (a value left by a copy of the program in another folder does
// not count).
bool startsWithWindows();
// Adds (true) or removes (false) the Run key's value for this exe; false when the registry refused.
bool setStartWithWindows(bool on);
// Makes the exe's own folder the current one, so that "./Quorvane.ini" is the file beside the exe.
bool enterExeFolder();
#endif

}  // namespace app
