#pragma once
// A throw-away TLS identity for HTTPS tests: a fresh key and a self-signed certificate,
// a server context that presents it, and the certificate as a PEM file that a client
// can trust.

#include <string>

namespace vamu::test {

class TlsIdentity {
public:
    // `names`: the certificate's subject alternative names in OpenSSL's form.
    // Throws std::runtime_error when OpenSSL refuses a step.
    explicit TlsIdentity(const std::string& names = "IP:127.0.0.1");
    ~TlsIdentity();
    TlsIdentity(const TlsIdentity&) = delete;
    TlsIdentity& operator=(const TlsIdentity&) = delete;

    // An SSL_CTX* for RawHttpServer; owned by this object.
    [[nodiscard]] void* serverContext() const { return m_context; }
    // Path of the certificate in PEM form; removed with this object.
    [[nodiscard]] const std::string& certificateFile() const { return m_certificateFile; }

private:
    void* m_context = nullptr;
    std::string m_certificateFile;
};

}  // namespace vamu::test
