#pragma once

#include <string>

// Where the tests find the real POP3 peer that the harness (scripts/with-test-env) started.
// The harness exports QV_POP3_HOST, QV_POP3_PORT, QV_POP3_USER, QV_POP3_PASS, QV_MAILDIR and
// QV_SAMPLES_DIR; under Wine the Unix environment is inherited as it is.
namespace testenv {

struct Pop3Peer {
    std::string host;
    int port = 0;
    std::string user;
    std::string pass;
    std::string maildir;     // the mailbox's maildir, as a path this process can open
    std::string samplesDir;  // generated sample messages (*.eml), as a path this process can open
};

// The peer from the environment; fails the calling test (ADD_FAILURE) when the harness is missing.
// `ok` tells whether the environment was complete.
Pop3Peer pop3Peer(bool* ok = nullptr);

// The TLS side of the harness (QV_TLS_*, QV_POP3_STLS_PORT, QV_POP3S_PORT): Dovecot with STLS and POP3S,
// one local address per certificate, and the scripted TLS peer's ports by scenario.
struct TlsPeers {
    int stlsPort = 0;      // Dovecot: plain port that offers STLS
    int implicitPort = 0;  // Dovecot: POP3S
    std::string goodHost, otherNameHost, expiredHost, selfSignedHost;
    std::string goodFingerprint, otherNameFingerprint, expiredFingerprint, selfSignedFingerprint;
    // The scripted TLS peer (tests/support/tls/tls_peer.py): "plain", "split", "huge", "closemid",
    // "closenotify", "hang", "hangmid", "renegotiate", "renegotiatemid", "drip", "dripstls", "dripgreeting",
    // "clientcert".
    int scriptedPort(const char* scenario) const;
};

// The TLS peers from the environment; fails the calling test when the harness did not start them.
TlsPeers tlsPeers(bool* ok = nullptr);

// A Unix path as this process opens it: unchanged natively, "Z:\..." under Wine.
std::string hostPath(const std::string& unixPath);

// The value of an environment variable, or the empty string.
std::string env(const char* name);

}  // namespace testenv
