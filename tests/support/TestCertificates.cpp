#include "support/TestCertificates.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <atomic>
#include <stdexcept>

namespace {

void Check(bool ok, const char* what)
{
    if (!ok)
        throw std::runtime_error(std::string("test certificate: ") + what);
}

std::shared_ptr<EVP_PKEY> NewKey()
{
    // Elliptic-curve keys take a moment where RSA keys take a good part of a second.
    EVP_PKEY* key = EVP_EC_gen("P-256");
    Check(key != nullptr, "key generation");
    return {key, EVP_PKEY_free};
}

void AddExtension(X509* certificate, X509* issuer, int nid, const char* value)
{
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    Check(extension != nullptr, "extension");
    X509_add_ext(certificate, extension, -1);
    X509_EXTENSION_free(extension);
}

// A certificate for `subject` and `key`, signed by `issuerKey`; a null issuer signs it itself.
std::shared_ptr<X509> NewCertificate(
    const std::string& subject, EVP_PKEY* key, X509* issuer, EVP_PKEY* issuerKey, bool authority)
{
    static std::atomic<long> serial{1};
    std::shared_ptr<X509> certificate(X509_new(), X509_free);
    X509* c = certificate.get();
    Check(c != nullptr, "allocation");
    X509_set_version(c, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(c), serial++);
    X509_gmtime_adj(X509_getm_notBefore(c), -3600);
    X509_gmtime_adj(X509_getm_notAfter(c), 24 * 3600);
    X509_set_pubkey(c, key);
    X509_NAME* name = X509_get_subject_name(c);
    X509_NAME_add_entry_by_txt(
        name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(subject.c_str()), -1, -1, 0);
    X509_set_issuer_name(c, issuer ? X509_get_subject_name(issuer) : name);
    X509* signer = issuer ? issuer : c;
    if (authority) {
        AddExtension(c, signer, NID_basic_constraints, "critical,CA:TRUE");
        AddExtension(c, signer, NID_key_usage, "critical,keyCertSign,cRLSign");
    } else {
        AddExtension(c, signer, NID_basic_constraints, "critical,CA:FALSE");
        AddExtension(c, signer, NID_ext_key_usage, "serverAuth");
        AddExtension(c, signer, NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost");
    }
    AddExtension(c, signer, NID_subject_key_identifier, "hash");
    Check(X509_sign(c, issuerKey, EVP_sha256()) > 0, "signature");
    return certificate;
}

} // namespace

TestCertificateAuthority::TestCertificateAuthority(const std::string& name)
{
    own_.key = NewKey();
    own_.certificate = NewCertificate(name, own_.key.get(), nullptr, own_.key.get(), true);
}

std::string TestCertificateAuthority::CertificatePem() const
{
    BIO* memory = BIO_new(BIO_s_mem());
    Check(memory != nullptr && PEM_write_bio_X509(memory, own_.certificate.get()) == 1, "PEM");
    char* data = nullptr;
    const long size = BIO_get_mem_data(memory, &data);
    std::string pem(data, static_cast<std::size_t>(size));
    BIO_free(memory);
    return pem;
}

TlsIdentity TestCertificateAuthority::IssueServerIdentity() const
{
    TlsIdentity server;
    server.key = NewKey();
    server.certificate = NewCertificate("127.0.0.1", server.key.get(), own_.certificate.get(), own_.key.get(), false);
    return server;
}
