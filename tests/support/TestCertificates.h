#pragma once

// A certificate authority made afresh for one test, and the server certificates it signs, so a
// loopback HTTPS server can be trusted (or not) without any file from outside the test.

#include <memory>
#include <string>

struct evp_pkey_st;
struct x509_st;

// What a TLS server presents: its certificate and private key.
struct TlsIdentity {
    std::shared_ptr<x509_st> certificate;
    std::shared_ptr<evp_pkey_st> key;
};

class TestCertificateAuthority {
public:
    explicit TestCertificateAuthority(const std::string& name);

    // The authority's own certificate, PEM-encoded: what a client that trusts it is given.
    std::string CertificatePem() const;
    // A certificate for 127.0.0.1 and localhost, signed by this authority.
    TlsIdentity IssueServerIdentity() const;

private:
    TlsIdentity own_;
};
