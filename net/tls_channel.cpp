#include "net/tls_channel.h"

#include <cctype>

namespace net {

bool certificateAccepted(CertProblem problem, const std::string& fingerprint, const std::string& trustedFingerprint) {
    if (problem == CertProblem::None) {
        return true;
    }
    if (fingerprint.empty() || trustedFingerprint.size() != fingerprint.size()) {
        return false;
    }
    for (std::size_t i = 0; i < fingerprint.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(trustedFingerprint[i])) !=
            std::tolower(static_cast<unsigned char>(fingerprint[i]))) {
            return false;
        }
    }
    return true;
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
