// A full check of the test peer's mailbox (scripts/bench fills it with 1000 messages) against Python's poplib
// sending the same commands, alternately in one run. Usage: check_bench <poplib_check.py> [rounds]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/check_runner.h"
#include "mail/check_result.h"

namespace {

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Runs the poplib script; its own measure of the conversation, or a negative number when it failed.
double runPeer(const std::string& script, long& count) {
    const std::string command = "python3 " + script;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return -1;
    }
    double seconds = -1;
    if (std::fscanf(pipe, "%lf %ld", &seconds, &count) != 2) {
        seconds = -1;
    }
    return pclose(pipe) == 0 ? seconds : -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: check_bench <poplib_check.py> [rounds]\n");
        return 2;
    }
    const std::string script = argv[1];
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 7;
    Settings settings;
    if (!bench::peerSettings(settings)) {
        std::fprintf(stderr, "QV_POP3_* not set: run under scripts/with-test-env\n");
        return 2;
    }
    bench::CheckRunner runner(settings);

    std::vector<double> ours, theirs;
    for (int round = 0; round <= rounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        const std::pair<int, long> result = runner.runOnce();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        long peerCount = 0;
        const double peerSeconds = runPeer(script, peerCount);
        if (result.first != mail::kCmdMailWaiting || peerSeconds < 0 || peerCount != result.second) {
            std::fprintf(stderr, "round %d failed: result %d %ld, peer %.3f s for %ld messages\n", round, result.first,
                         result.second, peerSeconds, peerCount);
            return 1;
        }
        if (round == 0) {
            std::printf("check of %ld messages (%zu listed); first round is a warm-up\n", result.second,
                        runner.listed());
            continue;
        }
        ours.push_back(seconds);
        theirs.push_back(peerSeconds);
        std::printf("  round %d: Quorvane %.1f ms, poplib %.1f ms\n", round, seconds * 1e3, peerSeconds * 1e3);
    }
    const double a = median(ours), b = median(theirs);
    std::printf("full check: Quorvane %.1f ms, Python poplib %.1f ms (medians of %d); ratio Quorvane/poplib %.2f\n",
                a * 1e3, b * 1e3, rounds, a / b);
    return 0;
}
