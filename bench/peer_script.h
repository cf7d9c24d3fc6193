#pragma once

#include <string>
#include <vector>

// What the check benchmarks share: running the Python peer and taking the median of the rounds.
namespace bench {

// Runs the poplib script with python3; its own measure of the conversation in seconds (count: the messages it
// saw), or a negative number when it failed.
double runPeerScript(const std::string& script, long& count);

// The median of the rounds' times (the upper one of an even count); the values must not be empty.
double median(std::vector<double> values);

}  // namespace bench
