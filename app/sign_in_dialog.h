#pragma once

#include <windows.h>

#include <thread>

#include "framework/dialog_base.h"
#include "oauth/sign_in.h"

namespace app {

// One OAuth 2.0 sign-in as the user sees it: the authorization page opened in the browser, and the modal dialog
// (template 112) with the same address to copy and a cancel button while a worker waits for the browser.
//
//     SignInDialog dialog;
//     oauth::SignInResult result = dialog.run(settingsDialog, request);
class SignInDialog : public framework::DialogBase {
public:
    // Fills in the pages for the browser and the time-out, then runs the sign-in; returns once the browser came
    // back, the time ran out or the user cancelled (Cancelled).
    oauth::SignInResult run(HWND owner, oauth::SignInRequest request);

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void waitForWorker();

    oauth::SignIn* signIn = nullptr;
    oauth::SignInResult result;
    std::thread worker;
};

// What the box says after a sign-in that failed; nothing for one the user cancelled (or that did not fail).
const char* signInFailureText(oauth::SignInFailure failure);

}  // namespace app
