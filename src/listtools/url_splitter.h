#pragma once

#include <QString>

namespace orvane {

// Splits a web address into its parts by plain text search. It validates nothing, decodes nothing,
// keeps letter case and never fails; the only rewriting is backslashes into slashes after the
// scheme. One instance can be reused: every split resets all parts.
class UrlSplitter
{
public:
    enum class IPVersionKind { IPv4, IPv6 };

    explicit UrlSplitter(const QString &address = {});

    void setURI(const QString &address);

    const QString &Document() const { return m_document; }
    const QString &Protocol() const { return m_protocol; }
    const QString &URI() const { return m_uri; }
    const QString &Port() const { return m_port; }
    const QString &Path() const { return m_path; }
    const QString &Host() const { return m_host; }
    const QString &Bookmark() const { return m_bookmark; }
    const QString &Username() const { return m_username; }
    const QString &Password() const { return m_password; }
    const QString &Params() const { return m_params; }
    IPVersionKind IPVersion() const { return m_ipVersion; }

    // Backslashes after the scheme (up to the first "?" or "#") become slashes.
    static QString NormalizePath(const QString &address);

private:
    void clear();

    QString m_document;
    QString m_protocol;
    QString m_uri;
    QString m_port;
    QString m_path;
    QString m_host;
    QString m_bookmark;
    QString m_username;
    QString m_password;
    QString m_params;
    IPVersionKind m_ipVersion = IPVersionKind::IPv4;
};

} // namespace orvane
