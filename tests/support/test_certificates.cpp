#include "support/test_certificates.h"

#include <memory>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <stdexcept>

namespace orvane::test {

namespace {

using Key = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using Certificate = std::unique_ptr<X509, decltype(&X509_free)>;

void check(bool ok, const char *what)
{
    if (!ok) {
        throw std::runtime_error(std::string("test certificates: ") + what);
    }
}

Key newKey()
{
    // EC keys are generated in well under a millisecond; RSA would slow every TLS test.
    Key key(EVP_EC_gen("P-256"), EVP_PKEY_free);
    check(key != nullptr, "key generation failed");
    return key;
}

void addExtension(X509 *certificate, X509 *issuer, int nid, const char *value)
{
    X509V3_CTX context;
    X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
    X509_EXTENSION *extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    check(extension != nullptr, "bad extension");
    X509_add_ext(certificate, extension, -1);
    X509_EXTENSION_free(extension);
}

// Signed by issuerKey; issuer == nullptr makes it sign itself.
Certificate makeCertificate(EVP_PKEY *key, const char *commonName, bool isCa, X509 *issuer,
                            EVP_PKEY *issuerKey, long serial,
                            const char *names = "IP:127.0.0.1,DNS:localhost")
{
    Certificate certificate(X509_new(), X509_free);
    check(certificate != nullptr, "X509_new failed");
    X509 *cert = certificate.get();
    X509_set_version(cert, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert), serial);
    X509_gmtime_adj(X509_getm_notBefore(cert), -3600);
    X509_gmtime_adj(X509_getm_notAfter(cert), 7L * 24 * 3600);
    X509_set_pubkey(cert, key);
    X509_NAME *name = X509_get_subject_name(cert);
    X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char *>("Orvane tests"), -1, -1, 0);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char *>(commonName), -1, -1, 0);
    X509 *signer = issuer != nullptr ? issuer : cert;
    X509_set_issuer_name(cert, X509_get_subject_name(signer));
    addExtension(cert, signer, NID_subject_key_identifier, "hash");
    addExtension(cert, signer, NID_authority_key_identifier, "keyid:always");
    if (isCa) {
        addExtension(cert, signer, NID_basic_constraints, "critical,CA:TRUE");
        addExtension(cert, signer, NID_key_usage, "critical,keyCertSign,cRLSign");
    } else {
        addExtension(cert, signer, NID_basic_constraints, "critical,CA:FALSE");
        addExtension(cert, signer, NID_key_usage, "critical,digitalSignature");
        addExtension(cert, signer, NID_ext_key_usage, "serverAuth");
        addExtension(cert, signer, NID_subject_alt_name, names);
    }
    check(X509_sign(cert, issuerKey, EVP_sha256()) > 0, "signing failed");
    return certificate;
}

template <typename Write> QByteArray toPem(Write write)
{
    BIO *bio = BIO_new(BIO_s_mem());
    check(bio != nullptr && write(bio) == 1, "PEM encoding failed");
    char *data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    QByteArray pem(data, size);
    BIO_free(bio);
    return pem;
}

QByteArray certificatePem(X509 *certificate)
{
    return toPem([certificate](BIO *bio) { return PEM_write_bio_X509(bio, certificate); });
}

QByteArray keyPem(EVP_PKEY *key)
{
    return toPem([key](BIO *bio) {
        return PEM_write_bio_PrivateKey(bio, key, nullptr, nullptr, 0, nullptr, nullptr);
    });
}

} // namespace

TestCertificates makeCaSignedCertificates(const char *serverNames)
{
    Key caKey = newKey();
    Certificate ca = makeCertificate(caKey.get(), "Orvane test CA", true, nullptr, caKey.get(), 1);
    Key serverKey = newKey();
    Certificate server =
        makeCertificate(serverKey.get(), "server", false, ca.get(), caKey.get(), 2, serverNames);
    return {certificatePem(ca.get()), {certificatePem(server.get()), keyPem(serverKey.get())}};
}

TlsIdentity makeSelfSignedIdentity()
{
    Key key = newKey();
    Certificate certificate = makeCertificate(key.get(), "127.0.0.1", false, nullptr, key.get(), 3);
    return {certificatePem(certificate.get()), keyPem(key.get())};
}

} // namespace orvane::test
