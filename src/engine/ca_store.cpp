#include "engine/ca_store.h"

#include <atomic>
#include <cstring>
#include <curl/curl.h>
#include <memory>
#include <mutex>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>
#include <vector>

namespace orvane::tls {

namespace {

std::atomic<bool> g_sharedStoreEnabled{true};

// The certificates of one bundle, parsed once. Never changed or freed after loading: contexts made
// earlier may still verify against an older list after the bundle was switched.
struct TrustList
{
    QString bundle;
    STACK_OF(X509) *certificates = nullptr;
};

std::mutex g_mutex;
QString g_bundleOverride;             // guarded by g_mutex
const TrustList *g_current = nullptr; // guarded by g_mutex
// Never destroyed, not even at exit: a worker still verifying then must not find it freed.
auto *const g_lists = new std::vector<std::unique_ptr<TrustList>>; // guarded by g_mutex

QString defaultBundle()
{
    const curl_version_info_data *info = curl_version_info(CURLVERSION_NOW);
    return info != nullptr && info->cainfo != nullptr ? QString::fromLocal8Bit(info->cainfo)
                                                      : QString();
}

STACK_OF(X509) * loadCertificates(const QString &bundle)
{
    if (bundle.isEmpty()) {
        return nullptr;
    }
    // The store's loader reads exactly what curl would read from the same file.
    X509_STORE *store = X509_STORE_new();
    if (store == nullptr) {
        return nullptr;
    }
    STACK_OF(X509) *certificates = nullptr;
    if (X509_STORE_load_file(store, bundle.toLocal8Bit().constData()) == 1) {
        certificates = sk_X509_new_null();
        const STACK_OF(X509_OBJECT) *objects = X509_STORE_get0_objects(store);
        for (int i = 0; certificates != nullptr && i < sk_X509_OBJECT_num(objects); ++i) {
            X509 *certificate = X509_OBJECT_get0_X509(sk_X509_OBJECT_value(objects, i));
            if (certificate != nullptr && X509_up_ref(certificate) == 1 &&
                sk_X509_push(certificates, certificate) <= 0) {
                X509_free(certificate);
            }
        }
    }
    X509_STORE_free(store);
    if (certificates != nullptr && sk_X509_num(certificates) == 0) {
        sk_X509_free(certificates);
        certificates = nullptr;
    }
    return certificates;
}

// Replaces OpenSSL's chain verification for one handshake: the same verification, with the shared
// certificates as trust anchors. The list is only read, so any number of handshakes can use it.
// (curl sets flags on the context's own store after our context callback, so a store shared
// between contexts would be written to by every connection.)
int verifyWithSharedTrust(X509_STORE_CTX *context, void *certificates)
{
    X509_STORE_CTX_set0_trusted_stack(context, static_cast<STACK_OF(X509) *>(certificates));
    return X509_verify_cert(context);
}

} // namespace

void setCaBundleFile(const QString &path)
{
    std::lock_guard lock(g_mutex);
    g_bundleOverride = path;
}

QString caBundleFile()
{
    {
        std::lock_guard lock(g_mutex);
        if (!g_bundleOverride.isEmpty()) {
            return g_bundleOverride;
        }
    }
    return defaultBundle();
}

void setSharedStoreEnabled(bool enabled)
{
    g_sharedStoreEnabled.store(enabled);
}

bool sharedStoreEnabled()
{
    return g_sharedStoreEnabled.load();
}

bool sharedStoreSupported()
{
    // A store built by our OpenSSL only fits contexts made by the same library.
    static const bool supported = [] {
        const curl_version_info_data *info = curl_version_info(CURLVERSION_NOW);
        return info != nullptr && info->ssl_version != nullptr &&
               std::strncmp(info->ssl_version, "OpenSSL/", 8) == 0;
    }();
    return supported;
}

bool installSharedStore(SSL_CTX *context)
{
    if (context == nullptr) {
        return false;
    }
    const QString bundle = caBundleFile();
    const TrustList *trust = nullptr;
    {
        std::lock_guard lock(g_mutex);
        if (g_current == nullptr || g_current->bundle != bundle) {
            auto list = std::make_unique<TrustList>();
            list->bundle = bundle;
            list->certificates = loadCertificates(bundle);
            g_current = list.get();
            g_lists->push_back(std::move(list));
        }
        trust = g_current;
    }
    if (trust->certificates == nullptr) {
        return false;
    }
    SSL_CTX_set_cert_verify_callback(context, verifyWithSharedTrust, trust->certificates);
    return true;
}

} // namespace orvane::tls
