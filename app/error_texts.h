#pragma once

#include <string>

#include "mail/auth_method.h"
#include "net/tls_channel.h"

// What the user reads when a check fails (Shift_JIS).
namespace app {

// The message box text of a mail::ErrorCode, or nullptr for a code that has none: a code the error handler
// ignores (outside 0..17), or kErrCertUntrusted, whose question untrustedCertificateQuestion words.
const char* errorMessage(int code);

// The box for kErrAuthUnavailable, naming the login method the user chose.
std::string authUnavailableMessage(mail::AuthMethod method);

// Told once when the file's protected password or sign-in cannot be opened by this user on this computer.
inline constexpr char kProtectedPassUnreadable[] =
    "保存されていた暗号化パスワードを開けなかったにゃ\n"
    "（別のパソコンか別のユーザーで保存された設定ファイルみたいにゃ）\n"
    "パスワードを入れ直してほしいにゃ";
inline constexpr char kRefreshTokenUnreadable[] =
    "保存されていたサインインの情報を開けなかったにゃ\n"
    "（別のパソコンか別のユーザーで保存された設定ファイルみたいにゃ）\n"
    "右クリックのメニューの「設定にゃ」で、サインインし直してほしいにゃ";

// The question for an untrusted certificate: the reason, the SHA-256 fingerprint and whether to trust this
// certificate for this server (Shift_JIS, for a Yes/No message box).
std::string untrustedCertificateQuestion(net::CertProblem problem, const std::string& fingerprint);

}  // namespace app
