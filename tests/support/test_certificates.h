#pragma once

// Certificates made in-process for TLS tests: no files, tools or network needed.

#include "support/test_http_server.h"

#include <QByteArray>

namespace orvane::test {

struct TestCertificates
{
    QByteArray caCertificatePem; // the CA a client must trust
    TlsIdentity server;          // signed by that CA, for 127.0.0.1 and localhost
};

// A fresh CA and a server certificate it signed.
TestCertificates makeCaSignedCertificates();
// A server certificate for 127.0.0.1 and localhost that signs itself.
TlsIdentity makeSelfSignedIdentity();

} // namespace orvane::test
