#include "tests/support/test_env.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>

namespace testenv {

std::string env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string hostPath(const std::string& unixPath) {
#ifdef _WIN32
    // Wine maps the Unix root to drive Z:.
    std::string path = "Z:" + unixPath;
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return path;
#else
    return unixPath;
#endif
}

int TlsPeers::scriptedPort(const char* scenario) const {
    std::string name = "QV_TLS_PEER_";
    for (const char* c = scenario; *c; ++c) {
        name += static_cast<char>(std::toupper(static_cast<unsigned char>(*c)));
    }
    return std::atoi(env(name.c_str()).c_str());
}

TlsPeers tlsPeers(bool* ok) {
    TlsPeers peers;
    peers.stlsPort = std::atoi(env("QV_POP3_STLS_PORT").c_str());
    peers.implicitPort = std::atoi(env("QV_POP3S_PORT").c_str());
    peers.goodHost = env("QV_TLS_HOST_GOOD");
    peers.otherNameHost = env("QV_TLS_HOST_OTHERNAME");
    peers.expiredHost = env("QV_TLS_HOST_EXPIRED");
    peers.selfSignedHost = env("QV_TLS_HOST_SELFSIGNED");
    peers.goodFingerprint = env("QV_TLS_FPR_GOOD");
    peers.otherNameFingerprint = env("QV_TLS_FPR_OTHERNAME");
    peers.expiredFingerprint = env("QV_TLS_FPR_EXPIRED");
    peers.selfSignedFingerprint = env("QV_TLS_FPR_SELFSIGNED");
    bool complete = peers.stlsPort > 0 && peers.implicitPort > 0 && !peers.goodHost.empty() &&
                    peers.goodFingerprint.size() == 64 && peers.scriptedPort("plain") > 0;
    if (!complete) {
        ADD_FAILURE() << "No TLS test peers: run the tests through scripts/with-test-env (or scripts/test)";
    }
    if (ok) {
        *ok = complete;
    }
    return peers;
}

Pop3Peer pop3Peer(bool* ok) {
    Pop3Peer peer;
    peer.host = env("QV_POP3_HOST");
    peer.port = std::atoi(env("QV_POP3_PORT").c_str());
    peer.user = env("QV_POP3_USER");
    peer.pass = env("QV_POP3_PASS");
    peer.maildir = hostPath(env("QV_MAILDIR"));
    peer.samplesDir = hostPath(env("QV_SAMPLES_DIR"));
    bool complete = !peer.host.empty() && peer.port > 0 && !peer.user.empty() && !env("QV_MAILDIR").empty();
    if (!complete) {
        ADD_FAILURE() << "No POP3 test peer: run the tests through scripts/with-test-env (or scripts/test)";
    }
    if (ok) {
        *ok = complete;
    }
    return peer;
}

}  // namespace testenv
