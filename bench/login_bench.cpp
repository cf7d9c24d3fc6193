// Each login of the POP3 session against Dovecot through the latency proxy: its time over the round-trip time gives
// the round trips it takes, set against the fewest the mechanism allows. Then whole sign-ins through the fake
// authorization server, with a loopback browser. Never pass/fail: it prints what it measured.
//   login_bench <rounds> <round-trip ms>   (the harness's QV_POP3_* point at the proxy; QV_OAUTH_* at the server)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "net/pop3_session.h"
#include "oauth/sign_in.h"
#include "tests/support/loopback_tcp.h"
#include "tests/support/oauth_tokens.h"
#include "tests/support/test_env.h"

namespace {

using Clock = std::chrono::steady_clock;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Login {
    const char* name;
    int fewest;  // round trips the mechanism needs at best
    std::function<bool(net::Pop3Session&, const testenv::Pop3Peer&, const std::string& token)> run;
};

bool sasl(net::Pop3Session& session,
          net::SaslMechanism mechanism,
          const std::string& user,
          const std::string& secret,
          const testenv::Pop3Peer& peer) {
    net::SaslExchange exchange(mechanism, {user, secret, peer.host, peer.port}, "benchnonce0123456789abcd");
    return session.authenticate(exchange) == net::SaslResult::LoggedIn;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 7;
    const double rttMs = argc > 2 ? std::atof(argv[2]) : 20;
    bool ok = false;
    const testenv::Pop3Peer peer = testenv::pop3Peer(&ok);
    if (!ok) {
        return 1;
    }
    const std::string token = testenv::signInAtFakeServer().access;
    const std::vector<Login> logins = {
        {"USER/PASS, one at a time", 2,
         [](net::Pop3Session& s, const testenv::Pop3Peer& p, const std::string&) {
             return s.sendUser(p.user) && s.sendPass(p.pass);
         }},
        {"APOP", 1,
         [](net::Pop3Session& s, const testenv::Pop3Peer& p, const std::string&) {
             return s.apop(p.user, p.pass) == net::ApopResult::LoggedIn;
         }},
        {"AUTH PLAIN (initial response)", 1,
         [](net::Pop3Session& s, const testenv::Pop3Peer& p, const std::string&) {
             return sasl(s, net::SaslMechanism::Plain, p.user, p.pass, p);
         }},
        {"AUTH LOGIN", 3,
         [](net::Pop3Session& s, const testenv::Pop3Peer& p, const std::string&) {
             return sasl(s, net::SaslMechanism::Login, p.user, p.pass, p);
         }},
        {"AUTH CRAM-MD5", 2,
         [](net::Pop3Session& s, const testenv::Pop3Peer& p, const std::string&) {
             return sasl(s, net::SaslMechanism::CramMd5, p.user, p.pass, p);
         }},
        {"AUTH SCRAM-SHA-256 (initial response)", 3,
         [](net::Pop3Session& s, const testenv::Pop3Peer& p, const std::string&) {
             return sasl(s, net::SaslMechanism::ScramSha256, p.user, p.pass, p);
         }},
        {"AUTH XOAUTH2 (initial response)", 1,
         [](net::Pop3Session& s, const testenv::Pop3Peer& p, const std::string& t) {
             return sasl(s, net::SaslMechanism::XOAuth2, p.user, t, p);
         }},
        {"AUTH OAUTHBEARER (initial response)", 1,
         [](net::Pop3Session& s, const testenv::Pop3Peer& p, const std::string& t) {
             return sasl(s, net::SaslMechanism::OAuthBearer, p.user, t, p);
         }},
    };
    std::printf("%-40s %10s %12s %8s\n", "login", "median ms", "round trips", "fewest");
    for (const Login& login : logins) {
        std::vector<double> times;
        for (int round = 0; round < rounds; ++round) {
            net::Pop3Session session{net::kAfInet};
            if (!session.create(net::kSockStream, 0) || session.open(peer.host.c_str(), peer.port) == nullptr) {
                return 1;
            }
            const auto start = Clock::now();
            const bool in = login.run(session, peer, token);
            times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            if (!in) {
                std::printf("%s: refused\n", login.name);
                return 1;
            }
            session.command("QUIT");
        }
        const double ms = median(times);
        std::printf("%-40s %10.1f %12.1f %8d\n", login.name, ms, ms / rttMs, login.fewest);
    }

    // Whole sign-ins: listener, the browser's two requests over loopback, the code exchanged over HTTPS.
    const std::string server = testenv::env("QV_OAUTH_URL"), browserSide = testenv::env("QV_OAUTH_BROWSER_URL");
    const int browserPort = std::stoi(browserSide.substr(browserSide.rfind(':') + 1));
    testenv::loopback::startup();
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        const auto start = Clock::now();
        oauth::SignInRequest request;
        request.provider.authorizeUrl = browserSide + "/authorize";
        request.provider.tokenUrl = server + "/token";
        request.provider.scope = "pop";
        request.clientId = "quorvane-test";
        request.timeoutMs = 20000;
        request.donePage = "done";
        request.failedPage = "failed";
        oauth::SignIn signIn(std::move(request));
        if (!signIn.start()) {
            return 1;
        }
        const int listenerPort = std::stoi(signIn.url().substr(signIn.url().find("127.0.0.1%3A") + 12));
        std::thread browser([&] {
            const std::string page =
                testenv::browse(browserPort, "GET " + signIn.url().substr(browserSide.size()) + " HTTP/1.0\r\n\r\n");
            const std::size_t pathAt = page.find('/', page.find("Location: http://") + 17);
            testenv::browse(listenerPort,
                            "GET " + page.substr(pathAt, page.find("\r\n", pathAt) - pathAt) + " HTTP/1.1\r\n\r\n");
        });
        const oauth::SignInResult result = signIn.finish();
        browser.join();
        if (result.failure != oauth::SignInFailure::None) {
            std::printf("sign-in failed\n");
            return 1;
        }
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    testenv::loopback::cleanup();
    std::printf("sign-in through the fake authorization server (loopback, HTTPS token endpoint): median %.1f ms\n",
                median(times));
    return 0;
}
