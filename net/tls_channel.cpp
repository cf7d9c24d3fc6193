#include "net/tls_channel.h"

#include "base/ascii.h"

namespace net {

bool certificateAccepted(CertProblem problem, const std::string& fingerprint, const std::string& trustedFingerprint) {
    if (problem == CertProblem::None) {
        return true;
    }
    return !fingerprint.empty() && base::equalsNoCase(trustedFingerprint, fingerprint);
}

bool isAddressLiteral(const std::string& name) {
    if (name.find(':') != std::string::npos) {
        return true;
    }
    for (char c : name) {
        if (!(c == '.' || (c >= '0' && c <= '9'))) {
            return false;
        }
    }
    return !name.empty();
}

}  // namespace net
