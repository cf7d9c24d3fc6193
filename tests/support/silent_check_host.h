#pragma once

#include "mail/check_host.h"

// A check host without a screen: the menu, look and status calls do nothing. Hosts that only care about what
// a check hands over and posts (benchmarks, fuzz targets) derive from it.
namespace testenv {

class SilentCheckHost : public mail::CheckHost {
public:
    void setMenuItemEnabled(int, bool) override {
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
};

}  // namespace testenv
