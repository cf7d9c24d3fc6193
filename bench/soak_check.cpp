// Runs many consecutive checks against the test peer, as the application does (one session, one worker run per
// check), and prints the process's resident memory and open file descriptors as it goes.
// Usage: soak_check [checks, default 5000] [report every, default 500]
#include <dirent.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "bench/check_runner.h"
#include "mail/check_result.h"

namespace {

long residentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, 6, "VmRSS:") == 0) {
            return std::atol(line.c_str() + 6);
        }
    }
    return -1;
}

int openDescriptors() {
    DIR* dir = opendir("/proc/self/fd");
    if (dir == nullptr) {
        return -1;
    }
    int count = 0;
    while (dirent* item = readdir(dir)) {
        count += item->d_name[0] != '.';
    }
    closedir(dir);
    return count - 1;  // the directory being read
}

}  // namespace

int main(int argc, char** argv) {
    const long checks = argc > 1 ? std::atol(argv[1]) : 5000;
    const long every = argc > 2 ? std::atol(argv[2]) : 500;
    settings::Settings settings;
    if (!bench::peerSettings(settings)) {
        std::fprintf(stderr, "QV_POP3_* not set: run under scripts/with-test-env\n");
        return 2;
    }
    bench::CheckRunner runner(settings);
    const auto start = std::chrono::steady_clock::now();
    long failures = 0, firstRss = 0, maxRss = 0;
    int firstFds = 0, maxFds = 0;
    std::printf("%8s %10s %10s %6s %9s\n", "checks", "seconds", "RSS kB", "fds", "failures");
    for (long i = 1; i <= checks; ++i) {
        const std::pair<int, long> result = runner.runOnce();
        failures += result.first != testenv::kMailWaiting && result.first != testenv::kNoMail;
        const long rss = residentKb();
        const int fds = openDescriptors();
        if (i == 1) {
            firstRss = rss;
            firstFds = fds;
            std::printf("first check: result %d %ld, %zu listed\n", result.first, result.second, runner.listed());
        }
        maxRss = rss > maxRss ? rss : maxRss;
        maxFds = fds > maxFds ? fds : maxFds;
        if (i == 1 || i % every == 0) {
            const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            std::printf("%8ld %10.1f %10ld %6d %9ld\n", i, elapsed, rss, fds, failures);
            std::fflush(stdout);
        }
    }
    std::printf(
        "after %ld checks: RSS %ld kB after the first, %ld kB at most, %ld kB at the end; open fds %d after "
        "the first, %d at most, %d at the end; %ld failed checks\n",
        checks, firstRss, maxRss, residentKb(), firstFds, maxFds, openDescriptors(), failures);
    return failures == 0 ? 0 : 1;
}
