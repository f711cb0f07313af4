#include "engine/ca_store.h"

#include <atomic>
#include <cstring>
#include <curl/curl.h>
#include <mutex>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>

namespace orvane::tls {

namespace {

std::atomic<bool> g_sharedStoreEnabled{true};

std::mutex g_mutex;
QString g_bundleOverride;      // guarded by g_mutex
X509_STORE *g_store = nullptr; // guarded by g_mutex; read-only once loaded
QString g_storeBundle;         // the bundle g_store was loaded from; guarded by g_mutex

QString defaultBundle()
{
    const curl_version_info_data *info = curl_version_info(CURLVERSION_NOW);
    return info != nullptr && info->cainfo != nullptr ? QString::fromLocal8Bit(info->cainfo)
                                                      : QString();
}

X509_STORE *loadStore(const QString &bundle)
{
    if (bundle.isEmpty()) {
        return nullptr;
    }
    X509_STORE *store = X509_STORE_new();
    if (store == nullptr) {
        return nullptr;
    }
    if (X509_STORE_load_file(store, bundle.toLocal8Bit().constData()) != 1) {
        X509_STORE_free(store);
        return nullptr;
    }
    // What curl sets on the store it fills itself, so verification behaves the same with ours.
    X509_STORE_set_flags(store, X509_V_FLAG_TRUSTED_FIRST | X509_V_FLAG_PARTIAL_CHAIN);
    return store;
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
    std::lock_guard lock(g_mutex);
    if (g_store == nullptr || g_storeBundle != bundle) {
        // Contexts still using the old store hold their own reference to it.
        X509_STORE_free(g_store);
        g_store = loadStore(bundle);
        g_storeBundle = bundle;
    }
    if (g_store == nullptr) {
        return false;
    }
    SSL_CTX_set1_cert_store(context, g_store);
    return true;
}

} // namespace orvane::tls
