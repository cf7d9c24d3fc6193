#include "app/error_texts.h"

namespace app {

namespace {

const char* const kMessages[] = {
    "メールサーバもしくはユーザーIDの設定が終わっていません\n右クリックのメニューの「設定にゃ」で設定できます",
    "ネットワークへ接続するための初期化を失敗しました\nネットワークへの接続がキャンセルされた可能性があります\n"
    "（TCP/IPソケット作成で失敗しました）",
    "メールサーバへの接続が失敗しました\n原因として、メールサーバ名が違う、もしくは\n"
    "POP3のポート番号が違う等が考えられます。(通常は 110 です)\n設定を確認してください\n"
    "また、ネットワークへの接続をしていない・切れた等の可能性があります",
    "接続が途中で切れたか、ユーザーIDが拒否されました",
    "接続が途中で切れたか、ユーザーIDもしくは、パスワードが違います",
    "メールの一覧を取得するところで、失敗しました",
    "新着メールの情報取得中に、失敗しました(メールが来ています)",
    "メールの内容を読み込み中に、切断されました(メールが来ています)",
    "APOP認証を行えません\nこのメールサーバは、APOP認証を行っていません",
    "接続が途中で切れたか、ユーザーIDもしくは、パスワードが違います\nこのメールサーバは、APOP認証を行っていないかもしれ"
    "ません",
    "メモリー不足です",
    "メールサーバが途中で返事をしてくれなくなったにゃ\n"
    "しばらく待っても応答がないので、チェックをあきらめました",
    "メールサーバとの暗号化通信（TLS）を始められなかったにゃ\n"
    "SSLの設定とポート番号を確かめてほしいにゃ\n（STLSはふつう 110 番、SSL/TLSはふつう 995 番にゃ）",
    "このメールサーバはSTLSに対応していないにゃ\n"
    "パスワードを暗号化しないで送るのは危ないから、チェックをやめたにゃ\nSSLの設定を確かめてほしいにゃ",
    nullptr,  // kErrCertUntrusted: a question, untrustedCertificateQuestion
    // kErrAuthUnavailable: worded with the method by authUnavailableMessage.
    "このメールサーバは、選んだログイン方式に対応していないにゃ\nパスワードは送っていないにゃ",
    "サインインし直してほしいにゃ\n"
    "メールサーバに入るための許可が切れたか、取り消されたにゃ\n"
    "右クリックのメニューの「設定にゃ」で「サインイン」を押してにゃ",
    "認証サーバとお話しできなかったにゃ\n"
    "ネットワークがつながっているか、認証サーバのアドレスが合っているかを確かめてほしいにゃ\n"
    "（認証サーバの証明書が信用できないときも、こうなるにゃ）",
};

const char* methodName(mail::AuthMethod method) {
    switch (method) {
        case mail::AuthMethod::Auto:
            return "自動：パスワードをそのまま送らない方式か、暗号化した接続";
        case mail::AuthMethod::User:
            return "USER/PASS";
        case mail::AuthMethod::Apop:
            return "APOP";
        case mail::AuthMethod::Plain:
            return "PLAIN";
        case mail::AuthMethod::CramMd5:
            return "CRAM-MD5";
        case mail::AuthMethod::ScramSha256:
            return "SCRAM-SHA-256";
        case mail::AuthMethod::OAuth2:
            return "OAuth 2.0（XOAUTH2・OAUTHBEARER）";
        default:
            return "";
    }
}

const char* reasonText(net::CertProblem problem) {
    switch (problem) {
        case net::CertProblem::UnknownIssuer:
            return "発行元がわからない証明書にゃ（信頼できる認証局のものではないにゃ）";
        case net::CertProblem::Expired:
            return "証明書の有効期限が切れているにゃ";
        case net::CertProblem::WrongName:
            return "証明書がこのサーバ名のものではないにゃ";
        default:
            return "証明書に問題があるにゃ";
    }
}

}  // namespace

std::string untrustedCertificateQuestion(net::CertProblem problem, const std::string& fingerprint) {
    std::string text = "メールサーバの証明書が信用できないにゃ！\n理由：";
    text += reasonText(problem);
    text += "\nSHA-256 指紋：\n";
    text += fingerprint;
    text +=
        "\n\nこのサーバでは、この証明書を信用するかにゃ？\n"
        "（「はい」で指紋を覚えて、もう一度チェックするにゃ）";
    return text;
}

std::string authUnavailableMessage(mail::AuthMethod method) {
    std::string text = "このメールサーバは、選んだログイン方式（";
    text += methodName(method);
    text += "）に対応していないにゃ\nパスワードは送っていないにゃ\n設定の「ログイン方式」を確かめてほしいにゃ";
    return text;
}

const char* errorMessage(int code) {
    if (code < 0 || code >= static_cast<int>(sizeof(kMessages) / sizeof(kMessages[0]))) {
        return nullptr;
    }
    return kMessages[code];
}

}  // namespace app
