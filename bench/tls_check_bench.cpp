// The first (full) check of the test peer's mailbox over implicit TLS, against the same check in plain text and against
// Python's poplib.POP3_SSL sending the same commands, in turns within one run.
// Usage: tls_check_bench <poplib_ssl_check.py> [rounds]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/check_runner.h"
#include "bench/peer_script.h"
#include "mail/check_result.h"

namespace {

// One check; its seconds, or a negative number when it did not find the mail.
double timeCheck(bench::CheckRunner& runner, long& count) {
    const auto start = std::chrono::steady_clock::now();
    const std::pair<int, long> result = runner.runOnce();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    count = result.second;
    return result.first == testenv::kMailWaiting ? seconds : -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: tls_check_bench <poplib_ssl_check.py> [rounds]\n");
        return 2;
    }
    const std::string script = argv[1];
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 7;
    settings::Settings plain;
    const char* tlsHost = std::getenv("QV_TLS_HOST_GOOD");
    const char* tlsPort = std::getenv("QV_POP3S_PORT");
    if (!bench::peerSettings(plain) || tlsHost == nullptr || tlsPort == nullptr) {
        std::fprintf(stderr, "QV_POP3_* / QV_TLS_* not set: run under the test environment\n");
        return 2;
    }
    settings::Settings secure = plain;
    secure.server = tlsHost;
    secure.pop3Port = std::atoi(tlsPort);
    secure.sslMode = mail::kSslImplicit;
    std::vector<double> plainTimes, tlsTimes, peerTimes;
    for (int round = 0; round <= rounds; ++round) {
        // New runners every round: each check has seen nothing and fetches every message, as poplib does.
        bench::CheckRunner plainRunner(plain);
        bench::CheckRunner tlsRunner(secure);
        long plainCount = 0, tlsCount = 0, peerCount = 0;
        const double p = timeCheck(plainRunner, plainCount);
        const double t = timeCheck(tlsRunner, tlsCount);
        const double s = bench::runPeerScript(script, peerCount);
        if (p < 0 || t < 0 || s < 0 || plainCount != tlsCount || peerCount != tlsCount) {
            std::fprintf(stderr, "round %d failed: plain %.3f s (%ld), TLS %.3f s (%ld), POP3_SSL %.3f s (%ld)\n",
                         round, p, plainCount, t, tlsCount, s, peerCount);
            return 1;
        }
        if (round == 0) {
            std::printf("check of %ld messages; first round is a warm-up\n", tlsCount);
            continue;
        }
        plainTimes.push_back(p);
        tlsTimes.push_back(t);
        peerTimes.push_back(s);
        std::printf("  round %d: plain %.1f ms, implicit TLS %.1f ms, POP3_SSL %.1f ms\n", round, p * 1e3, t * 1e3,
                    s * 1e3);
    }
    const double p = bench::median(plainTimes), t = bench::median(tlsTimes), s = bench::median(peerTimes);
    std::printf(
        "full check over implicit TLS: Quorvane %.1f ms, plain %.1f ms, Python POP3_SSL %.1f ms (medians of %d)\n",
        t * 1e3, p * 1e3, s * 1e3, rounds);
    std::printf("ratio TLS/plain %.2f (target <= 1.30); ratio Quorvane TLS/POP3_SSL %.2f (target < 1)\n", t / p, t / s);
    return 0;
}
