#pragma once

// Certificates made in-process for TLS tests: no files, tools or network needed.

#include "support/test_http_server.h"

#include <QByteArray>

namespace orvane::test {

struct TestCertificates
{
    QByteArray caCertificatePem; // the CA a client must trust
    TlsIdentity server;          // signed by that CA
};

// A fresh CA and a server certificate it signed for the given names (subjectAltName syntax).
TestCertificates makeCaSignedCertificates(const char *serverNames = "IP:127.0.0.1,DNS:localhost");
// A server certificate for 127.0.0.1 and localhost that signs itself.
TlsIdentity makeSelfSignedIdentity();

} // namespace orvane::test
