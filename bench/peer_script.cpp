#include "bench/peer_script.h"

#include <algorithm>
#include <cstdio>

namespace bench {

double runPeerScript(const std::string& script, long& count) {
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

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace bench
