#include "net/tls_channel.h"

#include "net/sha256.h"

#define SECURITY_WIN32
#include <windows.h>

#include <schannel.h>
#include <security.h>
#include <sspi.h>
#include <wincrypt.h>

#include <cstring>
#include <string>
#include <vector>

// Schannel through SSPI. The channel reads and writes the raw socket itself, so the socket layer's time-outs
// and stops reach the handshake and every record. The certificate is checked here, not by Schannel: Windows'
// chain engine with the SSL policy for the server name, and any error status of the chain (a partial chain
// among them, which the SSL policy alone lets pass on some systems) means the certificate is not trusted.
namespace net {

namespace {

constexpr int kRawChunk = 16 * 1024 + 512;
constexpr DWORD kContextFlags = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                                ISC_REQ_EXTENDED_ERROR | ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM |
                                ISC_REQ_MANUAL_CRED_VALIDATION;

// The text in UTF-16 with its terminating zero (just the zero when it cannot be converted).
std::vector<wchar_t> wide(const std::string& text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::vector<wchar_t> result(length > 0 ? static_cast<std::size_t>(length) : 1, L'\0');
    if (length > 0) {
        MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, result.data(), length);
    }
    return result;
}

CertProblem judge(DWORD chainErrors, DWORD policyError) {
    if ((chainErrors & CERT_TRUST_IS_NOT_TIME_VALID) != 0 || policyError == static_cast<DWORD>(CERT_E_EXPIRED)) {
        return CertProblem::Expired;
    }
    if ((chainErrors & (CERT_TRUST_IS_UNTRUSTED_ROOT | CERT_TRUST_IS_PARTIAL_CHAIN)) != 0 ||
        policyError == static_cast<DWORD>(CERT_E_UNTRUSTEDROOT) || policyError == static_cast<DWORD>(CERT_E_CHAINING)) {
        return CertProblem::UnknownIssuer;
    }
    if (chainErrors != 0) {
        return CertProblem::Invalid;
    }
    if (policyError == static_cast<DWORD>(CERT_E_CN_NO_MATCH)) {
        return CertProblem::WrongName;
    }
    return policyError == 0 ? CertProblem::None : CertProblem::Invalid;
}

CertProblem checkCertificate(PCCERT_CONTEXT certificate, const std::string& serverName) {
    char serverAuth[] = szOID_PKIX_KP_SERVER_AUTH;
    LPSTR usages[] = {serverAuth};
    CERT_CHAIN_PARA chainPara;
    std::memset(&chainPara, 0, sizeof chainPara);
    chainPara.cbSize = sizeof chainPara;
    chainPara.RequestedUsage.dwType = USAGE_MATCH_TYPE_OR;
    chainPara.RequestedUsage.Usage.cUsageIdentifier = 1;
    chainPara.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    if (!CertGetCertificateChain(nullptr, certificate, nullptr, certificate->hCertStore, &chainPara, 0, nullptr,
                                 &chain)) {
        return CertProblem::Invalid;
    }
    std::vector<wchar_t> name = wide(serverName);
    HTTPSPolicyCallbackData https;
    std::memset(&https, 0, sizeof https);
    https.cbStruct = sizeof https;
    https.dwAuthType = AUTHTYPE_SERVER;
    https.pwszServerName = name.data();
    CERT_CHAIN_POLICY_PARA policyPara;
    std::memset(&policyPara, 0, sizeof policyPara);
    policyPara.cbSize = sizeof policyPara;
    policyPara.pvExtraPolicyPara = &https;
    CERT_CHAIN_POLICY_STATUS status;
    std::memset(&status, 0, sizeof status);
    status.cbSize = sizeof status;
    DWORD policyError = static_cast<DWORD>(CERT_E_UNTRUSTEDROOT);
    if (CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policyPara, &status)) {
        policyError = status.dwError;
    }
    DWORD chainErrors = chain->TrustStatus.dwErrorStatus;
    CertFreeCertificateChain(chain);
    return judge(chainErrors, policyError);
}

class SchannelChannel : public TlsChannel {
public:
    explicit SchannelChannel(TlsTransport& transport) : transport(transport), raw(kRawChunk) {
        SecInvalidateHandle(&credentials);
        SecInvalidateHandle(&context);
    }

    ~SchannelChannel() override {
        if (haveContext) {
            DeleteSecurityContext(&context);
        }
        if (haveCredentials) {
            FreeCredentialsHandle(&credentials);
        }
    }

    SchannelChannel(const SchannelChannel&) = delete;
    SchannelChannel& operator=(const SchannelChannel&) = delete;

    TlsResult handshake(const std::string& serverName, const std::string& trustedFingerprint) override {
        TlsResult result;
        if (!acquireCredentials()) {
            return result;
        }
        // Numeric addresses are not sent as the server name indication.
        if (!isAddressLiteral(serverName)) {
            target = serverName;
        }
        if (!negotiate(false) || QueryContextAttributesA(&context, SECPKG_ATTR_STREAM_SIZES, &sizes) != SEC_E_OK) {
            return result;
        }
        PCCERT_CONTEXT certificate = nullptr;
        if (QueryContextAttributesA(&context, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &certificate) != SEC_E_OK ||
            certificate == nullptr) {
            return result;
        }
        result.fingerprint = sha256Hex(certificate->pbCertEncoded, certificate->cbCertEncoded);
        result.problem = checkCertificate(certificate, serverName);
        CertFreeCertificateContext(certificate);
        result.status = certificateAccepted(result.problem, result.fingerprint, trustedFingerprint)
                            ? TlsStatus::Ok
                            : TlsStatus::Untrusted;
        return result;
    }

    int receive(char* buffer, int size) override {
        for (;;) {
            if (plainPos < plain.size()) {
                int count = static_cast<int>(plain.size() - plainPos);
                if (count > size) {
                    count = size;
                }
                std::memcpy(buffer, plain.data() + plainPos, static_cast<std::size_t>(count));
                plainPos += static_cast<std::size_t>(count);
                return count;
            }
            if (ended) {
                return 0;
            }
            if (!incoming.empty()) {
                int decrypted = decrypt();
                if (decrypted < 0) {
                    return -1;
                }
                if (decrypted > 0) {
                    continue;  // a record came out (possibly empty, or the end): look again
                }
            }
            // Needs more bytes for a whole record.
            int count = transport.rawReceive(raw.data(), static_cast<int>(raw.size()));
            if (count <= 0) {
                // Between records the end of the stream ends the session; inside a record it is an error.
                return count == 0 && incoming.empty() ? 0 : -1;
            }
            incoming.insert(incoming.end(), raw.data(), raw.data() + count);
        }
    }

    int send(const char* data, int length) override {
        int sent = 0;
        while (sent < length) {
            DWORD part = static_cast<DWORD>(length - sent);
            if (part > sizes.cbMaximumMessage) {
                part = sizes.cbMaximumMessage;
            }
            std::vector<char> record(sizes.cbHeader + part + sizes.cbTrailer);
            std::memcpy(record.data() + sizes.cbHeader, data + sent, part);
            SecBuffer buffers[4];
            buffers[0] = {sizes.cbHeader, SECBUFFER_STREAM_HEADER, record.data()};
            buffers[1] = {part, SECBUFFER_DATA, record.data() + sizes.cbHeader};
            buffers[2] = {sizes.cbTrailer, SECBUFFER_STREAM_TRAILER, record.data() + sizes.cbHeader + part};
            buffers[3] = {0, SECBUFFER_EMPTY, nullptr};
            SecBufferDesc description = {SECBUFFER_VERSION, 4, buffers};
            if (EncryptMessage(&context, 0, &description, 0) != SEC_E_OK) {
                return -1;
            }
            int total = static_cast<int>(buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer);
            if (!sendAll(record.data(), total)) {
                return -1;
            }
            sent += static_cast<int>(part);
        }
        return length;
    }

private:
    bool acquireCredentials() {
        // TLS 1.2 and 1.3 where the system offers 1.3; a system that refuses the newer protocol gets 1.2 alone.
        for (DWORD protocols : {static_cast<DWORD>(SP_PROT_TLS1_2_CLIENT | SP_PROT_TLS1_3_CLIENT),
                                static_cast<DWORD>(SP_PROT_TLS1_2_CLIENT)}) {
            SCHANNEL_CRED schannel;
            std::memset(&schannel, 0, sizeof schannel);
            schannel.dwVersion = SCHANNEL_CRED_VERSION;
            schannel.grbitEnabledProtocols = protocols;
            schannel.dwFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS;
            TimeStamp expiry;
            char package[] = UNISP_NAME_A;
            if (AcquireCredentialsHandleA(nullptr, package, SECPKG_CRED_OUTBOUND, nullptr, &schannel, nullptr, nullptr,
                                          &credentials, &expiry) == SEC_E_OK) {
                haveCredentials = true;
                return true;
            }
        }
        return false;
    }

    bool sendAll(const char* data, int length) {
        for (int sent = 0; sent < length;) {
            int step = transport.rawSend(data + sent, length - sent);
            if (step <= 0) {
                return false;
            }
            sent += step;
        }
        return true;
    }

    // Sends an output token and releases it; false when sending failed.
    bool sendToken(SecBuffer& token) {
        bool ok = true;
        if (token.pvBuffer != nullptr) {
            if (token.cbBuffer > 0) {
                ok = sendAll(static_cast<const char*>(token.pvBuffer), static_cast<int>(token.cbBuffer));
            }
            FreeContextBuffer(token.pvBuffer);
            token.pvBuffer = nullptr;
        }
        return ok;
    }

    // Keeps the bytes that followed the consumed ones (an EXTRA buffer), or none.
    void keepExtra(const SecBuffer& extra) {
        if (extra.BufferType == SECBUFFER_EXTRA && extra.cbBuffer > 0 && extra.cbBuffer <= incoming.size()) {
            incoming.erase(incoming.begin(), incoming.end() - extra.cbBuffer);
        } else {
            incoming.clear();
        }
    }

    // The handshake, from its start or (renegotiating) with the bytes already in `incoming`.
    bool negotiate(bool renegotiating) {
        SEC_CHAR* name = target.empty() ? nullptr : const_cast<SEC_CHAR*>(target.c_str());
        DWORD outFlags = 0;
        SECURITY_STATUS status = SEC_I_CONTINUE_NEEDED;
        if (!renegotiating) {
            SecBuffer out = {0, SECBUFFER_TOKEN, nullptr};
            SecBufferDesc outDescription = {SECBUFFER_VERSION, 1, &out};
            status = InitializeSecurityContextA(&credentials, nullptr, name, kContextFlags, 0, 0, nullptr, 0, &context,
                                                &outDescription, &outFlags, nullptr);
            if (status != SEC_I_CONTINUE_NEEDED) {
                return false;
            }
            haveContext = true;
            if (!sendToken(out)) {
                return false;
            }
        }
        // Renegotiating, the client speaks first (its new hello answers the server's request), so the context is
        // asked before anything more is read.
        bool needMore = !renegotiating;
        DWORD requested = kContextFlags;
        for (;;) {
            if (needMore) {
                int count = transport.rawReceive(raw.data(), static_cast<int>(raw.size()));
                if (count <= 0) {
                    return false;
                }
                incoming.insert(incoming.end(), raw.data(), raw.data() + count);
            }
            SecBuffer in[2];
            in[0] = {static_cast<unsigned long>(incoming.size()), SECBUFFER_TOKEN, incoming.data()};
            in[1] = {0, SECBUFFER_EMPTY, nullptr};
            SecBufferDesc inDescription = {SECBUFFER_VERSION, 2, in};
            SecBuffer out = {0, SECBUFFER_TOKEN, nullptr};
            SecBufferDesc outDescription = {SECBUFFER_VERSION, 1, &out};
            status = InitializeSecurityContextA(&credentials, &context, name, requested, 0, 0, &inDescription, 0,
                                                nullptr, &outDescription, &outFlags, nullptr);
            if (status == SEC_E_INCOMPLETE_MESSAGE) {
                if (!sendToken(out)) {
                    return false;
                }
                needMore = true;
                continue;
            }
            if (!sendToken(out)) {
                return false;
            }
            if (FAILED(status)) {
                return false;
            }
            if (status == SEC_I_INCOMPLETE_CREDENTIALS) {
                // The server asked for a client certificate, which this program never has. The same input is
                // handed in again, now asking to go on with the credentials as they are: the handshake then
                // answers with no certificate, and a server for which one is optional carries on.
                if ((requested & ISC_REQ_USE_SUPPLIED_CREDS) != 0) {
                    return false;
                }
                requested |= ISC_REQ_USE_SUPPLIED_CREDS;
                needMore = false;
                continue;
            }
            keepExtra(in[1]);
            if (status == SEC_E_OK) {
                return true;
            }
            // SEC_I_CONTINUE_NEEDED: go on, with the bytes left over if there are any.
            needMore = incoming.empty();
        }
    }

    // Decrypts the next record in `incoming`: 1 when a record was consumed, 0 when more bytes are needed,
    // -1 on error.
    int decrypt() {
        SecBuffer buffers[4];
        buffers[0] = {static_cast<unsigned long>(incoming.size()), SECBUFFER_DATA, incoming.data()};
        buffers[1] = {0, SECBUFFER_EMPTY, nullptr};
        buffers[2] = {0, SECBUFFER_EMPTY, nullptr};
        buffers[3] = {0, SECBUFFER_EMPTY, nullptr};
        SecBufferDesc description = {SECBUFFER_VERSION, 4, buffers};
        SECURITY_STATUS status = DecryptMessage(&context, &description, 0, nullptr);
        if (status == SEC_E_INCOMPLETE_MESSAGE) {
            return 0;
        }
        if (status != SEC_E_OK && status != SEC_I_RENEGOTIATE && status != SEC_I_CONTEXT_EXPIRED) {
            return -1;
        }
        plain.clear();
        plainPos = 0;
        SecBuffer extra = {0, SECBUFFER_EMPTY, nullptr};
        for (const SecBuffer& buffer : buffers) {
            if (buffer.BufferType == SECBUFFER_DATA && buffer.cbBuffer > 0) {
                plain.assign(static_cast<const char*>(buffer.pvBuffer), buffer.cbBuffer);
            } else if (buffer.BufferType == SECBUFFER_EXTRA) {
                extra = buffer;
            }
        }
        keepExtra(extra);
        if (status == SEC_I_CONTEXT_EXPIRED) {
            ended = true;  // close-notify: the server ended the session
        } else if (status == SEC_I_RENEGOTIATE && !negotiate(true)) {
            return -1;
        }
        return 1;
    }

    TlsTransport& transport;
    std::vector<char> raw;
    CredHandle credentials;
    CtxtHandle context;
    bool haveCredentials = false;
    bool haveContext = false;
    std::string target;
    SecPkgContext_StreamSizes sizes{};
    std::vector<char> incoming;  // received bytes not yet decrypted
    std::string plain;           // decrypted bytes not yet handed out
    std::size_t plainPos = 0;
    bool ended = false;
};

}  // namespace

std::unique_ptr<TlsChannel> makeTlsChannel(TlsTransport& transport) {
    return std::make_unique<SchannelChannel>(transport);
}

}  // namespace net
