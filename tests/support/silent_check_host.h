#pragma once

#include "mail/check_host.h"

// A check host without a screen: the start, end, look and status calls do nothing, and the result comes to one
// call. Hosts that only care about what a check hands over and tells (benchmarks, fuzz targets) derive from it.
namespace testenv {

// A check's result as such hosts keep it; 0 stands for none.
enum CheckResult : int {
    kNoMail = 1,
    kMailWaiting = 2,  // with the count of mails waiting
    kFailed = 3,       // with the error code
};

class SilentCheckHost : public mail::CheckHost {
public:
    void checkStarted() override {
    }
    void showChecking() override {
    }
    void showIdle() override {
    }
    void setStatusText(const char*) override {
    }
    void clearStartedByTimer() override {
    }
    void noteUntrustedCertificate(const mail::UntrustedCertificate&) override {
    }
    void reportDeletionRefused() override {
    }
    void tokensRenewed(const std::string&, long long, const std::string&) override {
    }
    void noMail() override {
        result(kNoMail, 0);
    }
    void mailWaiting(int count) override {
        result(kMailWaiting, count);
    }
    void checkFailed(int errorCode) override {
        result(kFailed, errorCode);
    }
    void checkEnded() override {
    }

protected:
    virtual void result(int, long) {
    }
};

}  // namespace testenv
