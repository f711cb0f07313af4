#pragma once

#include <QString>

typedef struct ssl_ctx_st SSL_CTX;

namespace orvane::tls {

// Loading the system's certificate bundle costs ~20 ms of CPU; curl would do it for every handle.
// Instead the bundle is parsed once per process into one read-only X509_STORE that every TLS
// connection shares.

// Uses this bundle instead of the system's (tests and benchmarks with their own CA). Call before
// the first HTTPS fetch.
void setCaBundleFile(const QString &path);
QString caBundleFile();

// Off: every handle loads the bundle itself, as plain curl does (benchmark comparison only).
void setSharedStoreEnabled(bool enabled);
bool sharedStoreEnabled();

// Installs the shared store into a new SSL context; true when it did. Thread-safe.
bool installSharedStore(SSL_CTX *context);

} // namespace orvane::tls
