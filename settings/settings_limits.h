#pragma once

#include <string>

// The numbers of the settings: their defaults and the values the program can use. The loader and the settings
// dialog both judge a number here, so that the file and the dialog can never disagree about what is allowed.
namespace settings::limits {

constexpr int kDefaultHeadCount = 2;
constexpr int kDefaultTimerMin = 60;
constexpr int kDefaultPop3Port = 110;
constexpr int kDefaultTimeoutSec = 60;
constexpr int kDefaultSslMode = 0;

// The longest period a window timer holds (USER_TIMER_MAXIMUM, 0x7FFFFFFF ms); a longer one is cut by the
// system, and the period in milliseconds must fit 32 bits anyway.
constexpr unsigned kLongestTimerMs = 0x7FFFFFFFu;
constexpr int kMillisecondsPerMinute = 60000;

struct NumberRange {
    int lowest;
    int highest;
    int fallback;  // for a value that is not a number at all
    bool clamp;    // out of range: the nearest end (true) or the fallback (false, a port cannot be "nearly" right)
};

// Body lines per message: the check asks for headCount + 7 lines, which must stay far from overflowing. The file
// and the dialog take 0, which a check reads as the default (headCountForCheck).
constexpr NumberRange kHeadCountRange{0, 9999, kDefaultHeadCount, true};
// At least a minute between checks (a shorter one hammers the server), at most what the timer holds.
constexpr NumberRange kTimerMinRange{1, static_cast<int>(kLongestTimerMs / kMillisecondsPerMinute), kDefaultTimerMin,
                                     true};
constexpr NumberRange kPop3PortRange{1, 65535, kDefaultPop3Port, false};
// Seconds that connecting or one wait for data may take.
constexpr NumberRange kTimeoutSecRange{1, 3600, kDefaultTimeoutSec, true};
// How the connection is protected: 0 plain text, 1 STLS, 2 implicit TLS. There is no "nearest" mode, and any
// other value in the file is kept as kInvalidSslMode: no check connects with it, since guessing plain text
// would send the password in clear.
constexpr NumberRange kSslModeRange{0, 2, kDefaultSslMode, false};
constexpr int kInvalidSslMode = -1;

constexpr bool inRange(const NumberRange& range, int value) {
    return value >= range.lowest && value <= range.highest;
}

// The value the program uses for `value` read from the file.
constexpr int settle(const NumberRange& range, int value) {
    if (inRange(range, value)) {
        return value;
    }
    if (!range.clamp) {
        return range.fallback;
    }
    return value < range.lowest ? range.lowest : range.highest;
}

// The body lines a check asks for: a head count below 1 (0 from the file or the dialog) means the default.
constexpr int headCountForCheck(int headCount) {
    return headCount < 1 ? kHeadCountRange.fallback : headCount;
}
static_assert(headCountForCheck(kHeadCountRange.lowest) >= 1 &&
                  headCountForCheck(kHeadCountRange.lowest) <= kHeadCountRange.highest,
              "every head count the range allows gives the check a usable one");

// The check timer's period for an interval already settled by kTimerMinRange.
constexpr unsigned timerPeriodMs(int timerMin) {
    return static_cast<unsigned>(settle(kTimerMinRange, timerMin)) * static_cast<unsigned>(kMillisecondsPerMinute);
}

}  // namespace settings::limits
