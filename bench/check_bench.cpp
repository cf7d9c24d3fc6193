// A check of the test peer's mailbox (scripts/bench fills it with 1000 messages) against Python's poplib sending
// the plain commands (one TOP at a time), alternately in one run.
//   check_bench <poplib_check.py> [rounds] [first|recheck]
// "first" (the default) measures a first check: every round starts with a check that has seen nothing, so it
// fetches every message (pipelined when the server offers it). "recheck" measures the re-check of the unchanged
// mailbox by a check that has seen it: one UIDL, no TOP.
//   check_bench --floor <direct port> <round-trip ms> [rounds]
// measures the first check through the latency proxy (QV_POP3_PORT) against its round-trip floor: the same first
// check straight to the server (the server's and the client's own work) plus the round trips no client can avoid
// through the proxy (the greeting's one way, CAPA, the login, the status, the TOPs and QUIT: 5.5), in one run.
//   check_bench --scale
// checks once (the first check) and then again (the re-check), printing both times and the peak resident memory.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/check_runner.h"
#include "bench/peer_script.h"
#include "mail/check_result.h"

namespace {

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

int scale(const settings::Settings& settings) {
    bench::CheckRunner runner(settings);
    const char* names[] = {"first check", "re-check of the unchanged mailbox"};
    for (const char* name : names) {
        const auto start = std::chrono::steady_clock::now();
        const std::pair<int, long> result = runner.runOnce();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (result.first != testenv::kMailWaiting) {
            std::fprintf(stderr, "%s failed: result %d %ld\n", name, result.first, result.second);
            return 1;
        }
        std::printf("%s of %ld messages: %.3f s, peak resident memory %ld kB\n", name, result.second, seconds,
                    peakKilobytes());
    }
    return 0;
}

// The first check through the proxy against the same check straight to the server plus 5.5 round trips.
int floorRatio(settings::Settings proxied, int directPort, double roundTripMs, int rounds) {
    constexpr double kRoundTrips = 5.5;
    settings::Settings direct = proxied;
    direct.pop3Port = directPort;
    std::vector<double> through, straight;
    for (int round = 0; round <= rounds; ++round) {
        double seconds[2];
        const settings::Settings* both[2] = {&proxied, &direct};
        for (int side = 0; side < 2; ++side) {
            bench::CheckRunner runner(*both[side]);  // has seen nothing
            const auto start = std::chrono::steady_clock::now();
            const std::pair<int, long> result = runner.runOnce();
            seconds[side] = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            if (result.first != testenv::kMailWaiting) {
                std::fprintf(stderr, "round %d failed: result %d %ld\n", round, result.first, result.second);
                return 1;
            }
        }
        if (round == 0) {
            continue;  // warm-up
        }
        through.push_back(seconds[0]);
        straight.push_back(seconds[1]);
        std::printf("  round %d: through the proxy %.1f ms, straight %.1f ms\n", round, seconds[0] * 1e3,
                    seconds[1] * 1e3);
    }
    const double a = bench::median(through) * 1e3, b = bench::median(straight) * 1e3;
    const double floor = b + kRoundTrips * roundTripMs;
    std::printf(
        "first check through the proxy: %.1f ms; floor %.1f ms (straight %.1f ms + %.1f round trips of %.0f "
        "ms; medians of %d); ratio to the floor %.3f\n",
        a, floor, b, kRoundTrips, roundTripMs, rounds, a / floor);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: check_bench <poplib_check.py> [rounds] [first|recheck] | check_bench --scale\n");
        return 2;
    }
    settings::Settings settings;
    if (!bench::peerSettings(settings)) {
        std::fprintf(stderr, "QV_POP3_* not set: run under scripts/with-test-env\n");
        return 2;
    }
    if (std::string(argv[1]) == "--scale") {
        return scale(settings);
    }
    if (std::string(argv[1]) == "--floor" && argc > 3) {
        return floorRatio(settings, std::atoi(argv[2]), std::atof(argv[3]), argc > 4 ? std::atoi(argv[4]) : 5);
    }
    const std::string script = argv[1];
    const std::string peer = script.find("mpop") != std::string::npos ? "mpop" : "poplib";
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 7;
    const bool recheck = argc > 3 && std::string(argv[3]) == "recheck";
    auto runner = std::make_unique<bench::CheckRunner>(settings);

    std::vector<double> ours, theirs;
    for (int round = 0; round <= rounds; ++round) {
        if (!recheck) {
            runner = std::make_unique<bench::CheckRunner>(settings);  // has seen nothing
        }
        const auto start = std::chrono::steady_clock::now();
        const std::pair<int, long> result = runner->runOnce();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        long peerCount = 0;
        const double peerSeconds = bench::runPeerScript(script, peerCount);
        if (result.first != testenv::kMailWaiting || peerSeconds < 0 || peerCount != result.second) {
            std::fprintf(stderr, "round %d failed: result %d %ld, peer %.3f s for %ld messages\n", round, result.first,
                         result.second, peerSeconds, peerCount);
            return 1;
        }
        if (round == 0) {
            std::printf("%s of %ld messages (%zu listed); first round is a warm-up\n",
                        recheck ? "re-check" : "first check", result.second, runner->listed());
            continue;
        }
        ours.push_back(seconds);
        theirs.push_back(peerSeconds);
        std::printf("  round %d: Quorvane %.1f ms, %s %.1f ms\n", round, seconds * 1e3, peer.c_str(),
                    peerSeconds * 1e3);
    }
    const double a = bench::median(ours), b = bench::median(theirs);
    std::printf("%s: Quorvane %.1f ms, %s %.1f ms (medians of %d); ratio Quorvane/%s %.3f\n",
                recheck ? "re-check" : "first check", a * 1e3, peer.c_str(), b * 1e3, rounds, peer.c_str(), a / b);
    return 0;
}
