#pragma once

#include <windows.h>

#include <vector>

#include "framework/window_base.h"

namespace uitest {

// A stand-in for the main window in tests of the mail list window: a window owned by a hidden owner (as the
// real main window is) that records every WM_COMMAND it receives.
class CommandRecorder : public framework::WindowBase {
public:
    struct Command {
        int id;
        LPARAM lParam;
    };

    CommandRecorder();
    ~CommandRecorder() override;

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    const std::vector<Command>& commands() const {
        return received;
    }
    // How many times the command `id` arrived, and the lParam of the last one.
    int count(int id) const;
    LPARAM lastParam(int id) const;

private:
    framework::WindowBase owner;
    std::vector<Command> received;
};

}  // namespace uitest
