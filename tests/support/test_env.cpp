#include "tests/support/test_env.h"

#include <gtest/gtest.h>

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
