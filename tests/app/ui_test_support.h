#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Helpers for driving the program's windows in-process under Wine: pumping messages until something has
// happened (bounded, never a fixed sleep), answering the message boxes and dialogs that a command opens, and a
// scratch folder with a settings file.
namespace uitest {

// Registers the framework's window class and the list-view control once per process.
void prepareWindowing();

// Dispatches this thread's messages until `done` is true or `timeoutMs` has passed; returns `done()`.
// Waits for messages between checks, so it costs nothing while nothing happens.
bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);
// Dispatches the messages already waiting (and those they post in turn) until the queue is empty.
void drainMessages();

// What a dialog looked like when it appeared.
struct SeenDialog {
    std::string caption;
    std::string text;  // a message box's text (its static control 0xFFFF), else empty
};

// Answers every dialog (message box or template dialog) that this thread opens while it lives: records its
// caption and text, lets `prepare` fill it in, then presses `button`. One answerer at a time.
class DialogAnswerer {
public:
    explicit DialogAnswerer(int button, std::function<void(HWND)> prepare = nullptr);
    ~DialogAnswerer();

    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;

    // Changes the answer for the dialogs still to come.
    void answerWith(int button, std::function<void(HWND)> prepare = nullptr);
    const std::vector<SeenDialog>& seen() const {
        return dialogs;
    }

private:
    static LRESULT CALLBACK hookProc(int code, WPARAM wParam, LPARAM lParam);
    void answer(HWND dialog);

    HHOOK hook = nullptr;
    int button;
    std::function<void(HWND)> prepare;
    std::vector<SeenDialog> dialogs;
};

// Watches a window's messages while a popup menu owned by it runs: counts how often one opened, notes which menu
// it was, and closes it again as soon as it waits for input. One watcher at a time.
class PopupWatcher {
public:
    explicit PopupWatcher(HWND window);
    ~PopupWatcher();

    PopupWatcher(const PopupWatcher&) = delete;
    PopupWatcher& operator=(const PopupWatcher&) = delete;

    int timesOpened() const;
    // The menu that opened last; null before the first.
    HMENU lastMenu() const;

private:
    static LRESULT CALLBACK hookProc(int code, WPARAM wParam, LPARAM lParam);

    HHOOK hook = nullptr;
};

// A fresh folder made the current directory for the test's life, so "./Quorvane.ini" is the test's own.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();

    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // Writes one key of the SETTING section of ./Quorvane.ini.
    void setIni(const char* key, const std::string& value);
    // Writes one key of another section (a further mailbox's).
    void setIni(const char* section, const char* key, const std::string& value);
    std::string ini(const char* key) const;
    bool iniHas(const char* key) const;
    const std::string& path() const {
        return folder;
    }

private:
    std::string folder;
    std::string previous;
};

std::string windowText(HWND window);

}  // namespace uitest
