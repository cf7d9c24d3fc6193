#include "app/sign_in_dialog.h"

#include <shellapi.h>

#include <utility>

#include "res/resource_ids.h"

namespace app {

namespace {

// The worker's "finish returned", posted to the dialog.
constexpr UINT kSignInEnded = WM_APP + 1;
// How long the browser may take.
constexpr int kSignInTimeoutMs = 5 * 60 * 1000;

constexpr char kDonePage[] =
    "<!DOCTYPE html><html><head><meta charset=\"Shift_JIS\"><title>Quorvane</title></head>"
    "<body><p>サインインできたにゃ。このウィンドウは閉じてOKにゃ</p></body></html>";
constexpr char kFailedPage[] =
    "<!DOCTYPE html><html><head><meta charset=\"Shift_JIS\"><title>Quorvane</title></head>"
    "<body><p>サインインできなかったにゃ…</p></body></html>";

}  // namespace

const char* signInFailureText(oauth::SignInFailure failure) {
    using oauth::SignInFailure;
    switch (failure) {
        case SignInFailure::None:
        case SignInFailure::Cancelled:
            return nullptr;
        case SignInFailure::NoListener:
            return "サインインの準備ができなかったにゃ…\nもういちど「サインイン」を押してにゃ";
        case SignInFailure::TimedOut:
            return "5分まってもブラウザから戻ってこなかったにゃ…\nもういちど「サインイン」を押してにゃ";
        case SignInFailure::Denied:
            return "サインインをことわられたにゃ…\nブラウザで許可しなかったか、クライアントIDがちがうみたいです";
        case SignInFailure::BadRedirect:
            return "ブラウザから変な返事がきたにゃ…\nあぶないので、サインインはやめたにゃ";
        case SignInFailure::TokenRefused:
            return "トークンをもらえなかったにゃ…\nクライアントIDとシークレットをたしかめてにゃ";
        case SignInFailure::TokenUnreachable:
            return "トークンのサーバにつながらなかったにゃ…\nネットワークとトークンURLをたしかめてにゃ";
        case SignInFailure::TokenUntrusted:
            return "トークンのサーバの証明書が信用できないにゃ…\nあぶないので、サインインはやめたにゃ";
        case SignInFailure::TokenNotAnAnswer:
            return "トークンのサーバの返事が読めなかったにゃ…\nトークンURLをたしかめてにゃ";
    }
    return nullptr;
}

oauth::SignInResult SignInDialog::run(HWND owner, oauth::SignInRequest request) {
    request.donePage = kDonePage;
    request.failedPage = kFailedPage;
    request.timeoutMs = kSignInTimeoutMs;
    oauth::SignIn session(std::move(request));
    if (!session.start()) {
        return session.finish();  // says why
    }
    ShellExecuteA(owner, "open", session.url().c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    signIn = &session;
    result = oauth::SignInResult{};
    Open(true, IDD_SIGN_IN, owner, nullptr);
    waitForWorker();  // the dialog could not be made, or ended without the worker
    signIn = nullptr;
    return std::move(result);
}

void SignInDialog::waitForWorker() {
    if (worker.joinable()) {
        signIn->cancel();
        worker.join();
    }
}

LRESULT SignInDialog::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_INITDIALOG: {
            SetDlgItemTextA(hwnd, IDC_SIGN_IN_URL, signIn->url().c_str());
            HWND dialog = hwnd;
            oauth::SignIn* session = signIn;
            worker = std::thread([this, dialog, session] {
                result = session->finish();
                PostMessageA(dialog, kSignInEnded, 0, 0);
            });
            return TRUE;
        }
        case kSignInEnded:
            if (worker.joinable()) {
                worker.join();
            }
            EndDialog(hwnd, 1);
            return TRUE;
        case WM_COMMAND:
            if (wParam == IDCANCEL) {
                waitForWorker();
                EndDialog(hwnd, 0);
                return TRUE;
            }
            break;
        default:
            break;
    }
    return DialogBase::WindowProc(msg, wParam, lParam);
}

}  // namespace app
