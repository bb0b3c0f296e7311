#include "support/tls_identity.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>

namespace vamu::test {
namespace {

struct KeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct CertificateFree {
    void operator()(X509* certificate) const { X509_free(certificate); }
};
struct ContextFree {
    void operator()(SSL_CTX* context) const { SSL_CTX_free(context); }
};
struct FileClose {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

void require(bool ok, const char* step) {
    if (!ok) {
        throw std::runtime_error(std::string("TLS identity: ") + step + " failed");
    }
}

void addExtension(X509* certificate, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    require(extension != nullptr, "extension");
    const int added = X509_add_ext(certificate, extension, -1);
    X509_EXTENSION_free(extension);
    require(added == 1, "adding an extension");
}

}  // namespace

TlsIdentity::TlsIdentity(const std::string& names) {
    std::unique_ptr<EVP_PKEY, KeyFree> key(EVP_EC_gen("P-256"));
    require(key != nullptr, "key generation");

    std::unique_ptr<X509, CertificateFree> certificate(X509_new());
    require(certificate != nullptr, "certificate");
    X509* cert = certificate.get();
    require(X509_set_version(cert, 2) == 1, "version");
    require(ASN1_INTEGER_set(X509_get_serialNumber(cert), 1) == 1, "serial number");
    require(X509_gmtime_adj(X509_getm_notBefore(cert), -3600) != nullptr, "start of validity");
    require(X509_gmtime_adj(X509_getm_notAfter(cert), 24 * 3600) != nullptr, "end of validity");
    require(X509_set_pubkey(cert, key.get()) == 1, "public key");
    X509_NAME* name = X509_get_subject_name(cert);
    require(X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("vamu test"),
                                       -1, -1, 0) == 1,
            "subject");
    require(X509_set_issuer_name(cert, name) == 1, "issuer");
    addExtension(cert, NID_basic_constraints, "critical,CA:TRUE");
    addExtension(cert, NID_subject_alt_name, names.c_str());
    require(X509_sign(cert, key.get(), EVP_sha256()) > 0, "signing");

    std::unique_ptr<SSL_CTX, ContextFree> context(SSL_CTX_new(TLS_server_method()));
    require(context != nullptr, "server context");
    require(SSL_CTX_use_certificate(context.get(), cert) == 1 && SSL_CTX_use_PrivateKey(context.get(), key.get()) == 1,
            "server identity");

    static std::atomic<int> counter{0};
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("vamu-test-cert-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + ".pem"))
                                 .string();
    std::unique_ptr<std::FILE, FileClose> file(std::fopen(path.c_str(), "w"));
    require(file != nullptr && PEM_write_X509(file.get(), cert) == 1 && std::fflush(file.get()) == 0,
            "writing the certificate");
    m_certificateFile = path;
    m_context = context.release();
}

TlsIdentity::~TlsIdentity() {
    SSL_CTX_free(static_cast<SSL_CTX*>(m_context));
    std::error_code ignored;
    std::filesystem::remove(m_certificateFile, ignored);
}

}  // namespace vamu::test
