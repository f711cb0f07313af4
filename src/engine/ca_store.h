#pragma once

#include <QString>

typedef struct ssl_ctx_st SSL_CTX;

namespace orvane::tls {

// Loading the system's certificate bundle costs ~20 ms of CPU; curl would do it for every handle.
// Instead the bundle is parsed once per process into one read-only list of trusted certificates
// that every TLS connection verifies against.

// Uses this bundle instead of the system's (tests and benchmarks with their own CA). An empty path
// goes back to the system's bundle. Takes effect for connections made after the call.
void setCaBundleFile(const QString &path);
// The bundle in use: the one set above, else the one libcurl was built to use (empty if none).
QString caBundleFile();

// Off: every handle loads the bundle itself, as plain curl does (benchmark comparison only).
void setSharedStoreEnabled(bool enabled);
bool sharedStoreEnabled();

// True when libcurl's TLS backend is OpenSSL, the only one whose contexts the store fits into.
bool sharedStoreSupported();

// Makes a new SSL context verify peers against the shared certificates, loading the bundle on
// first use (and again when the bundle file was changed); true when it did, false if the bundle
// cannot be read. Thread-safe.
bool installSharedStore(SSL_CTX *context);

} // namespace orvane::tls
