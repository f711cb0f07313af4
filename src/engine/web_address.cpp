#include "engine/web_address.h"

#include <curl/curl.h>

namespace orvane {

namespace {

class ParsedUrl
{
public:
    explicit ParsedUrl(const QByteArray &url) : m_handle(curl_url())
    {
        m_ok = m_handle != nullptr &&
               curl_url_set(m_handle, CURLUPART_URL, url.constData(), 0) == CURLUE_OK;
    }
    ~ParsedUrl() { curl_url_cleanup(m_handle); }
    ParsedUrl(const ParsedUrl &) = delete;
    ParsedUrl &operator=(const ParsedUrl &) = delete;

    bool ok() const { return m_ok; }
    QByteArray part(CURLUPart which, unsigned int flags = 0) const
    {
        char *value = nullptr;
        if (!m_ok || curl_url_get(m_handle, which, &value, flags) != CURLUE_OK) {
            return {};
        }
        QByteArray result(value);
        curl_free(value);
        return result;
    }

private:
    CURLU *m_handle;
    bool m_ok = false;
};

} // namespace

QByteArray siteOf(const QByteArray &url)
{
    const ParsedUrl parsed(url);
    const QByteArray host = parsed.part(CURLUPART_HOST);
    if (host.isEmpty()) {
        return {};
    }
    QByteArray site = parsed.part(CURLUPART_SCHEME).toLower();
    site += "://";
    site += host.toLower();
    site += ':';
    site += parsed.part(CURLUPART_PORT, CURLU_DEFAULT_PORT);
    return site;
}

QByteArray pathAndQueryOf(const QByteArray &url)
{
    const ParsedUrl parsed(url);
    QByteArray path = parsed.part(CURLUPART_PATH);
    if (path.isEmpty()) {
        path = QByteArrayLiteral("/");
    }
    const QByteArray query = parsed.part(CURLUPART_QUERY);
    if (!query.isEmpty()) {
        path += '?';
        path += query;
    }
    return path;
}

} // namespace orvane
