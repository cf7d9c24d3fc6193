#pragma once

#include "tests/support/test_env.h"

#include <gtest/gtest.h>

namespace nettest {

// Tests against the harness's Dovecot that need both its plain and its TLS peers; skipped where either is missing.
class TlsPeerTest : public ::testing::Test {
protected:
    void SetUp() override {
        bool ok = false;
        peer = testenv::pop3Peer(&ok);
        if (ok) {
            tls = testenv::tlsPeers(&ok);
        }
        if (!ok) {
            GTEST_SKIP();
        }
    }

    testenv::Pop3Peer peer;
    testenv::TlsPeers tls;
};

}  // namespace nettest
